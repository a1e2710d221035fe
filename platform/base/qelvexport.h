#pragma once

/// \file
/// QELV_EXPORT, the mark of the library's public API.

/// Marks the modem-link library's public API. libqelv-modemlink is built with hidden
/// visibility, so a class or function without this mark is not part of it and a program
/// cannot link to it; with it, its symbols (a class's type information and virtual table
/// too, which exceptions and dynamic_cast across the library's edge need) are exported.
#define QELV_EXPORT __attribute__((visibility("default")))
