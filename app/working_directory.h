// The process's working directory, and work done in the folder Kelvarion started in.
#pragma once

#include <string>

class IWorkingDirectory {
public:
    virtual ~IWorkingDirectory() = default;
    virtual std::wstring Get() = 0; // empty when it cannot be read
    virtual void Set(const std::wstring& path) = 0;
};

// Runs work with the working directory at folder, then puts it back. The Open
// dialog moves the working directory while the user browses (Windows ignores
// OFN_NOCHANGEDIR there), and a tick can arrive meanwhile: its start still
// finds a relative program, and starts it, in the start-up folder. When the
// directory is already there nothing is touched, so the system's own search
// order (the working directory among the system folders) stays as it is.
template <typename Work>
auto InFolder(IWorkingDirectory& workingDirectory, const std::wstring& folder, Work work) {
    if (folder.empty())
        return work();
    std::wstring before = workingDirectory.Get();
    if (before == folder)
        return work();
    workingDirectory.Set(folder);
    auto result = work();
    if (!before.empty())
        workingDirectory.Set(before);
    return result;
}
