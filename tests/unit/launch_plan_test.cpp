#include "app/launch_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

class FakeLookup : public IProgramLookup {
public:
    explicit FakeLookup(std::set<std::wstring> files, std::map<std::wstring, std::wstring> path = {},
                        std::set<std::wstring> folders = {L"C:\\Program Files"})
        : files_(std::move(files)), path_(std::move(path)), folders_(std::move(folders)) {}
    std::wstring StartFolder() override { return startFolder; }
    bool IsFile(const std::wstring& path) override {
        ++lookups;
        lookedUpChars += path.size();
        return files_.count(path) != 0;
    }
    bool IsFolder(const std::wstring& path) override {
        ++lookups;
        lookedUpChars += path.size();
        return folders_.count(path) != 0;
    }
    std::wstring SearchProgram(const std::wstring& name) override {
        ++searches;
        auto found = path_.find(name);
        return found == path_.end() ? L"" : found->second;
    }
    std::wstring SystemDirectory() override { return L"C:\\windows\\system32"; }
    std::wstring WindowsDirectory() override { return windowsDirectory; }
    bool RunsUnderWow64() override { return wow64; }

    std::wstring windowsDirectory = L"C:\\Windows";
    std::wstring startFolder = L"C:\\kv";
    bool wow64 = false;
    size_t lookups = 0;
    size_t lookedUpChars = 0;
    size_t searches = 0;

private:
    std::set<std::wstring> files_;
    std::map<std::wstring, std::wstring> path_;
    std::set<std::wstring> folders_;
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
    // A cmd.exe in the start folder must not be the one that runs; the batch
    // is named in full, as cmd.exe moves off a network folder before it runs.
    FakeLookup lookup({L"C:\\kv\\cmd.exe", L"C:\\kv\\job.bat", L"C:\\j\\Job.CMD"});
    LaunchPlan plan = PlanLaunch(L"job.bat", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine,
              L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\kv\\job.bat\"\"");
    plan = PlanLaunch(L"C:\\j\\Job.CMD a b", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\j\\Job.CMD\" a b\"");
    // Quoted by the user: the interpreter is still ours.
    plan = PlanLaunch(L"\"job.bat\" x", lookup);
    EXPECT_EQ(plan.applicationName, kCmd);
    EXPECT_EQ(plan.commandLine,
              L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\kv\\job.bat\" x\"");
}

// The Open dialog moves the working directory, and the start runs on another
// thread: what a start finds depends on the start folder alone.
TEST(PlanLaunch, ApplicationNamesAreFullPathsFromTheStartFolder) {
    FakeLookup lookup({L"C:\\kv\\job.exe", L"C:\\kv\\tools\\t.exe", L"C:\\kv\\..\\up.exe",
                       L"C:\\root.exe", L"D:\\d.exe"},
                      {{L"notepad", L"C:\\windows\\notepad.exe"}});
    struct Case {
        const wchar_t* text;
        const wchar_t* application; // empty: refused as not found
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"job.exe -x", L"C:\\kv\\job.exe", L"\"job.exe\" -x"},
        {L"tools\\t.exe", L"C:\\kv\\tools\\t.exe", L"\"tools\\t.exe\""},
        {L"..\\up.exe", L"C:\\kv\\..\\up.exe", L"\"..\\up.exe\""},
        {L"\\root.exe", L"C:\\root.exe", L"\"\\root.exe\""},
        {L"D:d.exe", L"D:\\d.exe", L"\"D:d.exe\""},
        {L"\"job.exe\" -x", L"C:\\kv\\job.exe", L"\"job.exe\" -x"},
        {L"\"notepad\" a.txt", L"C:\\windows\\notepad.exe", L"\"notepad\" a.txt"},
        {L"\"C:\\Some Dir\\app.exe\" /x", L"", L""},
    };
    for (const Case& c : cases) {
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.applicationName, c.application) << c.text;
        EXPECT_EQ(plan.commandLine, c.commandLine) << c.text;
        EXPECT_EQ(plan.error, *c.application ? 0u : kErrorFileNotFound) << c.text;
    }
    EXPECT_EQ(FullPath(L"\\\\nas\\share\\kv", L"\\x.exe"), L"\\\\nas\\share\\x.exe");
    EXPECT_EQ(FullPath(L"\\\\nas\\share\\kv\\", L"y.exe"), L"\\\\nas\\share\\kv\\y.exe");
    EXPECT_EQ(FullPath(L"", L"y.exe"), L"y.exe");
}

TEST(PlanLaunch, BareNamesAndQuotedTextFollowTheSystemSearch) {
    FakeLookup lookup({L"C:\\tools\\ping.exe"}, {{L"ping", L"C:\\windows\\system32\\PING.EXE"}});
    LaunchPlan plan = PlanLaunch(L"ping -n 1 host", lookup);
    EXPECT_EQ(plan.applicationName, L"C:\\windows\\system32\\PING.EXE");
    EXPECT_EQ(plan.commandLine, L"\"C:\\windows\\system32\\PING.EXE\" -n 1 host");

    // One word without spaces cannot be split wrongly, so ".exe" may be added.
    plan = PlanLaunch(L"C:\\tools\\ping", lookup);
    EXPECT_EQ(plan.applicationName, L"C:\\tools\\ping.exe");

    EXPECT_EQ(PlanLaunch(L"", lookup).error, kErrorFileNotFound);
}

TEST(PlanLaunch, PathsWithoutExeRunAsTheSystemWouldButNeverADecoy) {
    FakeLookup lookup({L"C:\\Program.exe", L"C:\\Windows\\System32\\ping.exe",
                       L"C:\\Program Files\\Tool\\run.exe", L"C:\\tools\\xcopy.exe",
                       L"C:\\tools\\v1.2"},
                      {}, {L"C:\\Program Files", L"C:\\Program Files\\Tool", L"C:\\tools"});
    struct Case {
        const wchar_t* text;
        const wchar_t* application; // empty: refused as not found
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"C:\\Windows\\System32\\ping -n 1 localhost", L"C:\\Windows\\System32\\ping.exe",
         L"\"C:\\Windows\\System32\\ping.exe\" -n 1 localhost"},
        {L"C:\\Program Files\\Tool\\run -q", L"C:\\Program Files\\Tool\\run.exe",
         L"\"C:\\Program Files\\Tool\\run.exe\" -q"},
        {L"C:\\Program Files\\Tool\\run", L"C:\\Program Files\\Tool\\run.exe",
         L"\"C:\\Program Files\\Tool\\run.exe\""},
        // An argument that is a path does not stop the program before it.
        {L"C:\\tools\\xcopy C:\\a C:\\b", L"C:\\tools\\xcopy.exe",
         L"\"C:\\tools\\xcopy.exe\" C:\\a C:\\b"},
        // A file without an extension is itself the program, not v1.2.exe.
        {L"C:\\tools\\v1.2 -x", L"C:\\tools\\v1.2", L"\"C:\\tools\\v1.2\" -x"},
        // The text goes on into C:\Program Files: C:\Program.exe is not what it names.
        {L"C:\\Program Files\\Tool\\gone -q", L"", L""},
        {L"C:\\Program Files\\Tool\\run.bat -q", L"", L""},
        // ".exe" is for paths; a bare name follows the system's search.
        {L"xcopy -q", L"", L""},
    };
    for (const Case& c : cases) {
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.applicationName, c.application) << c.text;
        EXPECT_EQ(plan.commandLine, c.commandLine) << c.text;
        EXPECT_EQ(plan.error, *c.application ? 0u : kErrorFileNotFound) << c.text;
    }
}

// cmd.exe takes at most 8 191 characters, counted over the whole line it gets.
TEST(PlanLaunch, BatchLinesLongerThanCmdTakesAreRefused) {
    FakeLookup lookup({L"C:\\kv\\job.bat", L"C:\\kv\\tick.exe"});
    const size_t around = PlanLaunch(L"C:\\kv\\job.bat", lookup).commandLine.size();
    auto arguments = [&](size_t lineLength) {
        return L" " + std::wstring(lineLength - around - 1, L'a');
    };
    struct Case {
        std::wstring text;
        uint32_t error;
    };
    const Case cases[] = {
        {L"C:\\kv\\job.bat" + arguments(kMaxBatchCommandLine), 0},
        {L"C:\\kv\\job.bat" + arguments(kMaxBatchCommandLine + 1), kErrorFilenameExcedRange},
        {L"\"C:\\kv\\job.bat\"" + arguments(kMaxBatchCommandLine + 1), kErrorFilenameExcedRange},
        // %PATH% would grow inside cmd.exe; what counts is the line as written.
        {L"C:\\kv\\job.bat %PATH%" + arguments(kMaxBatchCommandLine - 7), 0},
        // Programs that are not batch files keep the command line's own limit.
        {L"C:\\kv\\tick.exe" + arguments(20000), 0},
    };
    for (const Case& c : cases) {
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.error, c.error) << c.text.size();
        if (c.error == 0 && c.text.find(L"job.bat") != std::wstring::npos) {
            EXPECT_EQ(plan.commandLine.size(), kMaxBatchCommandLine);
        }
    }
}

TEST(PlanLaunch, LongTextsCostFewLookupsAndPastTheCommandLineLimitAreRefused) {
    FakeLookup lookup({L"C:\\kv\\tick.exe", L"C:\\kv\\job.bat"});
    std::wstring arguments;
    while (arguments.size() < 33000)
        arguments += L" arg";
    struct Case {
        std::wstring text;
        uint32_t error;
    };
    const Case cases[] = {
        // Just inside the limit: found, the program being the shortest part.
        {L"C:\\kv\\tick.exe" + arguments.substr(0, 32740), 0},
        // The interpreter's part takes the batch file's command line past it.
        {L"C:\\kv\\job.bat" + arguments.substr(0, 32740), kErrorFilenameExcedRange},
        {L"C:\\kv\\tick.exe" + arguments.substr(0, 32766 - 14), kErrorFilenameExcedRange},
        {L"C:\\kv\\tick.exe" + std::wstring(100000, L' ') + L"x", kErrorFilenameExcedRange},
        {L"C:\\kv\\tick.exe" + std::wstring(50000, L'a'), kErrorFilenameExcedRange},
    };
    for (const Case& c : cases) {
        lookup.lookups = lookup.lookedUpChars = 0;
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.error, c.error) << c.text.size();
        EXPECT_EQ(plan.commandLine.empty(), c.error != 0) << c.text.size();
        if (c.error == 0) {
            EXPECT_EQ(plan.applicationName, L"C:\\kv\\tick.exe");
        }
        // Bounded by the longest program path, whatever the text's length.
        EXPECT_LE(lookup.lookups, 2 * kMaxProgramPath) << c.text.size();
        EXPECT_LE(lookup.lookedUpChars, 2 * kMaxProgramPath * (kMaxProgramPath + 4)) << c.text.size();
    }
    // The refusal comes before any lookup: words, so that every blank would be one.
    std::wstring words = L"x";
    while (words.size() < kMaxCommandLine)
        words += L" x";
    lookup.lookups = lookup.searches = 0;
    EXPECT_EQ(PlanLaunch(words, lookup).error, kErrorFilenameExcedRange);
    EXPECT_EQ(lookup.lookups, 0u);
    EXPECT_EQ(lookup.searches, 0u);
}

TEST(PlanLaunch, System32PathsOnlyThe64BitFolderHoldsStartThroughSysnativeUnderWow64) {
    // What a 32-bit process sees: System32 is the 32-bit folder (a ping.exe of its
    // own); Sysnative is the 64-bit one, with programs only it holds.
    FakeLookup lookup({L"C:\\Windows\\System32\\ping.exe", L"C:\\Windows\\Sysnative\\ping.exe",
                       L"C:\\Windows\\Sysnative\\OpenSSH\\ssh.exe",
                       L"C:\\Windows\\Sysnative\\wsl.exe", L"C:\\Windows\\Sysnative\\kv\\job.bat"});
    lookup.wow64 = true;
    struct Case {
        const wchar_t* text;
        const wchar_t* application; // empty with an empty command line: refused
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"C:\\Windows\\System32\\OpenSSH\\ssh.exe -V", L"C:\\Windows\\Sysnative\\OpenSSH\\ssh.exe",
         L"\"C:\\Windows\\System32\\OpenSSH\\ssh.exe\" -V"},
        {L"c:\\WINDOWS\\system32\\wsl -l", L"C:\\Windows\\Sysnative\\wsl.exe",
         L"\"c:\\WINDOWS\\system32\\wsl.exe\" -l"},
        {L"C:/Windows/System32/wsl.exe", L"C:\\Windows\\Sysnative\\wsl.exe",
         L"\"C:/Windows/System32/wsl.exe\""},
        // Quoted: the text is started as written, from where it was found.
        {L"\"C:\\Windows\\System32\\wsl.exe\" -l", L"C:\\Windows\\Sysnative\\wsl.exe",
         L"\"C:\\Windows\\System32\\wsl.exe\" -l"},
        {L"\"C:\\Windows\\System32\\wsl\"", L"C:\\Windows\\Sysnative\\wsl.exe",
         L"\"C:\\Windows\\System32\\wsl\""},
        // Found where the system looks first: the 32-bit copy runs.
        {L"C:\\Windows\\System32\\ping -n 1 host", L"C:\\Windows\\System32\\ping.exe",
         L"\"C:\\Windows\\System32\\ping.exe\" -n 1 host"},
        // Our cmd.exe runs under WOW64 too: it is handed the path that reaches the file.
        {L"C:\\Windows\\System32\\kv\\job.bat x", kCmd,
         L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"C:\\Windows\\Sysnative\\kv\\job.bat\" x\""},
        // Only paths under the Windows folder's System32, and never bare names.
        {L"D:\\Windows\\System32\\wsl.exe", L"", L""},
        {L"C:\\Windows\\SysWOW64\\wsl.exe", L"", L""},
        {L"C:\\Windows\\System32wsl.exe", L"", L""},
        {L"wsl -l", L"", L""},
        {L"C:\\Windows\\System32\\nothere.exe", L"", L""},
    };
    for (const Case& c : cases) {
        LaunchPlan plan = PlanLaunch(c.text, lookup);
        EXPECT_EQ(plan.applicationName, c.application) << c.text;
        EXPECT_EQ(plan.commandLine, c.commandLine) << c.text;
    }
    // The file check of the system-information tool: the path as given, no ".exe" added.
    EXPECT_EQ(LocateFile(L"C:\\WINDOWS\\System32\\wsl.exe", lookup),
              L"C:\\Windows\\Sysnative\\wsl.exe");
    EXPECT_EQ(LocateFile(L"C:\\Windows\\System32\\wsl", lookup), L"");
    lookup.windowsDirectory = L"C:\\Windows\\";
    EXPECT_EQ(LocateFile(L"C:\\Windows\\System32\\wsl.exe", lookup),
              L"C:\\Windows\\Sysnative\\wsl.exe");
}

TEST(PlanLaunch, NoSysnativeOutsideWow64) {
    // A 64-bit process, or 32-bit Windows: System32 is what it says, and there is no
    // Sysnative to ask.
    FakeLookup lookup({L"C:\\Windows\\Sysnative\\wsl.exe"});
    lookup.wow64 = false;
    LaunchPlan plan = PlanLaunch(L"C:\\Windows\\System32\\wsl.exe -l", lookup);
    EXPECT_EQ(plan.error, kErrorFileNotFound);
    plan = PlanLaunch(L"\"C:\\Windows\\System32\\wsl.exe\" -l", lookup);
    EXPECT_EQ(plan.error, kErrorFileNotFound);
    EXPECT_EQ(LocateFile(L"C:\\Windows\\System32\\wsl.exe", lookup), L"");
}
