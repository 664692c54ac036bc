#include "ui/resources/DialogTemplate.h"

namespace {

// a·b/c rounded half away from zero, as MulDiv does.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

PixelRect DialogUnitsToPixels(const DluRect& rect, const DialogBaseUnits& units) {
    return PixelRect{MulDiv(rect.x, units.x, 4), MulDiv(rect.y, units.y, 8),
                     MulDiv(rect.width, units.x, 4), MulDiv(rect.height, units.y, 8)};
}

int AverageCharWidth(int widthOfAllLetters) {
    return (widthOfAllLetters / 26 + 1) / 2;
}
