#include "config/config_file_win32.h"

#include "app/handles_win32.h"
#include "app/launcher_win32.h"
#include "app/numbers.h"
#include "app/text_win32.h"
#include "config/config_codec.h"
#include "config/config_encoding.h"
#include "config/config_path.h"

namespace {

// Settings files are a few hundred bytes; anything past this is not ours.
constexpr LONGLONG kMaxConfigBytes = 64LL * 1024 * 1024;

// 0 when read, else the system's reason.
DWORD ReadWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueKernelHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        return GetLastError();
    if (size.QuadPart > kMaxConfigBytes)
        return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), &bytes[total], static_cast<DWORD>(bytes.size() - total), &read,
                      nullptr))
            return GetLastError();
        if (read == 0)
            break;
        total += read;
    }
    bytes.resize(total);
    return 0;
}

DWORD WriteNewFile(const std::wstring& path, const std::string& bytes) {
    UniqueKernelHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    if (!bytes.empty() &&
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return GetLastError();
    if (written != bytes.size())
        return ERROR_DISK_FULL; // a short write: the only way it happens
    if (!FlushFileBuffers(file.get()))
        return GetLastError();
    return 0;
}

// Written beside the target, then moved over it in one step. The name is the
// process's own, so two copies saving at once never share a temporary file.
DWORD ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    std::wstring temporary = path + L"." + ToDecimal(GetCurrentProcessId()) + L".tmp";
    DWORD error = WriteNewFile(temporary, bytes);
    if (error == 0 && !MoveFileExW(LongPathForm(temporary).c_str(), LongPathForm(path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0)
        DeleteFileW(LongPathForm(temporary).c_str());
    return error;
}

} // namespace

wchar_t LocaleDecimalSeparator() {
    wchar_t separator[8] = L".";
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0)
        return L'.';
    return separator[0];
}

DWORD LoadConfiguration(const std::wstring& path, Module1& module, HWND prgToRun, HWND everyNMins) {
    std::string bytes;
    DWORD error = ReadWholeFile(path, bytes);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return 0;
    if (error != 0) {
        // A folder in the way holds no settings of ours.
        return Win32ProgramLookup().IsFolder(LongPathForm(path)) ? 0 : error;
    }
    UINT codePage = GetACP();
    CPINFO info{};
    bool multiByte = GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
    bool validInAnsi = multiByte && !bytes.empty() &&
                       MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0) > 0;
    module.savedEncoding = DetectConfigEncoding(bytes, multiByte, validInAnsi);
    std::wstring text = module.savedEncoding == ConfigEncoding::Ansi
                            ? FromAnsi(bytes, codePage)
                            : DecodeUnicode(bytes, module.savedEncoding);
    ConfigValues values = DecodeConfig(text, LocaleDecimalSeparator());
    if (values.program) {
        module.savedProgram = *values.program;
        SetWindowTextW(prgToRun, values.program->c_str());
    }
    if (values.minutesValue)
        module.savedMinutes = *values.minutesValue;
    if (values.minutes)
        SetWindowTextW(everyNMins, values.minutes->c_str());
    return 0;
}

DWORD SaveConfiguration(const std::wstring& path, ConfigEncoding encoding, HWND prgToRun,
                        HWND everyNMins) {
    std::wstring text = EncodeConfig(GetText(prgToRun), GetText(everyNMins));
    std::string bytes;
    if (encoding == ConfigEncoding::Ansi ? !ToAnsi(text, bytes, GetACP())
                                         : !EncodeUnicode(text, encoding, bytes))
        return ERROR_NO_UNICODE_TRANSLATION;
    return ReplaceFileContents(path, bytes);
}

std::wstring SaveFailureMessage(const std::wstring& path, DWORD error) {
    return L"Kelvarion could not save its settings to\n" + path + L"\n\n" + SystemErrorText(error);
}
