#pragma once

#include "caption.h"

namespace qelv::version {

// The program's version numbers, which the window's caption shows, and the texts of its
// version record.
inline constexpr VersionNumbers kNumbers{1, 1, 0};
inline constexpr const char* kFileVersion = "1.1.0.0";
inline constexpr const char* kVersionText = "1.01";
inline constexpr const char* kInternalName = "Qel_V";
inline constexpr const char* kComment =
    "WindowsのCOMポートの起動状態・接続状態・機器名を取得するツール";

}  // namespace qelv::version
