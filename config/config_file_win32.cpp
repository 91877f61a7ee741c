#include "config/config_file_win32.h"

#include <aclapi.h>

#include "base/handles_win32.h"
#include "base/text.h"
#include "base/text_win32.h"
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

// What a save keeps of the file it replaces, besides its name.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// A virus scanner or a sync client holds the file for a moment.
constexpr int kReplaceTries = 5;
constexpr DWORD kReplaceRetryMs = 100;

DWORD WriteNewFile(const std::wstring& path, const std::string& bytes, DWORD attributes) {
    UniqueKernelHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, attributes, nullptr));
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

// The file a save replaces: config.kv, or the file it links to, so that a
// symbolic link stays one.
std::wstring SaveTarget(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    UniqueKernelHandle file(CreateFileW(
        LongPathForm(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD length = file ? GetFinalPathNameByHandleW(file.get(), nullptr, 0, VOLUME_NAME_DOS) : 0;
    if (length == 0) // a link to nothing: replaced as a file, as before
        return path;
    std::wstring target(length, L'\0');
    length = GetFinalPathNameByHandleW(file.get(), &target[0], length, VOLUME_NAME_DOS);
    if (length == 0 || length >= target.size())
        return path;
    target.resize(length);
    return target; // in its \\?\ form
}

bool HasOwnEntries(PACL dacl) {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(dacl, i, &ace) && !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

bool SameEntries(PACL a, PACL b) {
    if (!a || !b || a->AceCount != b->AceCount)
        return false;
    for (DWORD i = 0; i < a->AceCount; ++i) {
        void* x = nullptr;
        void* y = nullptr;
        if (!GetAce(a, i, &x) || !GetAce(b, i, &y))
            return false;
        WORD size = static_cast<ACE_HEADER*>(x)->AceSize;
        if (static_cast<ACE_HEADER*>(y)->AceSize != size || memcmp(x, y, size) != 0)
            return false;
    }
    return true;
}

// A file's DACL and whether it is protected from inheritance; no DACL when it
// cannot be read (no file, or a file system without permissions).
struct Permissions {
    PACL dacl = nullptr;
    bool isProtected = false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    explicit Permissions(const std::wstring& path) {
        std::wstring name = LongPathForm(path);
        if (GetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
            return;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        isProtected = (control & SE_DACL_PROTECTED) != 0;
    }
    Permissions(const Permissions&) = delete;
    Permissions& operator=(const Permissions&) = delete;
    ~Permissions() { LocalFree(descriptor); }
};

// Permissions set on the old file itself go to the new one; inherited ones it
// has already, from the same folder. 0, or why they could not be kept.
DWORD CopyPermissions(const std::wstring& from, const std::wstring& to) {
    Permissions old(from);
    if (!old.dacl || !(old.isProtected || HasOwnEntries(old.dacl)))
        return 0;
    Permissions now(to);
    // Where permissions come from the file's mode (Wine, Samba), they agree already.
    if (now.isProtected == old.isProtected && SameEntries(now.dacl, old.dacl))
        return 0;
    std::wstring name = LongPathForm(to);
    SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION | (old.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, what, nullptr, nullptr, old.dacl,
                                 nullptr);
}

DWORD MoveIntoPlace(const std::wstring& temporary, const std::wstring& target) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(LongPathForm(temporary).c_str(), LongPathForm(target).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        DWORD error = GetLastError();
        if (attempt == kReplaceTries ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
             error != ERROR_ACCESS_DENIED))
            return error;
        Sleep(kReplaceRetryMs);
    }
}

// Written beside the target with the old file's attributes and permissions,
// then moved over it in one step, so a crash at any point leaves the old file
// or the new one. The name is the process's own, so two copies saving at once
// never share a temporary file.
DWORD ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    std::wstring target = SaveTarget(path);
    std::wstring temporary = target + L"." + ToDecimal(GetCurrentProcessId()) + L".tmp";
    DWORD old = GetFileAttributesW(LongPathForm(target).c_str());
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY))
        old = INVALID_FILE_ATTRIBUTES; // a folder in the way: the move fails, as before
    DWORD kept = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kKeptAttributes;
    DWORD error = WriteNewFile(temporary, bytes,
                               kept ? kept | FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_NORMAL);
    if (error == 0 && old != INVALID_FILE_ATTRIBUTES)
        error = CopyPermissions(target, temporary);
    if (error == 0)
        error = MoveIntoPlace(temporary, target);
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

ConfigRead ReadConfiguration(const std::wstring& path) {
    ConfigRead read;
    std::string bytes;
    DWORD error = ReadWholeFile(path, bytes);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return read;
    if (error != 0) {
        // A folder in the way holds no settings of ours.
        DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            read.error = error;
        return read;
    }
    UINT codePage = GetACP();
    CPINFO info{};
    bool multiByte = GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
    bool validInAnsi = multiByte && !bytes.empty() &&
                       MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0) > 0;
    ConfigEncoding encoding = DetectConfigEncoding(bytes, multiByte, validInAnsi);
    read.encoding = encoding;
    read.values = DecodeConfig(encoding == ConfigEncoding::Ansi ? FromAnsi(bytes, codePage)
                                                                : DecodeUnicode(bytes, encoding),
                               LocaleDecimalSeparator());
    return read;
}

DWORD WriteConfiguration(const std::wstring& path, const std::wstring& program,
                         const std::wstring& minutes, ConfigEncoding& encoding) {
    std::wstring text = EncodeConfig(program, minutes);
    std::string bytes;
    // A path the code page cannot hold (a Cyrillic user name on a Western system)
    // would be lost: UTF-8 holds it, and the reader knows it by its mark.
    if (encoding == ConfigEncoding::Ansi && !ToAnsi(text, bytes, GetACP()))
        encoding = ConfigEncoding::Utf8Bom;
    if (encoding != ConfigEncoding::Ansi && !EncodeUnicode(text, encoding, bytes))
        return ERROR_NO_UNICODE_TRANSLATION;
    return ReplaceFileContents(path, bytes);
}
