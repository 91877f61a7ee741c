#include "tray/failure_notice.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

std::wstring BalloonText(const std::wstring& subject, const std::wstring& reason) {
    if (subject.size() + 1 + reason.size() <= kBalloonTextMax)
        return subject + L"\n" + reason;
    if (reason.size() + 2 >= kBalloonTextMax) // no room for any of the subject
        return reason.substr(0, kBalloonTextMax);
    size_t room = kBalloonTextMax - reason.size() - 2; // beside the ellipsis and the break
    size_t head = room - room / 2;
    size_t tail = room / 2;
    // A character outside the BMP is kept whole or not at all.
    if (head > 0 && IsHighSurrogate(subject[head - 1]))
        --head;
    if (tail > 0 && IsLowSurrogate(subject[subject.size() - tail]))
        --tail;
    return subject.substr(0, head) + L"\u2026" + subject.substr(subject.size() - tail) + L"\n" +
           reason;
}
