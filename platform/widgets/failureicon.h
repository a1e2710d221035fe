#pragma once

#include "modemerror.h"

#include <QIcon>

namespace qelv {

// The sign beside a cell whose port did not open, so that a busy port, a refused one and
// one that failed otherwise differ at a glance. An absent port has none: most of the
// sixteen names have no device behind them, and a grid full of signs would say nothing.
// Drawn here rather than taken from the icon theme, whose choice varies by desktop.
// Needs a QGuiApplication. A null icon for None and Absent.
QIcon failureIcon(OpenFailure failure);

}  // namespace qelv
