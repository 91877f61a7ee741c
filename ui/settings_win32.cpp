#include "ui/settings_win32.h"

#include "app/launcher_win32.h"
#include "base/text_win32.h"

ConfigRead LoadConfiguration(const std::wstring& path, std::wstring& savedProgram,
                             int16_t& savedMinutes, ConfigEncoding& savedEncoding, HWND prgToRun,
                             HWND everyNMins) {
    ConfigRead read = ReadConfiguration(path);
    const ConfigValues& values = read.values;
    if (read.encoding)
        savedEncoding = *read.encoding;
    if (values.program)
        savedProgram = *values.program;
    if (values.minutesValue)
        savedMinutes = *values.minutesValue;
    if (values.program && prgToRun)
        SetWindowTextW(prgToRun, values.program->c_str());
    if (values.minutes && everyNMins)
        SetWindowTextW(everyNMins, values.minutes->c_str());
    return read;
}

DWORD SaveConfiguration(const std::wstring& path, ConfigEncoding& encoding, HWND prgToRun,
                        HWND everyNMins) {
    return WriteConfiguration(path, GetText(prgToRun), GetText(everyNMins), encoding);
}

std::wstring SaveFailureMessage(const std::wstring& path, DWORD error) {
    return L"Kelvarion could not save its settings to\n" + path + L"\n\n" + SystemErrorText(error);
}
