#pragma once

#include "caption.h"

namespace qelv::version {

// The program's version numbers, which the window's caption shows, and the texts of its
// version record; all from the project's version (app/CMakeLists.txt).
inline constexpr VersionNumbers kNumbers{QELV_VERSION_MAJOR, QELV_VERSION_MINOR,
                                         QELV_VERSION_REVISION};
inline constexpr const char* kFileVersion = QELV_FILE_VERSION;
inline constexpr const char* kVersionText = QELV_VERSION_TEXT;
inline constexpr const char* kInternalName = "Qel_V";
inline constexpr const char* kComment =
    "WindowsのCOMポートの起動状態・接続状態・機器名を取得するツール";

}  // namespace qelv::version
