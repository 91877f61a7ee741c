// Form1's controls, as laid out in twips.
#pragma once

#include <cstddef>

#include "base/layout.h"

// In tab order.
extern const ControlItem kForm1Controls[];
extern const size_t kForm1ControlCount;
constexpr int kForm1ClientWidth = 4830; // twips
constexpr int kForm1ClientHeight = 2580;
