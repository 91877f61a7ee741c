// A failed start is told once, not at every tick.
#pragma once

#include <string>

class FailureNotice {
public:
    // Called after every start attempt; true when the user should be told
    // now: the first failure, or a failure of a different program text.
    bool ShouldTell(const std::wstring& program, bool failed) {
        if (!failed) {
            told_ = false;
            return false;
        }
        if (told_ && program == program_)
            return false;
        told_ = true;
        program_ = program;
        return true;
    }

private:
    bool told_ = false;
    std::wstring program_;
};
