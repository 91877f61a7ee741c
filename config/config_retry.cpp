#include "config/config_retry.h"

#include "config/config_codec.h"

void ConfigRetry::Unreadable(uint32_t error, const std::wstring& program,
                             const std::wstring& minutes) {
    unreadable_ = true;
    retry_ = ReadMayBeRetried(error);
    program_ = program;
    minutes_ = minutes;
}

void ConfigRetry::Read(uint32_t error, bool found) {
    retry_ = error != 0 && ReadMayBeRetried(error);
    // Gone or empty now, it may come back: the defaults are still kept off it.
    if (error == 0 && found)
        unreadable_ = false;
}

bool ConfigRetry::KeepsFile(const std::wstring& program, const std::wstring& minutes) const {
    return unreadable_ && program == program_ && minutes == minutes_;
}
