// The program picker's decisions: where the Open dialog starts, and what
// lands in the program box.
#pragma once

#include <optional>
#include <string>

#include "app/launch_plan.h"
#include "ui/working_directory.h"

struct OpenRequest {
    std::wstring fileName;      // shown in the dialog's name box
    std::wstring initialFolder; // empty: the dialog's own choice
};

enum class OpenStatus { Chosen, Cancelled, BadFileName, Failed };

struct OpenResult {
    OpenStatus status;
    std::wstring path; // the full path, when chosen
};

class IOpenDialog {
public:
    virtual ~IOpenDialog() = default;
    virtual OpenResult Show(const OpenRequest& request) = 0;
};

// The current program text is the dialog's file name when it can be one;
// a command line, quotes or an overlong text start from the named program's
// folder instead.
OpenRequest InitialOpenRequest(const std::wstring& programText, size_t capacity,
                               IProgramLookup& lookup);

// The chosen path, or nothing on cancel. A name the dialog refuses opens it
// again from the folder alone, so it always appears. The working directory is
// the same afterwards, however the dialog ended.
std::optional<std::wstring> BrowseForProgram(const std::wstring& programText, size_t capacity,
                                             IOpenDialog& dialog, IProgramLookup& lookup,
                                             IWorkingDirectory& workingDirectory);
