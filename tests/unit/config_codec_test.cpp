#include "config/config_codec.h"
#include "config/config_encoding.h"
#include "config/config_retry.h"

#include <gtest/gtest.h>

#include <string>

TEST(DecodeConfig, ReadsBothLinesWithEitherLineEnd) {
    struct Case {
        const wchar_t* file;
        const wchar_t* program;
        const wchar_t* minutes;
    };
    const Case cases[] = {
        {L"C:\\kv test\\tick log.bat\r\n10\r\n", L"C:\\kv test\\tick log.bat", L"10"},
        {L"C:\\a.bat\n10\n", L"C:\\a.bat", L"10"},
        {L"C:\\a.bat\r\n10", L"C:\\a.bat", L"10"},
        {L"C:\\a.bat\r\n05\r\n", L"C:\\a.bat", L"5"},
        {L"C:\\a.bat\r\n7.5\r\n", L"C:\\a.bat", L"8"},
        {L"C:\\a.bat\r\n2.5\r\n", L"C:\\a.bat", L"2"},
        {L"C:\\a.bat\r\n-3\r\n", L"C:\\a.bat", L"-3"},
        {L"C:\\a.bat\r\n 6 \r\n", L"C:\\a.bat", L"6"},
        {L"C:\\a.bat\r\n\uFF10\uFF15\r\n", L"C:\\a.bat", L"5"}, // full-width 05
        // What the program itself writes when the user typed it: kept verbatim.
        {L"C:\\a.bat\r\nabc\r\n", L"C:\\a.bat", L"abc"},
        {L"C:\\a.bat\r\n99999\r\n", L"C:\\a.bat", L"99999"},
        {L"C:\\a.bat\r\n\r\n", L"C:\\a.bat", L""},
        {L"\r\n5\r\n", L"", L"5"},
        {L"x\r\n3\r\nextra\r\nlines\r\n", L"x", L"3"},
    };
    for (const Case& c : cases) {
        ConfigValues values = DecodeConfig(c.file, L'.');
        ASSERT_TRUE(values.program.has_value());
        ASSERT_TRUE(values.minutes.has_value());
        EXPECT_EQ(*values.program, c.program);
        EXPECT_EQ(*values.minutes, c.minutes);
    }
}

TEST(ReadMayBeRetried, OnlyWhileAnotherProgramOrTheCloudHoldsTheFile) {
    for (uint32_t error : {32u, 33u, 362u, 388u, 391u})
        EXPECT_TRUE(ReadMayBeRetried(error)) << error;
    // Missing, refused, broken, a cloud file that will not come by waiting, or
    // a provider whose every answer takes a minute.
    for (uint32_t error : {2u, 3u, 5u, 21u, 23u, 223u, 358u, 363u, 379u, 426u, 1920u})
        EXPECT_FALSE(ReadMayBeRetried(error)) << error;
}

// Held at start-up, then read again at each tick: what the next read finds.
TEST(ConfigRetry, WaitsOutAHoldAndKeepsTheFileUntilItsSettingsAreRead) {
    struct Case {
        const char* what;
        uint32_t atStart, later;
        bool found, dueAfter, keptAfter;
    };
    const Case cases[] = {
        {"still held", 32, 33, false, true, true},
        {"let go and read", 32, 0, true, false, false},
        {"gone or empty, may come back", 32, 0, false, false, true},
        {"refused now", 391, 5, false, false, true},
        {"a provider that timed out", 426, 426, false, false, true},
    };
    for (const Case& c : cases) {
        ConfigRetry retry;
        retry.Unreadable(c.atStart, L"", L"5");
        if (retry.Due())
            retry.Read(c.later, c.found);
        EXPECT_EQ(retry.Due(), c.dueAfter) << c.what;
        EXPECT_EQ(retry.KeepsFile(L"", L"5"), c.keptAfter) << c.what;
        // A box the user changed is saved, and a retry no longer fills it.
        EXPECT_FALSE(retry.KeepsFile(L"C:\\new.bat", L"5")) << c.what;
        EXPECT_FALSE(retry.MayFillProgram(L"C:\\new.bat")) << c.what;
        EXPECT_TRUE(retry.MayFillMinutes(L"5")) << c.what;
    }
    EXPECT_FALSE(ConfigRetry().KeepsFile(L"", L"5"));
}

TEST(DecodeConfig, ShortFilesKeepTheDefaults) {
    ConfigValues empty = DecodeConfig(L"", L'.');
    EXPECT_FALSE(empty.program.has_value());
    EXPECT_FALSE(empty.minutes.has_value());

    for (const wchar_t* oneLine : {L"C:\\a.bat", L"C:\\a.bat\r\n", L"C:\\a.bat\n"}) {
        ConfigValues values = DecodeConfig(oneLine, L'.');
        ASSERT_TRUE(values.program.has_value());
        EXPECT_EQ(*values.program, L"C:\\a.bat");
        EXPECT_FALSE(values.minutes.has_value());
    }
}

TEST(DecodeConfig, KeepsTheNumberOfANumericSecondLine) {
    EXPECT_EQ(DecodeConfig(L"p\r\n7.5\r\n", L'.').minutesValue, std::optional<int16_t>(8));
    EXPECT_EQ(DecodeConfig(L"p\r\n-32768\r\n", L'.').minutesValue, std::optional<int16_t>(-32768));
    EXPECT_FALSE(DecodeConfig(L"p\r\nabc\r\n", L'.').minutesValue.has_value());
    EXPECT_FALSE(DecodeConfig(L"p\r\n32768\r\n", L'.').minutesValue.has_value());
    EXPECT_FALSE(DecodeConfig(L"p\r\n", L'.').minutesValue.has_value());
}

TEST(DecodeConfig, UsesTheLocaleSeparator) {
    EXPECT_EQ(*DecodeConfig(L"p\r\n7,5\r\n", L',').minutes, L"8");
    EXPECT_EQ(*DecodeConfig(L"p\r\n7.5\r\n", L',').minutes, L"7.5");
}

TEST(EncodeConfig, WritesExactlyTwoCrLfLinesThatReadBack) {
    EXPECT_EQ(EncodeConfig(L"", L"5"), L"\r\n5\r\n");
    EXPECT_EQ(EncodeConfig(L"C:\\x y\\z.bat", L"abc"), L"C:\\x y\\z.bat\r\nabc\r\n");

    struct Case {
        const wchar_t* program;
        const wchar_t* minutes;
    };
    const Case roundTrips[] = {{L"", L"5"},           {L"C:\\kv test\\run me.bat", L"10"},
                               {L"\"q.exe\" -a", L"abc"}, {L"x", L""},
                               {L"x", L"32767"},      {L"x", L"-32768"}};
    for (const Case& c : roundTrips) {
        std::wstring file = EncodeConfig(c.program, c.minutes);
        ConfigValues values = DecodeConfig(file, L'.');
        EXPECT_EQ(*values.program, c.program);
        EXPECT_EQ(*values.minutes, c.minutes);
        // Saving what was loaded gives the same file again.
        EXPECT_EQ(EncodeConfig(*values.program, *values.minutes), file);
    }
    const std::wstring longProgram(40000, L'p');
    EXPECT_EQ(*DecodeConfig(EncodeConfig(longProgram, L"5"), L'.').program, longProgram);
}

TEST(ConfigEncoding, NotepadsFilesReadAsTheyAreAndComeBackByteForByte) {
    using E = ConfigEncoding;
    struct Case {
        const char* what;
        std::string bytes;
        bool multiByteAnsi, validInAnsi;
        E encoding;
        std::wstring text; // read so, when not ANSI
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"UTF-8 mark", "\357\273\277C:\\\xC3\xBC.bat\r\n5\r\n", false, false, E::Utf8Bom,
         L"C:\\\u00fc.bat\r\n5\r\n"},
        {"UTF-16 LE", "\377\376C\0\r\0\n\0005\0\r\0\n\0"s, false, false, E::Utf16Le, L"C\r\n5\r\n"},
        {"UTF-16 BE", "\376\377\0C\0\r\0\n"s, true, true, E::Utf16Be, L"C\r\n"},
        {"UTF-8, no mark", "C:\\\xC3\xBC.bat\r\n5\r\n", false, false, E::Utf8,
         L"C:\\\u00fc.bat\r\n5\r\n"},
        {"outside the BMP", "\xF0\x9F\x98\x80\r\n", false, false, E::Utf8, L"\xD83D\xDE00\r\n"},
        {"UTF-8 the multi-byte code page lacks", "\xC3\xBC\r\n", true, false, E::Utf8,
         L"\u00fc\r\n"},
        {"code page 1252", "C:\\\xFC.bat\r\n5\r\n", false, false, E::Ansi, L""},
        {"ASCII only", "C:\\a.bat\r\n5\r\n", false, false, E::Ansi, L""},
        {"overlong", "\xC0\xAF\r\n", false, false, E::Ansi, L""},
        {"surrogate", "\xED\xA0\x80\r\n", false, false, E::Ansi, L""},
        {"past U+10FFFF", "\xF4\x90\x80\x80\r\n", false, false, E::Ansi, L""},
        {"cut short", "a\xC3", false, false, E::Ansi, L""},
        {"Shift-JIS that is UTF-8 too", "\xE8\xA1\xA8\r\n", true, true, E::Ansi, L""},
    };
    for (const Case& c : cases) {
        E encoding = DetectConfigEncoding(c.bytes, c.multiByteAnsi, c.validInAnsi);
        EXPECT_EQ(encoding, c.encoding) << c.what;
        if (encoding == E::Ansi)
            continue;
        std::wstring text = DecodeUnicode(c.bytes, encoding);
        EXPECT_EQ(text, c.text) << c.what;
        std::string written;
        EXPECT_TRUE(EncodeUnicode(text, encoding, written)) << c.what;
        EXPECT_EQ(written, c.bytes) << c.what;
    }
    // Half a surrogate pair: UTF-8 cannot hold it, UTF-16 keeps it as it came.
    std::string bytes;
    EXPECT_FALSE(EncodeUnicode(L"\xD800x", E::Utf8, bytes));
    EXPECT_TRUE(EncodeUnicode(L"\xD800x", E::Utf16Le, bytes));
    EXPECT_EQ(DecodeUnicode(bytes, E::Utf16Le), L"\xD800x");
    // A mark with broken UTF-8 after it reads as U+FFFD, never as "ï»¿".
    EXPECT_EQ(DecodeUnicode("\xEF\xBB\xBF\xFFok", E::Utf8Bom), L"\uFFFDok");
}
