#include "ui/browse.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class FakeLookup : public IProgramLookup {
public:
    std::wstring StartFolder() override { return L"C:\\kv\\work"; }
    bool IsFile(const std::wstring& path) override { return files.count(path) != 0; }
    bool IsFolder(const std::wstring&) override { return false; }
    std::wstring SearchProgram(const std::wstring&) override { return {}; }
    std::wstring SystemDirectory() override { return L"C:\\windows\\system32"; }
    std::wstring WindowsDirectory() override { return L"C:\\windows"; }
    bool RunsUnderWow64() override { return false; }
    std::set<std::wstring> files{L"C:\\Program Files\\Tool\\run.bat", L"C:\\x.exe"};
};

class FakeWorkingDirectory : public IWorkingDirectory {
public:
    std::wstring Get() override { return path; }
    void Set(const std::wstring& to) override { path = to; }
    std::wstring path = L"C:\\kv\\work";
};

// A stand-in dialog: answers from a script and keeps what it was asked. Like
// GetOpenFileName on Windows, it leaves the working directory where it browsed.
class FakeDialog : public IOpenDialog {
public:
    OpenResult Show(const OpenRequest& request) override {
        requests.push_back(request);
        if (movesTo)
            movesTo->path = L"C:\\browsed\\here";
        OpenResult result = answers.front();
        answers.erase(answers.begin());
        return result;
    }
    std::vector<OpenResult> answers;
    std::vector<OpenRequest> requests;
    FakeWorkingDirectory* movesTo = nullptr;
};

} // namespace

TEST(InitialOpenRequest, StartsFromTheTextOrTheFolderItNames) {
    FakeLookup lookup;
    struct Case {
        std::wstring text;
        std::wstring fileName;
        std::wstring folder;
    };
    const Case cases[] = {
        {L"", L"", L""},
        {L"C:\\Program Files\\Tool\\run.bat", L"C:\\Program Files\\Tool\\run.bat", L""},
        {L"C:\\not yet\\there.exe", L"C:\\not yet\\there.exe", L""},
        // A command line: its program's folder, no name.
        {L"C:\\Program Files\\Tool\\run.bat -q", L"", L"C:\\Program Files\\Tool"},
        {L"\"C:\\Program Files\\Tool\\run.bat\"", L"", L"C:\\Program Files\\Tool"},
        {L"\"C:\\x.exe\" /a", L"", L"C:\\"},
        {L"what?", L"", L""},
        {L"C:\\a\\" + std::wstring(300, L'n'), L"", L"C:\\a"},
    };
    for (const Case& c : cases) {
        OpenRequest request = InitialOpenRequest(c.text, 260, lookup);
        EXPECT_EQ(request.fileName, c.fileName);
        EXPECT_EQ(request.initialFolder, c.folder);
    }
}

TEST(BrowseForProgram, ChosenPathCancelAndARefusedName) {
    FakeLookup lookup;
    FakeDialog dialog;
    FakeWorkingDirectory folder;
    dialog.answers = {{OpenStatus::Chosen, L"C:\\Some Dir\\job.bat"}};
    EXPECT_EQ(BrowseForProgram(L"old", 260, dialog, lookup, folder).value_or(L"-"),
              L"C:\\Some Dir\\job.bat");

    dialog.answers = {{OpenStatus::Cancelled, L""}};
    EXPECT_FALSE(BrowseForProgram(L"old", 260, dialog, lookup, folder).has_value());

    // A name the system refuses: the dialog opens again, without it.
    dialog.requests.clear();
    dialog.answers = {{OpenStatus::BadFileName, L""}, {OpenStatus::Chosen, L"C:\\x.exe"}};
    EXPECT_EQ(BrowseForProgram(L"C:\\dir\\con:x", 260, dialog, lookup, folder).value_or(L"-"),
              L"C:\\x.exe");
    ASSERT_EQ(dialog.requests.size(), 2u);
    EXPECT_EQ(dialog.requests[0].fileName, L"C:\\dir\\con:x");
    EXPECT_EQ(dialog.requests[1].fileName, L"");
    EXPECT_EQ(dialog.requests[1].initialFolder, L"C:\\dir");

    dialog.answers = {{OpenStatus::Failed, L""}};
    EXPECT_FALSE(BrowseForProgram(L"", 260, dialog, lookup, folder).has_value());
}

// Wine honours OFN_NOCHANGEDIR, so an end-to-end test never sees the working
// directory move; Windows moves it all the same, which only this test shows.
TEST(BrowseForProgram, KeepsTheWorkingDirectoryOnEveryWayOutOfTheDialog) {
    FakeLookup lookup;
    const std::vector<std::vector<OpenResult>> endings = {
        {{OpenStatus::Chosen, L"C:\\browsed\\here\\job.bat"}},
        {{OpenStatus::Cancelled, L""}},
        {{OpenStatus::Failed, L""}},
        {{OpenStatus::BadFileName, L""}, {OpenStatus::Cancelled, L""}},
        {{OpenStatus::BadFileName, L""}, {OpenStatus::Chosen, L"C:\\x.exe"}},
    };
    for (const std::vector<OpenResult>& answers : endings) {
        FakeWorkingDirectory folder;
        FakeDialog dialog;
        dialog.movesTo = &folder;
        dialog.answers = answers;
        BrowseForProgram(L"C:\\dir\\con:x", 260, dialog, lookup, folder);
        EXPECT_EQ(dialog.requests.size(), answers.size());
        EXPECT_EQ(folder.path, L"C:\\kv\\work") << answers.size();
    }
}
