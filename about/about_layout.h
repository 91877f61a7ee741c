// frmAbout's controls: their ids, shared with the end-to-end driver, and their
// layout in twips.
#pragma once

#include <cstddef>

#include "base/layout.h"

namespace ControlId {
constexpr int cmdOK = 1; // IDOK, so Enter closes the dialog
constexpr int picIcon = 302;
constexpr int cmdSysInfo = 303;
constexpr int lblDescription = 304;
constexpr int lblDisclaimer = 305;
constexpr int lblTitle = 306;
constexpr int lblVersion = 307;
} // namespace ControlId

// In tab order.
extern const ControlItem kAboutControls[];
extern const size_t kAboutControlCount;
constexpr int kAboutClientWidth = 5730;
constexpr int kAboutClientHeight = 3885;
// Line1, the etched rule: a grey line over a white one.
constexpr int kAboutRuleTop = 1920;
constexpr int kAboutGreyLeft = 90;
constexpr int kAboutWhiteLeft = 105;
constexpr int kAboutRuleRight = 5654;
