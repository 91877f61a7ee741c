#include "app/single_instance.h"

#include <gtest/gtest.h>

TEST(SingleInstance, OneNamePerFolderTheSameInEveryBuildAndVersion) {
    // Pinned: an older or a 64-bit copy in the same folder must find the same name.
    EXPECT_EQ(InstanceMutexName(FolderHash(L"C:\\USERS\\\u0418\u0412\u0410\u041D\\TOOLS")),
              L"Local\\Kelvarion-7ED035C1EE6FFE36");
    EXPECT_EQ(InstanceMutexName(FolderHash(L"C:\\KV\\WORK")), L"Local\\Kelvarion-6AB63F2807118AA8");
    EXPECT_NE(FolderHash(L"C:\\KV\\WORK"), FolderHash(L"C:\\KV\\WORK2"));
    EXPECT_NE(FolderHash(L"C:\\KV\\WORK"), FolderHash(L"C:\\KV\\WORL"));

    // By identity: every name of the folder gives these two numbers. A server
    // that reports a zero serial or ID leaves the path to serve.
    const uint8_t id[16] = {0x2A, 0, 0, 0, 0, 0, 0x05, 0},
                  otherId[16] = {0x2B, 0, 0, 0, 0, 0, 0x05, 0}, noId[16] = {};
    EXPECT_EQ(InstanceMutexName(FolderIdHash(0x9C3E5A10u, id)),
              L"Local\\Kelvarion-9618481B533BD4CA");
    EXPECT_NE(FolderIdHash(0x9C3E5A10u, id), FolderIdHash(0x9C3E5A10u, otherId));
    EXPECT_NE(FolderIdHash(0x9C3E5A10u, id), FolderIdHash(0x9C3E5A11u, id));
    EXPECT_EQ(FolderIdHash(0, id), 0u);
    EXPECT_EQ(FolderIdHash(0x9C3E5A10u, noId), 0u);

    // The window mark of a 32-bit copy, read by a 64-bit one sign-extended or not.
    const uint64_t hash = 0x1234567887654321ULL;
    EXPECT_TRUE(IsFolderMark(0xFFFFFFFF87654321ULL, hash));
    EXPECT_TRUE(IsFolderMark(0x0000000087654321ULL, hash));
    EXPECT_FALSE(IsFolderMark(0x0000000087654320ULL, hash));
    EXPECT_FALSE(IsFolderMark(0, hash));
}

TEST(SingleInstance, ASecondCopyHandsOverOrEnds) {
    const uint32_t kAccessDenied = 5, kAlreadyExists = 183, kNoMemory = 8;
    struct Case {
        bool gotMutex;
        uint32_t error;
        bool inTray;
        StartAction action;
    };
    // Started normally, the new copy waits for the running copy's window, which
    // may not be made yet; into the tray (/tray, or minimized) it ends at once.
    const Case cases[] = {
        {true, 0, false, StartAction::Run},
        {true, 0, true, StartAction::Run},
        {true, kAlreadyExists, false, StartAction::ShowRunningCopy},
        {true, kAlreadyExists, true, StartAction::End},
        // An elevated copy holds it.
        {false, kAccessDenied, false, StartAction::ShowRunningCopy},
        {false, kAccessDenied, true, StartAction::End},
        // Cannot tell: better to run than never to start.
        {false, kNoMemory, false, StartAction::Run},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideStart(c.gotMutex, c.error, c.inTray), c.action)
            << c.gotMutex << " " << c.error << " " << c.inTray;
}
