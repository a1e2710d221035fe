#pragma once

#include <QString>

namespace qelv {

// Columns a text takes on a terminal: East Asian wide characters count two.
int displayWidth(const QString& text);

}  // namespace qelv
