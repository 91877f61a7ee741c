// A config.kv that is there but could not be read at start-up: its settings
// are not ours to overwrite, and while another program holds it, it is read
// again at every tick, into the boxes the user has not changed since.
#pragma once

#include <cstdint>
#include <string>

class ConfigRetry {
public:
    // The read at start-up failed with error; the boxes held these texts then.
    void Unreadable(uint32_t error, const std::wstring& program, const std::wstring& minutes);
    // Read it again at this tick.
    bool Due() const { return retry_; }
    // Whether a read may fill a box that holds this text now: only one the
    // user has not changed.
    bool MayFillProgram(const std::wstring& now) const { return now == program_; }
    bool MayFillMinutes(const std::wstring& now) const { return now == minutes_; }
    // A read again: only a hold is waited out; another error, or the file
    // gone or empty, ends the tries. Only settings read lift the guard.
    void Read(uint32_t error, bool found);
    // Exit leaves config.kv as it is: it could not be read, and neither box
    // has changed since.
    bool KeepsFile(const std::wstring& program, const std::wstring& minutes) const;

private:
    bool unreadable_ = false;
    bool retry_ = false;
    std::wstring program_, minutes_;
};
