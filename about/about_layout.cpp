#include "about/about_layout.h"

#include "resources/version.h"

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
