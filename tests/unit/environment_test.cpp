#include "app/environment.h"

#include <gtest/gtest.h>

TEST(EnvironmentChanges, RebuildsAsExplorerDoesAndKeepsWhatIsThisProcesssOwn) {
    const Variables current = {{L"USERNAME", L"anna"},
                               {L"Path", L"C:\\old"},
                               {L"PROCESSOR_ARCHITECTURE", L"x86"},
                               {L"ProgramFiles", L"C:\\Program Files (x86)"},
                               {L"KV_STARTED_WITH", L"kept"},
                               {L"TEMP", L"C:\\Temp"}};
    const std::vector<EnvironmentValue> system = {
        {L"Path", L"%SystemRoot%\\system32;C:\\Tools", true},
        {L"SystemRoot", L"C:\\Windows", false},
        {L"PROCESSOR_ARCHITECTURE", L"AMD64", false},
        {L"ProgramFiles", L"C:\\Program Files", false}};
    const std::vector<EnvironmentValue> user = {
        // The user's own name, not the one of the system's account.
        {L"TEMP", L"C:\\Users\\%USERNAME%\\Temp", true},
        {L"PATH", L"C:\\Users\\%USERNAME%\\bin;%UNSET%", true},
        {L"NEW", L"fresh", false}};
    const std::vector<EnvironmentValue> volatileValues = {{L"NEW", L"volatile wins", false}};

    Variables changes = EnvironmentChanges(current, system, user, volatileValues);
    Variables expected = {
        {L"Path", L"C:\\Windows\\system32;C:\\Tools;C:\\Users\\anna\\bin;%UNSET%"},
        {L"TEMP", L"C:\\Users\\anna\\Temp"},
        {L"SystemRoot", L"C:\\Windows"},
        {L"NEW", L"volatile wins"}};
    EXPECT_EQ(changes, expected);

    // The 32-bit build on 64-bit Windows: expanded as 64-bit Explorer does,
    // while its own variables keep WOW64's values.
    Variables wow64 = current;
    wow64.insert(wow64.end(), {{L"PROCESSOR_ARCHITEW6432", L"AMD64"},
                               {L"ProgramW6432", L"C:\\Program Files"},
                               {L"CommonProgramFiles", L"C:\\Program Files (x86)\\Common Files"},
                               {L"CommonProgramW6432", L"C:\\Program Files\\Common Files"}});
    changes =
        EnvironmentChanges(wow64, system,
                           {{L"Path", L"%ProgramFiles%\\Tool\\bin;%CommonProgramFiles%\\x", true},
                            {L"ARCH", L"%PROCESSOR_ARCHITECTURE%", true}},
                           {});
    expected = {{L"Path", L"C:\\Windows\\system32;C:\\Tools;C:\\Program Files\\Tool\\bin;"
                          L"C:\\Program Files\\Common Files\\x"},
                {L"SystemRoot", L"C:\\Windows"},
                {L"ARCH", L"AMD64"}};
    EXPECT_EQ(changes, expected);
}
