/* Leaves one empty file per run in "<own path without .exe>.runs", then exits.
   A file per run, created with CREATE_NEW, so runs at the same moment never
   merge into one mark, and the count of files is the count of runs. */
#include <windows.h>

static void append(wchar_t *to, const wchar_t *text) { lstrcatW(to, text); }

static void appendNumber(wchar_t *to, unsigned long n) {
    wchar_t digits[16];
    wsprintfW(digits, L"%lu", n);
    lstrcatW(to, digits);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    wchar_t folder[MAX_PATH + 16];
    wchar_t path[MAX_PATH + 64];
    unsigned long attempt;
    int length;
    (void)instance; (void)previous; (void)commandLine; (void)show;

    length = (int)GetModuleFileNameW(NULL, folder, MAX_PATH);
    if (length < 5)
        return 2;
    folder[length - 4] = L'\0'; /* drop ".exe" */
    append(folder, L".runs");
    CreateDirectoryW(folder, NULL);

    for (attempt = 0; attempt < 100000; ++attempt) {
        HANDLE file;
        lstrcpyW(path, folder);
        append(path, L"\\");
        appendNumber(path, GetCurrentProcessId());
        append(path, L"-");
        appendNumber(path, attempt);
        file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return 3;
    }
    return 4;
}
