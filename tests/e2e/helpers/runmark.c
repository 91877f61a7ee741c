/* Leaves one file per run in "<own path without .exe>.runs", then exits. A file per run,
   created with CREATE_NEW, so runs at the same moment never merge into one mark, and the
   count of files is the count of runs. The file says how the run was asked to show:
   "show=N" from its STARTUPINFO, or "show=-1" when that names no show state. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    wchar_t folder[MAX_PATH + 16];
    wchar_t path[MAX_PATH + 64];
    char mark[32];
    unsigned long attempt;
    int length;
    STARTUPINFOW startup;
    (void)instance; (void)previous; (void)commandLine; (void)show;

    length = (int)GetModuleFileNameW(NULL, folder, MAX_PATH);
    if (length < 5)
        return 2;
    folder[length - 4] = L'\0'; /* drop ".exe" */
    lstrcatW(folder, L".runs");
    CreateDirectoryW(folder, NULL);
    GetStartupInfoW(&startup);
    wsprintfA(mark, "show=%d", (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);

    for (attempt = 0; attempt < 100000; ++attempt) {
        HANDLE file;
        DWORD written;
        wsprintfW(path, L"%s\\%lu-%lu", folder, GetCurrentProcessId(), attempt);
        file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, mark, (DWORD)lstrlenA(mark), &written, NULL);
            CloseHandle(file);
            return 0;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return 3;
    }
    return 4;
}
