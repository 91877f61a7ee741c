// The system's Open dialog behind the program picker.
#pragma once

#include <windows.h>

#include "ui/browse.h"

class Win32OpenDialog : public IOpenDialog {
public:
    static constexpr size_t kCapacity = 32768; // characters, with the NUL

    explicit Win32OpenDialog(HWND owner) : owner_(owner) {}
    OpenResult Show(const OpenRequest& request) override;

private:
    HWND owner_;
};

class Win32WorkingDirectory : public IWorkingDirectory {
public:
    std::wstring Get() override;
    void Set(const std::wstring& path) override;
};
