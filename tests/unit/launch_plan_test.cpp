#include "app/launch_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

class FakeLookup : public IProgramLookup {
public:
    explicit FakeLookup(std::set<std::wstring> files, std::map<std::wstring, std::wstring> path = {})
        : files_(std::move(files)), path_(std::move(path)) {}
    bool IsFile(const std::wstring& path) override { return files_.count(path) != 0; }
    std::wstring SearchProgram(const std::wstring& name) override {
        auto found = path_.find(name);
        return found == path_.end() ? L"" : found->second;
    }
    std::wstring SystemDirectory() override { return L"C:\\windows\\system32"; }

private:
    std::set<std::wstring> files_;
    std::map<std::wstring, std::wstring> path_;
};

const wchar_t* kCmd = L"C:\\windows\\system32\\cmd.exe";

} // namespace

TEST(PlanLaunch, QuotesPathsWithSpacesSoNoShorterPathRuns) {
    // A decoy "C:\Program.exe" exists and must never be chosen.
    FakeLookup lookup({L"C:\\Program.exe", L"C:\\Program Files\\Tool\\tool.exe",
                       L"C:\\Program Files\\Tool\\run.bat"});
    struct Case {
        const wchar_t* text;
        const wchar_t* application;
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Tool\\tool.exe", L"C:\\Program Files\\Tool\\tool.exe",
         L"\"C:\\Program Files\\Tool\\tool.exe\""},
        {L"  C:\\Program Files\\Tool\\tool.exe  ", L"C:\\Program Files\\Tool\\tool.exe",
         L"\"C:\\Program Files\\Tool\\tool.exe\""},
        {L"C:\\Program Files\\Tool\\tool.exe -q x", L"C:\\Program Files\\Tool\\tool.exe",
         L"\"C:\\Program Files\\Tool\\tool.exe\" -q x"},
        {L"C:\\Program Files\\Tool\\run.bat -q", kCmd,
         L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\Program Files\\Tool\\run.bat\" -q\""},
    };
    for (const Case& c : cases) {
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.error, 0u);
        EXPECT_EQ(plan.applicationName, c.application);
        EXPECT_EQ(plan.commandLine, c.commandLine);
    }
}

TEST(PlanLaunch, MissingFileIsNotFoundRatherThanADecoy) {
    FakeLookup lookup({L"C:\\Program.exe"});
    const wchar_t* missing[] = {L"C:\\Program Files\\Tool\\run.bat -q",
                                L"C:\\Program Files\\Tool\\run.bat", L"C:\\Program Files\\x",
                                L"D:\\nothing.exe", L"nosuchprogram -x"};
    for (const wchar_t* text : missing) {
        LaunchPlan plan = PlanLaunch(text, lookup);
        EXPECT_EQ(plan.error, kErrorFileNotFound);
        EXPECT_TRUE(plan.commandLine.empty());
    }
}

TEST(PlanLaunch, BatchFilesRunThroughTheSystemInterpreter) {
    // A cmd.exe in the working directory must not be the one that runs.
    FakeLookup lookup({L"cmd.exe", L"job.bat", L"C:\\j\\Job.CMD"});
    LaunchPlan plan = PlanLaunch(L"job.bat", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"job.bat\"\"");
    plan = PlanLaunch(L"C:\\j\\Job.CMD a b", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\j\\Job.CMD\" a b\"");
    // Quoted by the user: the quotes are kept, the interpreter is still ours.
    plan = PlanLaunch(L"\"job.bat\" x", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"job.bat\" x\"");
}

TEST(PlanLaunch, BareNamesAndQuotedTextFollowTheSystemSearch) {
    FakeLookup lookup({L"C:\\tools\\ping.exe"}, {{L"ping", L"C:\\windows\\system32\\PING.EXE"}});
    LaunchPlan plan = PlanLaunch(L"ping -n 1 host", lookup);
    EXPECT_EQ(plan.applicationName, L"C:\\windows\\system32\\PING.EXE");
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\PING.EXE\" -n 1 host");

    plan = PlanLaunch(L"\"C:\\Some Dir\\app.exe\" /x", lookup);
    EXPECT_EQ(plan.error, 0u);
    EXPECT_TRUE(plan.applicationName.empty());
    EXPECT_EQ(plan.commandLine, L"\"C:\\Some Dir\\app.exe\" /x");

    // One word without spaces cannot be split wrongly, so ".exe" may be added.
    plan = PlanLaunch(L"C:\\tools\\ping", lookup);
    EXPECT_EQ(plan.applicationName, L"C:\\tools\\ping.exe");

    EXPECT_EQ(PlanLaunch(L"", lookup).error, kErrorFileNotFound);
}
