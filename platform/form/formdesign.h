#pragma once

#include <QString>

// The form as it was designed, in twips, and the captions its controls carry before the
// program sets any: one home for both widget sets, the Qt one and the in-memory one.
namespace qelv::formdesign {

inline constexpr float kInnerWidth = 8655.0f;
inline constexpr float kInnerHeight = 5400.0f;
inline constexpr float kButtonLeft = 480.0f;
inline constexpr float kButtonTop = 240.0f;
inline constexpr float kButtonWidth = 2535.0f;
inline constexpr float kButtonHeight = 495.0f;
inline constexpr float kGridLeft = 0.0f;
inline constexpr float kGridTop = 960.0f;
inline constexpr float kGridWidth = 5295.0f;
inline constexpr float kGridHeight = 3855.0f;
inline constexpr float kStatusBarHeight = 255.0f;
inline constexpr int kGridPointSize = 9;

inline QString windowCaption() {
    return QStringLiteral("Tobelune   QEL-V ver 1.0");
}
inline QString buttonCaption() {
    return QStringLiteral("検査開始");
}

}  // namespace qelv::formdesign
