#include "ui/browse.h"

#include "base/text.h"

namespace {

bool IsUsableFileName(const std::wstring& text, size_t capacity) {
    if (text.empty() || text.size() >= capacity)
        return false;
    for (wchar_t c : text) {
        if (c < 32 || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'*' || c == L'?')
            return false;
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return {};
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash); // keep "C:\"
}

// GetOpenFileName moves the working directory on Windows whatever
// OFN_NOCHANGEDIR says, and config.kv must be saved where it was read.
OpenResult ShowInPlace(IOpenDialog& dialog, const OpenRequest& request,
                       IWorkingDirectory& workingDirectory) {
    std::wstring before = workingDirectory.Get();
    OpenResult result = dialog.Show(request);
    if (!before.empty())
        workingDirectory.Set(before);
    return result;
}

} // namespace

OpenRequest InitialOpenRequest(const std::wstring& programText, size_t capacity,
                               IProgramLookup& lookup) {
    OpenRequest request;
    if (programText.empty())
        return request;
    ProgramSplit split = SplitProgram(programText, lookup);
    bool commandLine = split.found && !IsBlankText(split.arguments);
    if (!split.quoted && !commandLine && IsUsableFileName(programText, capacity)) {
        request.fileName = programText;
        return request;
    }
    std::wstring folder = FolderOf(split.program);
    if (folder.size() < capacity)
        request.initialFolder = folder;
    return request;
}

std::optional<std::wstring> BrowseForProgram(const std::wstring& programText, size_t capacity,
                                             IOpenDialog& dialog, IProgramLookup& lookup,
                                             IWorkingDirectory& workingDirectory) {
    OpenRequest request = InitialOpenRequest(programText, capacity, lookup);
    OpenResult result = ShowInPlace(dialog, request, workingDirectory);
    if (result.status == OpenStatus::BadFileName) {
        OpenRequest fallback;
        ProgramSplit split = SplitProgram(programText, lookup);
        fallback.initialFolder = FolderOf(split.program);
        if (fallback.initialFolder.size() >= capacity)
            fallback.initialFolder.clear();
        result = ShowInPlace(dialog, fallback, workingDirectory);
    }
    if (result.status != OpenStatus::Chosen)
        return std::nullopt;
    return result.path;
}
