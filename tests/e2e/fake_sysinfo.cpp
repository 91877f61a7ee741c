// Stands in for the system-information tool in the About cases: records that it ran,
// and how it was asked to show, in "<its own path>.ran", then exits.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH + 8] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    lstrcatA(path, ".ran");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    FILE* marker = std::fopen(path, "ab");
    if (!marker) {
        return 1;
    }
    std::fprintf(marker, "ran show=%d\r\n", show);
    std::fclose(marker);
    return 0;
}
