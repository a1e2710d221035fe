#pragma once

#include <cmath>

namespace qelv {

// The form is laid out in twips (1/1440 inch); Qt lays out in pixels at the screen's logical
// DPI. Rounding to the nearest pixel keeps a round trip within one pixel's worth of twips.
inline constexpr double kTwipsPerInch = 1440.0;

inline int twipsToPixels(double twips, int dpi) {
    if (!(twips > 0.0) || dpi <= 0) return 0;
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline float pixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) return 0.0f;
    return static_cast<float>(pixels * kTwipsPerInch / dpi);
}

}  // namespace qelv
