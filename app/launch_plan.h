// Turns the user's program text into an unambiguous process start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the plan needs to know of the file system. Paths it is asked about
// are full; nothing depends on the process's working directory, which the
// Open dialog moves.
class IProgramLookup {
public:
    virtual ~IProgramLookup() = default;
    // The folder Kelvarion started in: relative paths are taken from there.
    virtual std::wstring StartFolder() = 0;
    // True when the path names an existing file (not a folder).
    virtual bool IsFile(const std::wstring& path) = 0;
    // True when the path names an existing folder.
    virtual bool IsFolder(const std::wstring& path) = 0;
    // The full path of a bare program name ("notepad", "ping.exe") found in
    // the start folder, the system folders, then the Path; empty when there
    // is none.
    virtual std::wstring SearchProgram(const std::wstring& name) = 0;
    // The system folder, where the one command interpreter we trust lives.
    virtual std::wstring SystemDirectory() = 0;
    // The Windows folder of the system, never a user's own.
    virtual std::wstring WindowsDirectory() = 0;
    // True in a 32-bit process on 64-bit Windows (WOW64), which sees
    // %windir%\System32 redirected to the 32-bit system folder.
    virtual bool RunsUnderWow64() = 0;
};

struct LaunchPlan {
    // Empty command line: nothing to start (see error).
    std::wstring applicationName; // always a full path
    std::wstring commandLine;
    uint32_t error = 0; // set when the text names no program that could be started
};

constexpr uint32_t kErrorFileNotFound = 2;
// What CreateProcess answers for a command line past its limit.
constexpr uint32_t kErrorFilenameExcedRange = 206;
// A command line holds at most this many characters, its NUL included.
constexpr size_t kMaxCommandLine = 32767;
// cmd.exe refuses a longer command line; CreateProcess does not, so the batch
// would fail unseen in its hidden console.
constexpr size_t kMaxBatchCommandLine = 8191;
// The longest program path CreateProcess takes (MAX_PATH less the NUL).
constexpr size_t kMaxProgramPath = 259;

// Which program a text names, and what follows it.
struct ProgramSplit {
    std::wstring program;   // unquoted
    std::wstring arguments; // as typed, with their leading blank
    bool quoted = false;    // the user quoted the program
    bool found = false;     // program names an existing file
    std::wstring startFrom; // its full path, when that is not program as written
};
ProgramSplit SplitProgram(const std::wstring& programText, IProgramLookup& lookup);

// path as the system reads it in folder: full paths stay as they are, a
// relative one is taken from folder, "\x" from its root, "D:x" from the
// root of D:.
std::wstring FullPath(const std::wstring& folder, const std::wstring& path);

// Where the file a path names is found: the path itself, else, in a WOW64
// process, the same file under %windir%\Sysnative when the path is under
// %windir%\System32 (only the 64-bit system folder holds it). Empty when
// neither is a file.
std::wstring LocateFile(const std::wstring& path, IProgramLookup& lookup);

// The plan for a program text:
// - quoted text is taken as written, found as the unquoted would be;
// - text too long for a command line is refused at once;
// - unquoted text that names an existing file, whole or by its longest leading
//   part ending before a space, gets that part quoted, so a path with spaces
//   can never start "C:\Program.exe"; a part without an extension names
//   the file with ".exe" added too, as the system reads it, unless the text
//   goes on into a folder of that name ("C:\Program Files\...");
// - a bare program name is looked up the way the system would;
// - the application name is always the file's full path;
// - a path that names nothing is not started at all;
// - a System32 path found only through Sysnative starts from there, the
//   program still seeing the path as written;
// - .bat and .cmd files run through the system folder's cmd.exe, and are
//   refused when the line cmd.exe gets is longer than it takes.
LaunchPlan PlanLaunch(const std::wstring& programText, IProgramLookup& lookup);
