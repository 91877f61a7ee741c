#include "base/layout.h"

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
