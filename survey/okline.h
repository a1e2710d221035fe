#pragma once

#include <QStringView>

namespace qelv::survey {

// Whether a reply passes an AT check of the survey: it holds "OK" (exactly, upper case) with
// nothing but a line end (CR or LF), or the reply's start or end, on either side. A modem
// frames its final result code as a line of its own; a device that sends noise holds the two
// letters by chance, inside other text, and must not pass as a modem. An "OK" that the time
// limit cut off at the reply's end still counts, as does one that lost its line ends. Pure.
bool okStandsAlone(QStringView reply);

}  // namespace qelv::survey
