#include "ui/form1_layout.h"

#include "ui/control_ids.h"

const ControlItem kForm1Controls[] = {
    {ControlId::Label1, ControlKind::Label,
     L"This program will run a specified .exe or .bat file at regular intervals while hiding in "
     L"the system tray.",
     120, 0, 3015, 615},
    {ControlId::Label2, ControlKind::Label, L"Program to run:", 120, 840, 1215, 255},
    {ControlId::prgToRun, ControlKind::Edit, L"", 1320, 840, 2175, 285},
    {ControlId::BrowseBut, ControlKind::Button, L"Browse...", 3600, 840, 1095, 375},
    {ControlId::Label3, ControlKind::Label, L"Run every:", 480, 1440, 855, 255},
    {ControlId::everyNMins, ControlKind::Edit, L"5", 1320, 1440, 2175, 285},
    {ControlId::Label4, ControlKind::Label, L"minutes.", 3600, 1440, 1215, 255},
    {ControlId::AboutBut, ControlKind::Button, L"About...", 120, 2040, 1455, 375},
    {ControlId::Close, ControlKind::Button, L"Close Window", 1680, 2040, 1455, 375},
    {ControlId::butExit, ControlKind::Button, L"Exit", 3240, 2040, 1455, 375},
};
const size_t kForm1ControlCount = sizeof kForm1Controls / sizeof kForm1Controls[0];
