// A failed start is told once, not at every tick.
#pragma once

#include <cstddef>
#include <string>

// The shell shows at most this many characters of a balloon's text.
constexpr size_t kBalloonTextMax = 255;

// "subject", a line break and "reason" in at most kBalloonTextMax characters.
// A long subject (a path, a command line) loses its middle to an ellipsis;
// the reason is what the user needs, so it is kept whole.
std::wstring BalloonText(const std::wstring& subject, const std::wstring& reason);

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
