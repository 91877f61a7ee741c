/* locker FILE RELEASE: holds FILE open with no sharing at all, so no other process may
   read, write, replace or delete it, until a file named RELEASE appears. Prints "locked"
   once it holds the file. Exit code 1 when FILE cannot be opened. */
#include <windows.h>
#include <shellapi.h>

static void say(const char *text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, NULL);
}

int main(void) {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    HANDLE file;
    if (!argv || argc != 3) {
        say("usage: locker FILE RELEASE\n");
        return 2;
    }
    file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        say("cannot open the file\n");
        return 1;
    }
    say("locked\n");
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    CloseHandle(file);
    say("released\n");
    return 0;
}
