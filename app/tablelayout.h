#pragma once

#include "terminalwidth.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace qelv {

// A column is never narrowed below this many terminal columns, its cut mark included.
inline constexpr int kNarrowestColumn = 4;

// Rows of cells, escaped for the terminal already, as the lines of an aligned table: columns
// two blanks apart, each as wide as its widest cell, no blanks at a line's end. A table wider
// than `width` columns (0: any width) is narrowed to fit: the widest columns are cut alike,
// each of their longer cells shortened with kCutMark (fitToColumns, keeping the end in the
// columns listed in `keepEnd`), none below kNarrowestColumn.
QString alignedTable(const std::vector<QStringList>& rows, int width,
                     const QList<int>& keepEnd = {});

}  // namespace qelv
