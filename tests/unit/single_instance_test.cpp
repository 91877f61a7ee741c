#include "app/single_instance.h"

#include <gtest/gtest.h>

TEST(SingleInstance, OneNamePerFolderTheSameInEveryBuildAndVersion) {
    // Pinned: an older or a 64-bit copy in the same folder must find the same name.
    EXPECT_EQ(InstanceMutexName(FolderHash(L"C:\\USERS\\\u0418\u0412\u0410\u041D\\TOOLS")),
              L"Local\\Kelvarion-7ED035C1EE6FFE36");
    EXPECT_EQ(InstanceMutexName(FolderHash(L"C:\\KV\\WORK")), L"Local\\Kelvarion-6AB63F2807118AA8");
    EXPECT_NE(FolderHash(L"C:\\KV\\WORK"), FolderHash(L"C:\\KV\\WORK2"));
    EXPECT_NE(FolderHash(L"C:\\KV\\WORK"), FolderHash(L"C:\\KV\\WORL"));
}

TEST(SingleInstance, ASecondCopyHandsOverOrEnds) {
    const uint32_t kAccessDenied = 5, kAlreadyExists = 183, kNoMemory = 8;
    struct Case {
        bool gotMutex;
        uint32_t error;
        bool inTray;
        StartAction action;
    };
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
