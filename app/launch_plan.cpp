#include "app/launch_plan.h"

#include "base/text.h"

namespace {

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsBatchFile(const std::wstring& path) {
    return EndsWithNoCase(path, L".bat") || EndsWithNoCase(path, L".cmd");
}

bool LooksLikePath(const std::wstring& name) {
    return name.find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring Quote(const std::wstring& path) { return L"\"" + path + L"\""; }

// program: the file to run, unquoted; arguments: the rest, as typed;
// startFrom: where it was found, when not at program.
LaunchPlan PlanFor(const std::wstring& program, const std::wstring& arguments,
                   const std::wstring& startFrom, IProgramLookup& lookup) {
    const std::wstring& file = startFrom.empty() ? program : startFrom;
    LaunchPlan plan;
    if (IsBatchFile(program)) {
        // /s /c with the whole command in one more pair of quotes: cmd strips
        // exactly the outer pair and runs the rest as written. cmd.exe runs
        // under WOW64 as we do, so it gets the path we found the file at.
        std::wstring cmd = lookup.SystemDirectory() + L"\\cmd.exe";
        plan.applicationName = cmd;
        plan.commandLine = Quote(cmd) + L" /s /c \"" + Quote(file) + arguments + L"\"";
    } else {
        // The program sees its path as written, which names it for 64-bit
        // programs too; Sysnative exists only for 32-bit ones.
        plan.applicationName = file;
        plan.commandLine = Quote(program) + arguments;
    }
    return plan;
}

LaunchPlan Refused(uint32_t error) {
    LaunchPlan plan;
    plan.error = error;
    return plan;
}

bool HasExtension(const std::wstring& path) {
    size_t dot = path.rfind(L'.');
    return dot != std::wstring::npos && path.find_first_of(L"\\/", dot) == std::wstring::npos;
}

// The system adds ".exe" to a path without an extension. Not where the text
// goes on into a folder of that name: "C:\Program" in "C:\Program Files\x"
// is the start of a path, never C:\Program.exe.
bool MayAddExe(const std::wstring& text, size_t end, IProgramLookup& lookup) {
    std::wstring head = text.substr(0, end);
    if (!LooksLikePath(head) || HasExtension(head))
        return false;
    size_t limit = text.size() < kMaxProgramPath ? text.size() : kMaxProgramPath;
    for (size_t i = end; i < limit; ++i) {
        if (text[i] == L'\\' || text[i] == L'/')
            return !lookup.IsFolder(FullPath(lookup.StartFolder(), text.substr(0, i)));
    }
    return true;
}

// Whether path begins with prefix, compared as the file system does: case
// and the kind of separator aside.
bool StartsWithPath(const std::wstring& path, const std::wstring& prefix) {
    if (path.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (IsSeparator(path[i]) || IsSeparator(prefix[i])) {
            if (!IsSeparator(path[i]) || !IsSeparator(prefix[i]))
                return false;
        } else if (LowerCase(path[i]) != LowerCase(prefix[i])) {
            return false;
        }
    }
    return true;
}

// A 32-bit process on 64-bit Windows sees %windir%\System32 as the 32-bit
// system folder; %windir%\Sysnative is the way into the 64-bit one, for
// 32-bit processes only.
std::wstring ThroughSysnative(const std::wstring& path, IProgramLookup& lookup) {
    if (!lookup.RunsUnderWow64())
        return {};
    std::wstring windir = lookup.WindowsDirectory();
    while (!windir.empty() && IsSeparator(windir.back()))
        windir.pop_back();
    if (windir.empty())
        return {};
    std::wstring system32 = windir + L"\\System32\\";
    if (path.size() <= system32.size() || !StartsWithPath(path, system32))
        return {};
    std::wstring native = windir + L"\\Sysnative\\" + path.substr(system32.size());
    return lookup.IsFile(native) ? native : std::wstring();
}

// The full path of the file path names, path getting ".exe" when that is
// what was found; empty when nothing is. Sysnative is tried only when the
// usual lookup, ".exe" included, finds nothing.
std::wstring FindProgramFile(std::wstring& path, bool mayAddExe, IProgramLookup& lookup) {
    std::wstring full = FullPath(lookup.StartFolder(), path);
    std::wstring withExe = full + L".exe";
    if (lookup.IsFile(full))
        return full;
    if (mayAddExe && lookup.IsFile(withExe)) {
        path += L".exe";
        return withExe;
    }
    std::wstring native = ThroughSysnative(full, lookup);
    if (native.empty() && mayAddExe) {
        native = ThroughSysnative(withExe, lookup);
        if (!native.empty())
            path += L".exe";
    }
    return native;
}

bool IsFullPath(const std::wstring& path) {
    return (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) ||
           (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]));
}

} // namespace

std::wstring FullPath(const std::wstring& folder, const std::wstring& path) {
    if (folder.empty() || path.empty() || IsFullPath(path))
        return path;
    std::wstring full;
    if (path.size() >= 2 && path[1] == L':') { // "D:x": the root of that drive
        full = path;
        return full.insert(2, 1, L'\\');
    }
    size_t end = folder.size();
    if (IsSeparator(path[0])) {
        // The folder's root: "C:", or "\\server\share" for a share.
        end = 2;
        int parts = IsSeparator(folder[0]) ? 2 : 0;
        for (; parts > 0 && end != std::wstring::npos; --parts)
            end = folder.find_first_of(L"\\/", end + 1);
    }
    full.assign(folder, 0, end);
    if (!IsSeparator(path[0]) && !IsSeparator(full.back()))
        full += L'\\';
    return full += path;
}

std::wstring LocateFile(const std::wstring& path, IProgramLookup& lookup) {
    std::wstring named = path;
    return FindProgramFile(named, false, lookup);
}

ProgramSplit SplitProgram(const std::wstring& programText, IProgramLookup& lookup) {
    std::wstring text(Trim(programText));
    ProgramSplit split;
    if (text.empty())
        return split;
    if (text.front() == L'"') {
        size_t close = text.find(L'"', 1);
        split.quoted = true;
        split.program = text.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        split.arguments = close == std::wstring::npos ? L"" : text.substr(close + 1);
        std::wstring named = split.program;
        std::wstring where =
            FindProgramFile(named, MayAddExe(split.program, split.program.size(), lookup), lookup);
        if (where.empty() && !LooksLikePath(split.program))
            where = lookup.SearchProgram(split.program);
        split.found = !where.empty();
        if (where != split.program)
            split.startFrom = where;
        return split;
    }

    // Longest leading part first, so "C:\Program Files\x.exe" wins over "C:\Program".
    // Only parts a program path can be are tried, so a long text costs no
    // more lookups than a short one.
    size_t end = text.size() < kMaxProgramPath ? text.size() : kMaxProgramPath;
    for (; end > 0; --end) {
        if (end < text.size() && !IsBlank(text[end]))
            continue;
        if (IsBlank(text[end - 1])) // the same part as one blank further on
            continue;
        std::wstring head = text.substr(0, end);
        std::wstring where = FindProgramFile(head, MayAddExe(text, end, lookup), lookup);
        if (!where.empty()) {
            split.program = head;
            split.arguments = text.substr(end);
            split.found = true;
            if (where != head)
                split.startFrom = where;
            return split;
        }
    }

    // A bare name such as "notepad" or "ping -n 1 host": the first word is
    // the program, found the way the system finds programs.
    size_t space = text.find(L' ');
    split.program = text.substr(0, space);
    split.arguments = space == std::wstring::npos ? L"" : text.substr(space);
    if (LooksLikePath(split.program))
        return split;
    std::wstring found = lookup.SearchProgram(split.program);
    if (!found.empty()) {
        split.program = found;
        split.found = true;
    }
    return split;
}

LaunchPlan PlanLaunch(const std::wstring& programText, IProgramLookup& lookup) {
    if (programText.size() >= kMaxCommandLine)
        return Refused(kErrorFilenameExcedRange);
    ProgramSplit split = SplitProgram(programText, lookup);
    if (!split.found)
        return Refused(kErrorFileNotFound);
    if (split.quoted && !IsBatchFile(split.program)) {
        LaunchPlan plan;
        plan.applicationName = split.startFrom.empty() ? split.program : split.startFrom;
        plan.commandLine = Trim(programText); // as the user quoted it
        return plan;
    }
    LaunchPlan plan = PlanFor(split.program, split.arguments, split.startFrom, lookup);
    // The quotes and the interpreter we add can take it past the limit.
    if (plan.commandLine.size() >= kMaxCommandLine)
        return Refused(kErrorFilenameExcedRange);
    // Measured as written, before cmd.exe expands any %VAR%.
    if (IsBatchFile(split.program) && plan.commandLine.size() > kMaxBatchCommandLine)
        return Refused(kErrorFilenameExcedRange);
    return plan;
}
