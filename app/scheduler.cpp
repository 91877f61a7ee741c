#include "app/scheduler.h"

#include "app/numbers.h"

namespace {

bool IsBlankText(const std::wstring& text) {
    return text.find_first_not_of(L" \t") == std::wstring::npos;
}

} // namespace

TickOutcome OnTick(int16_t& tickCounter, std::wstring_view minutesText,
                   const std::wstring& programText, wchar_t decimalSeparator, ILaunchHost& host) {
    std::optional<int> minutes = WholeMinutes(minutesText, decimalSeparator);
    if (!minutes)
        return {TickResult::Skipped, 0};
    if (tickCounter < *minutes) {
        // minutes <= 32767, so the counter cannot overflow.
        ++tickCounter;
        return {TickResult::Counted, 0};
    }

    tickCounter = 1;
    if (IsBlankText(programText))
        return {TickResult::NoProgram, 0};

    host.SetTrayState(TrayState::Running);
    uint32_t error = host.StartHidden(programText);
    host.SetTrayState(TrayState::Waiting);
    if (error != 0)
        return {TickResult::Failed, error};
    return {TickResult::Launched, 0};
}
