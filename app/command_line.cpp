#include "app/command_line.h"

#include <vector>

#include "base/text.h"

namespace {

// The arguments after the program's name, by the rules of CommandLineToArgvW:
// blanks separate them outside quotes; 2n backslashes before a quote are n
// and the quote opens or closes, 2n+1 are n and a literal quote; "" inside
// quotes is a literal quote.
std::vector<std::wstring> Arguments(const std::wstring& line) {
    size_t at = 0;
    // The program's name: up to the closing quote, or to the first blank.
    if (at < line.size() && line[at] == L'"') {
        size_t close = line.find(L'"', at + 1);
        at = close == std::wstring::npos ? line.size() : close + 1;
    }
    while (at < line.size() && !IsBlank(line[at]))
        ++at;

    std::vector<std::wstring> arguments;
    for (;;) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at >= line.size())
            return arguments;
        std::wstring argument;
        bool quoted = false;
        while (at < line.size() && (quoted || !IsBlank(line[at]))) {
            size_t slashes = 0;
            while (at < line.size() && line[at] == L'\\') {
                ++slashes;
                ++at;
            }
            if (at < line.size() && line[at] == L'"') {
                argument.append(slashes / 2, L'\\');
                if (slashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                    argument += L'"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(slashes, L'\\');
                if (at < line.size() && (quoted || !IsBlank(line[at])))
                    argument += line[at++];
            }
        }
        arguments.push_back(argument);
    }
}

bool IsTraySwitch(const std::wstring& argument) {
    for (const wchar_t* spelling : {L"/tray", L"-tray", L"--tray"}) {
        if (EqualsIgnoringCase(argument, spelling))
            return true;
    }
    return false;
}

} // namespace

bool HasTraySwitch(const std::wstring& commandLine) {
    for (const std::wstring& argument : Arguments(commandLine)) {
        if (IsTraySwitch(argument))
            return true;
    }
    return false;
}

bool StartsInTray(const std::wstring& commandLine, int showCommand) {
    return showCommand == kShowMinimized || showCommand == kMinimize ||
           showCommand == kShowMinNoActive || HasTraySwitch(commandLine);
}
