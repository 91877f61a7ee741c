#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(TraySwitch, AnyArgumentInAnySpellingAndNothingElse) {
    struct Case {
        std::wstring line;
        bool isSwitch;
    };
    const Case cases[] = {
        {L"kelvarion.exe /tray", true},
        {L"kelvarion.exe /TRAY", true},
        {L"kelvarion.exe -Tray", true},
        {L"kelvarion.exe --tray", true},
        {L"\"C:\\Program Files\\Kelvarion\\kelvarion.exe\" /tray", true},
        {L"kelvarion.exe x \"y z\" /tray", true},
        {L"kelvarion.exe /tray x", true},
        {L"kelvarion.exe\t\t/tray  ", true},
        {L"kelvarion.exe \"/tray\"", true},
        {L"kelvarion.exe \"--TRAY\" other", true},
        {L"kelvarion.exe \"a\"\"b\" -tray", true},
        {L"", false},
        {L"kelvarion.exe", false},
        {L"kelvarion.exe /trayx", false},
        {L"kelvarion.exe /tray/", false},
        {L"kelvarion.exe ---tray", false},
        {L"kelvarion.exe tray", false},
        {L"kelvarion.exe \"/tray x\"", false},
        {L"kelvarion.exe C:\\tray", false},
        // Escaped quotes are part of the argument.
        {L"kelvarion.exe \\\"/tray\\\"", false},
        // The program's own name is never the switch, whatever its path holds.
        {L"C:\\tray\\kelvarion.exe", false},
        {L"\"C:\\My /tray folder\\kelvarion.exe\"", false},
        {L"\"C:\\My folder\\kelvarion.exe\"/tray", false},
        {L"/tray", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasTraySwitch(c.line), c.isSwitch) << c.line;
}

TEST(TraySwitch, AMinimizedStartLandsInTheTrayToo) {
    struct Case {
        int showCommand;
        bool inTray;
    };
    // SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOW,
    // SW_MINIMIZE, SW_SHOWMINNOACTIVE, SW_SHOWNA, SW_RESTORE, SW_SHOWDEFAULT
    const Case cases[] = {{1, false}, {2, true}, {3, false}, {4, false}, {5, false},
                          {6, true},  {7, true}, {8, false}, {9, false}, {10, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(StartsInTray(L"kelvarion.exe", c.showCommand), c.inTray) << c.showCommand;
        EXPECT_TRUE(StartsInTray(L"kelvarion.exe /tray", c.showCommand)) << c.showCommand;
    }
}
