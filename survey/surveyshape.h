#pragma once

#include "formwidgets.h"
#include "serialport.h"

#include <cstdint>

// The survey's shape: its grid, its ports, its passes and what a cell's colour means. The
// passes, the text table, the JSON, the progress line and `qel-v at` take it from here.
namespace qelv::survey {

// The grid's columns.
inline constexpr int kPortCol = 0;  // the port's name
inline constexpr int kOpenCol = 1;  // whether it opened
inline constexpr int kAtCol = 2;    // whether it answered the AT check
inline constexpr int kInfoCol = 3;  // what it said of itself
inline constexpr int kCols = 4;

inline constexpr std::int16_t kFirstPort = 1;
inline constexpr std::int16_t kLastPort = kComPorts;
inline constexpr int kPorts = kLastPort - kFirstPort + 1;
inline constexpr int kRows = kPorts + 1;  // the header row, then one per port

// Each pass goes through every port once, and the progress bar counts those steps.
inline constexpr int kPasses = 3;
inline constexpr int kSurveySteps = kPasses * kPorts;

inline constexpr std::uint32_t kMark = 0x80FFFF;   // passed the column's check
inline constexpr std::uint32_t kWhite = 0xFFFFFF;  // tried and did not pass

// The one rule that turns a cell's colour into its verdict.
enum class Mark { None, Pass, Fail };
inline Mark markOf(std::uint32_t backColor) {
    if (backColor == kMark) return Mark::Pass;
    if (backColor == kWhite) return Mark::Fail;
    return Mark::None;
}

}  // namespace qelv::survey
