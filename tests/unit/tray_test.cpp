#include "base/handle_bits.h"
#include "tray/failure_notice.h"
#include "tray/tray_events.h"
#include "tray/tray_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t U32At(const TrayIconData& record, size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

std::string TipBytes(const TrayIconData& record) { return std::string(record.szTip, 64); }

// A stand-in shell: keeps each call and what the record held at the time.
// A modify, a balloon among them, only reaches an icon the shell has.
class FakeShell : public ITrayShell {
public:
    bool NotifyIcon(TrayOp op, const TrayIconData& record) override {
        calls.push_back({op, record});
        if (op == TrayOp::Delete)
            hasIcon = false;
        if (op == TrayOp::Modify)
            return hasIcon;
        if (op != TrayOp::Add)
            return true;
        if (lateAdds > 0) { // refused after the wait, and the icon appears all the same
            --lateAdds;
            hasIcon = true;
            return false;
        }
        if (refuseAdds > 0) {
            --refuseAdds;
            return false;
        }
        if (refuseAdd || hasIcon) // refused, or "already there"
            return false;
        hasIcon = true;
        return true;
    }
    // The images of each picture; loading them again gives new handles.
    uint32_t ShowPicture(TrayPicture picture) override {
        ++iconSwitches;
        return loads * 0x10000 + (picture == TrayPicture::Running   ? 0x2002u
                                  : picture == TrayPicture::Waiting ? 0x1001u
                                                                    : 0x0A0Au);
    }
    uint32_t loads = 0;
    void ShowBalloon(const TrayIconData&, const std::wstring& title,
                     const std::wstring&) override {
        if (hasIcon)
            balloons.push_back(title);
    }
    bool hasIcon = false;
    int lateAdds = 0;
    std::vector<std::wstring> balloons; // those the user saw
    struct Call {
        TrayOp op;
        TrayIconData record;
    };
    std::vector<Call> calls;
    bool refuseAdd = false;
    int refuseAdds = 0; // the first adds refused, as by a taskbar still starting
    size_t Adds() const {
        size_t n = 0;
        for (const Call& call : calls)
            n += call.op == TrayOp::Add;
        return n;
    }
    int iconSwitches = 0;
};

} // namespace

TEST(TrayRecord, LaysOutTheShellsEightyEightBytes) {
    TrayIconData record{};
    FakeShell shell;
    Tray tray(record, shell);
    tray.AddTrayIcon(0x00A1B2C3);
    ASSERT_EQ(shell.calls.size(), 1u);
    const TrayIconData& sent = shell.calls[0].record;
    EXPECT_EQ(U32At(sent, 0), 88u);
    EXPECT_EQ(U32At(sent, 4), 0x00A1B2C3u);
    EXPECT_EQ(U32At(sent, 8), 1u);
    EXPECT_EQ(U32At(sent, 12), 7u);
    EXPECT_EQ(U32At(sent, 16), 0x8001u); // our own message, not a mouse move
    EXPECT_EQ(U32At(sent, 20), 0x00000A0Au);
    EXPECT_EQ(TipBytes(sent), std::string("Kelvarion: Waiting") + '\0' + std::string(45, ' '));
    EXPECT_EQ(shell.calls[0].op, TrayOp::Add);
}

TEST(TrayRecord, TipIsTextThenNulThenBlanksCutAtSixtyFour) {
    TrayIconData record{};
    FillTip(record, "");
    EXPECT_EQ(TipBytes(record), std::string(1, '\0') + std::string(63, ' '));
    FillTip(record, std::string(63, 'x'));
    EXPECT_EQ(TipBytes(record), std::string(63, 'x') + '\0');
    FillTip(record, std::string(64, 'y'));
    EXPECT_EQ(TipBytes(record), std::string(64, 'y'));
    FillTip(record, std::string(80, 'z'));
    EXPECT_EQ(TipBytes(record), std::string(64, 'z'));
    // A shorter tip after a longer one leaves nothing of the old one.
    FillTip(record, "ab");
    EXPECT_EQ(TipBytes(record), std::string("ab") + '\0' + std::string(61, ' '));
}

uint64_t LittleEndianAt(const ShellRecord& record, size_t offset, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = value << 8 | record.bytes[offset + i];
    return value;
}

TEST(TrayRecord, ShellRecordAtEachPointerWidth) {
    TrayIconData record{};
    FakeShell shell;
    Tray tray(record, shell);
    // A handle with the top bit set, as Windows may hand out.
    shell.loads = 3;
    tray.AddTrayIcon(0x800A01C4);
    struct Layout {
        size_t pointer, size, hWnd, uID, flags, message, hIcon, tip;
        uint64_t window;
    };
    const Layout layouts[] = {
        {4, 88, 4, 8, 12, 16, 20, 24, 0x800A01C4u},
        // 64-bit: handles aligned to 8 and widened with the sign.
        {8, 104, 8, 16, 20, 24, 32, 40, 0xFFFFFFFF800A01C4u},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.pointer);
        ShellRecord native = ToShellRecord(record, l.pointer);
        ASSERT_EQ(native.size, l.size);
        EXPECT_EQ(LittleEndianAt(native, 0, 4), l.size);
        EXPECT_EQ(LittleEndianAt(native, l.hWnd, l.pointer), l.window);
        EXPECT_EQ(LittleEndianAt(native, l.uID, 4), 1u);
        EXPECT_EQ(LittleEndianAt(native, l.flags, 4), 7u);
        EXPECT_EQ(LittleEndianAt(native, l.message, 4), 0x8001u);
        EXPECT_EQ(LittleEndianAt(native, l.hIcon, l.pointer), 0x00030A0Au);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&native.bytes[l.tip]), 64),
                  TipBytes(record));
    }
    // The 32-bit form is the record itself.
    EXPECT_EQ(std::memcmp(ToShellRecord(record, 4).bytes.data(), &record, 88), 0);
}

TEST(HandleBits, RegistryRootsWidenWithTheSign) {
    EXPECT_EQ(WidenHandle(0x80000002u), 0xFFFFFFFF80000002u); // HKEY_LOCAL_MACHINE
    EXPECT_EQ(WidenHandle(0x00010036u), 0x00010036u);
    EXPECT_EQ(static_cast<uint32_t>(WidenHandle(0x80000002u)), 0x80000002u);
}

TEST(Tray, ALaunchGoesToRunningAndBack) {
    TrayIconData record{};
    FakeShell shell;
    Tray tray(record, shell);
    tray.AddTrayIcon(0x10);
    tray.SetTrayState(TrayState::Running);
    tray.SetTrayState(TrayState::Waiting);
    tray.ReturnFocus();
    ASSERT_EQ(shell.calls.size(), 4u);
    EXPECT_EQ(shell.calls[0].record.hIcon, 0x0A0Au); // the application's, before any start
    EXPECT_EQ(shell.calls[3].op, TrayOp::SetFocus);
    EXPECT_EQ(shell.calls[1].op, TrayOp::Modify);
    EXPECT_EQ(shell.calls[1].record.hIcon, 0x2002u);
    EXPECT_EQ(std::strcmp(shell.calls[1].record.szTip, "Kelvarion: Running"), 0);
    EXPECT_EQ(shell.calls[2].op, TrayOp::Modify);
    EXPECT_EQ(shell.calls[2].record.hIcon, 0x1001u);
    EXPECT_EQ(std::strcmp(shell.calls[2].record.szTip, "Kelvarion: Waiting"), 0);
    // The identity of the icon never changes.
    for (const FakeShell::Call& call : shell.calls) {
        EXPECT_EQ(call.record.hWnd, 0x10u);
        EXPECT_EQ(call.record.uID, 1u);
        EXPECT_EQ(call.record.cbSize, 88u);
    }
    EXPECT_EQ(tray.Picture(), TrayPicture::Waiting);
    // Loaded again at a new DPI: the same picture, in its new images.
    shell.loads = 1;
    tray.Refresh();
    EXPECT_EQ(shell.calls.back().record.hIcon, 0x11001u);
}

TEST(Tray, ReAddKeepsTheCurrentStateAndToleratesARefusedAdd) {
    TrayIconData record{};
    FakeShell shell;
    Tray tray(record, shell);
    tray.AddTrayIcon(0x10);
    shell.loads = 1; // a new taskbar, for a new scaling: the images loaded again
    tray.AddAgain();
    EXPECT_EQ(shell.calls.back().record.hIcon, 0x10A0Au);
    tray.SetTrayState(TrayState::Running);
    shell.calls.clear();
    shell.hasIcon = false; // a new taskbar starts empty
    shell.loads = 2;
    tray.AddAgain();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].record.hIcon, 0x22002u);
    EXPECT_EQ(shell.calls[0].op, TrayOp::Add);
    EXPECT_EQ(std::strcmp(shell.calls[0].record.szTip, "Kelvarion: Running"), 0);

    // Where the shell still has the icon, the add is refused: bring it up to date.
    shell.calls.clear();
    shell.refuseAdd = true;
    tray.AddAgain();
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].op, TrayOp::Modify);
    EXPECT_EQ(shell.calls[1].record.hIcon, 0x22002u);

    tray.RemoveTrayIcon();
    tray.RemoveTrayIcon();
    EXPECT_EQ(shell.calls.back().op, TrayOp::Delete);
}

TEST(Tray, ARefusedFirstAddIsTriedAgainInTheCurrentStateUntilTaken) {
    // Taken at the n-th try: RetryAdd asks for more tries until then.
    for (int refused : {1, 3, 60}) {
        TrayIconData record{};
        FakeShell shell;
        shell.refuseAdds = refused;
        Tray tray(record, shell);
        EXPECT_FALSE(tray.AddTrayIcon(0x10));
        tray.SetTrayState(TrayState::Running); // a launch before the shell is ready
        int moreDue = 0;
        while (tray.RetryAdd())
            ++moreDue;
        size_t adds = static_cast<size_t>(refused + 1);
        EXPECT_EQ(moreDue, refused - 1) << refused;
        EXPECT_EQ(shell.Adds(), adds) << refused;
        EXPECT_EQ(std::strcmp(shell.calls.back().record.szTip, "Kelvarion: Running"), 0);
        EXPECT_EQ(shell.calls.back().record.hIcon, 0x2002u);
        EXPECT_FALSE(tray.RetryAdd()); // taken: nothing more is sent
        EXPECT_EQ(shell.Adds(), adds) << refused;
    }
}

TEST(Tray, NoRetryAfterTheIconWasAddedAgainOrRemoved) {
    TrayIconData record{};
    FakeShell shell;
    shell.refuseAdds = 1;
    Tray tray(record, shell);
    EXPECT_FALSE(tray.AddTrayIcon(0x10));
    tray.AddAgain(); // "TaskbarCreated"
    EXPECT_FALSE(tray.RetryAdd());
    EXPECT_EQ(shell.Adds(), 2u);

    shell.refuseAdds = 1;
    Tray leaving(record, shell);
    EXPECT_FALSE(leaving.AddTrayIcon(0x10));
    leaving.RemoveTrayIcon();
    EXPECT_FALSE(leaving.RetryAdd());
    leaving.ReturnFocus(); // no icon to give the keyboard to
    EXPECT_EQ(shell.calls.back().op, TrayOp::Delete);
}

// At log-on the shell may not take the icon yet: a notice sent meanwhile (the
// settings could not be read) waits for the add that succeeds, by a retry or by
// the re-add after "TaskbarCreated", and is shown once.
TEST(Tray, ANoticeBeforeTheIconIsTakenWaitsForTheAdd) {
    for (bool byTaskbarCreated : {false, true}) {
        SCOPED_TRACE(byTaskbarCreated);
        TrayIconData record{};
        FakeShell shell;
        shell.refuseAdds = 2;
        Tray tray(record, shell);
        EXPECT_FALSE(tray.AddTrayIcon(0x10));
        tray.ShowNotice(L"older", L"replaced before it could show");
        tray.ShowNotice(L"could not read", L"C:\\kv\\config.kv");
        EXPECT_TRUE(tray.RetryAdd()); // refused again
        EXPECT_TRUE(shell.balloons.empty());
        if (byTaskbarCreated)
            EXPECT_TRUE(tray.AddAgain());
        else
            EXPECT_FALSE(tray.RetryAdd()); // taken: no more tries
        EXPECT_EQ(shell.balloons, std::vector<std::wstring>{L"could not read"});
        tray.RetryAdd();
        tray.AddAgain();
        tray.ShowNotice(L"later", L"shown at once");
        EXPECT_EQ(shell.balloons, (std::vector<std::wstring>{L"could not read", L"later"}));
    }
    // Leaving drops what is held: no balloon comes after the end.
    TrayIconData record{};
    FakeShell shell;
    shell.refuseAdds = 1;
    Tray tray(record, shell);
    tray.AddTrayIcon(0x10);
    tray.ShowNotice(L"held", L"");
    tray.RemoveTrayIcon();
    tray.AddAgain();
    EXPECT_TRUE(shell.balloons.empty());
}

// An add that failed after its wait for a busy shell, the icon appearing anyway:
// the retry's add is refused as "already there", and a modify takes over.
TEST(Tray, ARetryAfterALateAddUpdatesTheIconThatAppeared) {
    TrayIconData record{};
    FakeShell shell;
    shell.lateAdds = 1;
    Tray tray(record, shell);
    EXPECT_FALSE(tray.AddTrayIcon(0x10));
    tray.ShowNotice(L"could not read", L"");
    tray.SetTrayState(TrayState::Running); // a launch meanwhile
    EXPECT_FALSE(tray.RetryAdd());           // taken: no more tries are due
    ASSERT_GE(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls.back().op, TrayOp::Modify);
    EXPECT_EQ(std::strcmp(shell.calls.back().record.szTip, "Kelvarion: Running"), 0);
    EXPECT_EQ(shell.Adds(), 2u);
    EXPECT_EQ(shell.balloons, std::vector<std::wstring>{L"could not read"});
    EXPECT_FALSE(tray.RetryAdd());
    EXPECT_EQ(shell.Adds(), 2u);
}

// A program started quietly must not be left with no way in: when the last
// retry is refused, the window has to show, and the notice held for the icon
// goes (the window says enough). Taken at the last try, or ended meanwhile,
// there is nothing to make up for.
TEST(Tray, GivesUpOnlyWhenTheLastRetryIsRefused) {
    struct Case {
        int refused;
        bool removedMeanwhile;
        bool gaveUp;
    };
    const Case cases[] = {
        {kTrayAddRetries + 1, false, true},
        {kTrayAddRetries, false, false},
        {0, false, false},
        {kTrayAddRetries + 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        TrayIconData record{};
        FakeShell shell;
        shell.refuseAdds = c.refused;
        Tray tray(record, shell);
        tray.AddTrayIcon(0x10);
        tray.ShowNotice(L"could not read", L"");
        if (c.removedMeanwhile)
            tray.RemoveTrayIcon();
        for (int tries = 0; tray.RetryAdd(); ++tries)
            ASSERT_FALSE(tray.GaveUp()) << "while tries are still due: " << tries;
        EXPECT_EQ(tray.GaveUp(), c.gaveUp);
        // A firing of the retry timer already queued sends nothing more.
        size_t calls = shell.calls.size();
        EXPECT_FALSE(tray.RetryAdd());
        EXPECT_EQ(shell.calls.size(), calls);
        if (c.gaveUp) {
            tray.AddAgain(); // a taskbar that comes after all
            EXPECT_FALSE(tray.GaveUp());
            EXPECT_TRUE(shell.balloons.empty());
        }
    }
}

TEST(TrayEvents, OnlyReleasesAndDoubleClickAct) {
    struct Case {
        uint32_t code;
        TrayAction action;
    };
    const Case cases[] = {
        {0x200, TrayAction::None},       {0x201, TrayAction::None},
        {0x202, TrayAction::ShowWindow}, {0x203, TrayAction::ShowWindow},
        {0x204, TrayAction::None},       {0x205, TrayAction::PopupMenu},
        {0x206, TrayAction::None},       {0x207, TrayAction::None},
        {0x208, TrayAction::None},       {0x209, TrayAction::None},
        {0x400, TrayAction::None},       {0x0, TrayAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeTrayEvent(c.code), c.action) << std::hex << c.code;
    // Only the low word is the event.
    EXPECT_EQ(DecodeTrayEvent(0x00010202), TrayAction::ShowWindow);
    EXPECT_EQ(DecodeTrayEvent(0x02050000), TrayAction::None);
}

TEST(FailureNotice, TellsOnceUntilASuccessOrANewProgram) {
    FailureNotice notice;
    EXPECT_TRUE(notice.ShouldTell(L"a.exe", true));
    for (int tick = 0; tick < 100; ++tick)
        EXPECT_FALSE(notice.ShouldTell(L"a.exe", true));
    EXPECT_TRUE(notice.ShouldTell(L"b.exe", true));
    EXPECT_FALSE(notice.ShouldTell(L"b.exe", true));
    EXPECT_FALSE(notice.ShouldTell(L"b.exe", false));
    EXPECT_TRUE(notice.ShouldTell(L"b.exe", true));
}

TEST(BalloonText, ShortensTheSubjectInTheMiddleAndKeepsTheReason) {
    const std::wstring reason = L"The system cannot find the file specified.";
    const std::wstring path = L"C:\\Program Files\\" + std::wstring(400, L'd') + L"\\run.exe -q";
    const std::wstring fits(kBalloonTextMax - 1 - reason.size(), L'p');
    // UTF-16, as on Windows: a character outside the BMP is two units.
    const std::wstring pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
    struct Case {
        std::wstring subject;
        std::wstring reason;
        std::wstring expected; // empty: shortened, checked below
    };
    const Case cases[] = {
        {L"C:\\x.exe", reason, L"C:\\x.exe\n" + reason},
        {fits, reason, fits + L"\n" + reason},
        {fits + L"q", reason, L""},
        {path, reason, L""},
        // Pairs right where either cut would fall.
        {std::wstring(105, L'a') + pair + std::wstring(300, L'b') + pair + std::wstring(104, L'c'),
         reason, L""},
        {path, std::wstring(300, L'r'), std::wstring(kBalloonTextMax, L'r')},
    };
    for (const Case& c : cases) {
        std::wstring text = BalloonText(c.subject, c.reason);
        EXPECT_LE(text.size(), kBalloonTextMax) << c.subject.size();
        if (!c.expected.empty()) {
            EXPECT_EQ(text, c.expected);
            continue;
        }
        EXPECT_GE(text.size(), kBalloonTextMax - 2); // what a kept pair may cost
        EXPECT_EQ(text.substr(text.size() - c.reason.size() - 1), L"\n" + c.reason);
        size_t ellipsis = text.find(L'\u2026');
        ASSERT_NE(ellipsis, std::wstring::npos);
        // Both ends of the subject survive, and no surrogate pair is cut.
        EXPECT_EQ(c.subject.compare(0, ellipsis, text, 0, ellipsis), 0);
        size_t tail = text.size() - c.reason.size() - 1 - ellipsis - 1;
        EXPECT_EQ(c.subject.compare(c.subject.size() - tail, tail, text, ellipsis + 1, tail), 0);
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
            bool low = text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            EXPECT_EQ(high, low) << i;
        }
    }
}
