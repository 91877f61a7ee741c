#include "config/config_path.h"

#include <cwctype>

#include "base/text.h"

namespace {

constexpr size_t kMaxPath = 260; // MAX_PATH, the NUL included

} // namespace

std::wstring ConfigPathIn(const std::wstring& folder) {
    if (folder.empty())
        return kConfigFileName;
    return folder + (IsSeparator(folder.back()) ? L"" : L"\\") + kConfigFileName;
}

std::wstring LongPathForm(const std::wstring& fullPath) {
    if (fullPath.size() < kMaxPath)
        return fullPath;
    if (std::iswalpha(static_cast<wint_t>(fullPath[0])) && fullPath[1] == L':' &&
        fullPath[2] == L'\\')
        return L"\\\\?\\" + fullPath;
    // \\server\share\...; \\?\ and \\.\ paths are already in their final form.
    if (fullPath[0] == L'\\' && fullPath[1] == L'\\' && fullPath[2] != L'?' && fullPath[2] != L'.')
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return fullPath;
}
