#include "ui/layout.h"

#include "resources/version.h"
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

const ControlItem kAboutControls[] = {
    {ControlId::cmdOK, ControlKind::DefaultButton, L"OK", 4245, 2160, 1260, 345},
    {ControlId::picIcon, ControlKind::Icon, L"", 240, 240, 540, 540},
    {ControlId::cmdSysInfo, ControlKind::Button, L"&System Info...", 4260, 2640, 1245, 345},
    {ControlId::lblDescription, ControlKind::Label,
     L"This program stays in your system tray and will run a specified program (hidden) at "
     L"specified intervals.",
     1050, 1125, 3885, 570},
    {ControlId::lblDisclaimer, ControlKind::Label,
     L"Copyright \u00A9 2026 The Kelvarion developers. All rights reserved.\n\n"
     L"This program is provided \"as is\", without warranty of any kind, express or implied. "
     L"The authors are not liable for any damage or loss arising from its use.",
     255, 2160, 3870, 1545},
    {ControlId::lblTitle, ControlKind::Label, L"" KV_PRODUCT_NAME, 1050, 240, 3885, 480},
    {ControlId::lblVersion, ControlKind::Label, L"" KV_VERSION_LABEL, 1050, 780, 3885, 225},
};
const size_t kAboutControlCount = sizeof kAboutControls / sizeof kAboutControls[0];

int TwipsToPixels(int twips, int dpi) {
    // Rounded to the nearest pixel, so 96 DPI gives exactly 15 twips a pixel.
    long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

namespace {

int CentreAxis(int ownerLow, int ownerHigh, int areaLow, int areaHigh, int size) {
    int at = ownerLow + (ownerHigh - ownerLow - size) / 2;
    if (at + size > areaHigh)
        at = areaHigh - size;
    return at < areaLow ? areaLow : at; // too big for the area: its top left shows
}

} // namespace

ScreenPoint CentreOver(const ScreenRect& owner, const ScreenRect& workArea, int width, int height) {
    return {CentreAxis(owner.left, owner.right, workArea.left, workArea.right, width),
            CentreAxis(owner.top, owner.bottom, workArea.top, workArea.bottom, height)};
}
