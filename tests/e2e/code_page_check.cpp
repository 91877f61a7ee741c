// kvcodepage: the conversions config.kv goes through, run by Windows' own
// WideCharToMultiByte and MultiByteToWideChar under chosen code pages: text that
// fits comes out as the expected bytes and reads back the same; text the code
// page cannot hold, a best fit and a lone surrogate among it, is refused.
// Prints one line a case; exit code 0 when every case holds, 1 otherwise.
#include <windows.h>

#include <string>

#include "base/text_win32.h"

namespace {

struct Case {
    UINT codePage;
    const char* what;
    std::wstring text;
    bool fits;
    std::string bytes; // when it fits; UTF-7 is checked by reading it back alone
};

void Say(const std::string& line) {
    DWORD written = 0;
    std::string text = line + "\n";
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

int main() {
    const wchar_t high = 0xD83D, low = 0xDE00; // U+1F600 as a surrogate pair
    const Case cases[] = {
        {1252, "Latin-1 and the euro sign", L"C:\\caf\u00e9\\\u20ac.bat", true,
         "C:\\caf\xe9\\\x80.bat"},
        {1252, "a best fit (a with macron would become a)", L"\u0101.exe", false, ""},
        {1252, "CJK", L"C:\\\u65e5\u672c.exe", false, ""},
        {1252, "a character outside the BMP", std::wstring{L'x', high, low}, false, ""},
        {1252, "a lone surrogate", std::wstring{L'x', high}, false, ""},
        {65001, "anything whole", std::wstring(L"C:\\caf\u00e9\\\u65e5") + high + low, true,
         "C:\\caf\xc3\xa9\\\xe6\x97\xa5\xf0\x9f\x98\x80"},
        {65001, "a lone high surrogate", std::wstring{L'a', high, L'b'}, false, ""},
        {65001, "a lone low surrogate", std::wstring{low, L'5'}, false, ""},
        // Takes no flags at all: a wrong flag would refuse every save.
        {65000, "UTF-7, read back", L"C:\\caf\u00e9\\\u65e5 5", true, ""},
        {1252, "nothing", L"", true, ""},
    };
    int failed = 0;
    for (const Case& c : cases) {
        std::string bytes;
        bool fits = ToAnsi(c.text, bytes, c.codePage);
        std::string problem;
        if (fits != c.fits)
            problem = fits ? "taken, should be refused" : "refused, should be taken";
        else if (fits && c.codePage != 65000 && bytes != c.bytes)
            problem = "bytes " + Hex(bytes) + ", expected " + Hex(c.bytes);
        else if (fits && FromAnsi(bytes, c.codePage) != c.text)
            problem = "does not read back the same";
        Say(std::to_string(c.codePage) + " " + c.what + ": " + (problem.empty() ? "ok" : problem));
        if (!problem.empty())
            ++failed;
    }
    Say(failed == 0 ? "all cases hold" : std::to_string(failed) + " cases failed");
    return failed == 0 ? 0 : 1;
}
