#include "app/launch_plan.h"

#include <cwctype>

namespace {

std::wstring Trim(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    std::wstring tail(suffix);
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(text[text.size() - tail.size() + i])) !=
            static_cast<wint_t>(tail[i]))
            return false;
    }
    return true;
}

bool IsBatchFile(const std::wstring& path) {
    return EndsWithNoCase(path, L".bat") || EndsWithNoCase(path, L".cmd");
}

bool LooksLikePath(const std::wstring& name) {
    return name.find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring Quote(const std::wstring& path) { return L"\"" + path + L"\""; }

// program: the file to run, unquoted; arguments: the rest, as typed.
LaunchPlan PlanFor(const std::wstring& program, const std::wstring& arguments,
                   IProgramLookup& lookup) {
    LaunchPlan plan;
    if (IsBatchFile(program)) {
        // /s /c with the whole command in one more pair of quotes: cmd strips
        // exactly the outer pair and runs the rest as written.
        std::wstring cmd = lookup.SystemDirectory() + L"\\cmd.exe";
        plan.applicationName = cmd;
        plan.commandLine = Quote(cmd) + L" /s /c \"" + Quote(program) + arguments + L"\"";
    } else {
        plan.applicationName = program;
        plan.commandLine = Quote(program) + arguments;
    }
    return plan;
}

LaunchPlan NotFound() {
    LaunchPlan plan;
    plan.error = kErrorFileNotFound;
    return plan;
}

} // namespace

ProgramSplit SplitProgram(const std::wstring& programText, IProgramLookup& lookup) {
    std::wstring text = Trim(programText);
    ProgramSplit split;
    if (text.empty())
        return split;
    if (text.front() == L'"') {
        size_t close = text.find(L'"', 1);
        split.quoted = true;
        split.program = text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        split.arguments = close == std::wstring::npos ? L"" : text.substr(close + 1);
        split.found = lookup.IsFile(split.program);
        return split;
    }

    // Longest leading part first, so "C:\Program Files\x.exe" wins over "C:\Program".
    if (lookup.IsFile(text)) {
        split.program = text;
        split.found = true;
        return split;
    }
    for (size_t space = text.rfind(L' '); space != std::wstring::npos && space > 0;
         space = text.rfind(L' ', space - 1)) {
        std::wstring head = Trim(text.substr(0, space));
        if (!head.empty() && lookup.IsFile(head)) {
            split.program = head;
            split.arguments = text.substr(head.size());
            split.found = true;
            return split;
        }
    }

    // A bare name such as "notepad" or "ping -n 1 host": the first word is
    // the program, found the way the system finds programs.
    size_t space = text.find(L' ');
    split.program = text.substr(0, space);
    split.arguments = space == std::wstring::npos ? L"" : text.substr(space);
    if (LooksLikePath(split.program)) {
        // One word cannot be split wrongly, so the system's ".exe" is safe here.
        if (space == std::wstring::npos && lookup.IsFile(split.program + L".exe")) {
            split.program += L".exe";
            split.found = true;
        }
        return split;
    }
    std::wstring found = lookup.SearchProgram(split.program);
    if (!found.empty()) {
        split.program = found;
        split.found = true;
    }
    return split;
}

LaunchPlan PlanLaunch(const std::wstring& programText, IProgramLookup& lookup) {
    ProgramSplit split = SplitProgram(programText, lookup);
    if (split.quoted && !(split.found && IsBatchFile(split.program))) {
        LaunchPlan plan;
        plan.commandLine = Trim(programText); // as the user quoted it
        return plan;
    }
    if (!split.found)
        return NotFound();
    return PlanFor(split.program, split.arguments, lookup);
}
