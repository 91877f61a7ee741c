// The process's working directory, which the Open dialog moves and puts back.
#pragma once

#include <string>

class IWorkingDirectory {
public:
    virtual ~IWorkingDirectory() = default;
    virtual std::wstring Get() = 0; // empty when it cannot be read
    virtual void Set(const std::wstring& path) = 0;
};
