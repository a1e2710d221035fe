#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace qelv::modemsim {

// What a modem says of itself: the text of each ATIn, and the answer to each extended command
// it knows ("+CGMI" and the like, one command a line). A text may span lines ("\r\n").
struct DeviceSheet {
    std::vector<std::string_view> information;
    std::vector<std::pair<std::string_view, std::string_view>> extended;
};

// The classic Hayes modem the simulator has always played: ATI0 to ATI4, no extended command.
const DeviceSheet& classicModemSheet();

// The current devices, each answering as its maker's public AT command manual shows.
const DeviceSheet& quectelEc25Sheet();
const DeviceSheet& simcomSim7600Sheet();
const DeviceSheet& ubloxSaraR4Sheet();
const DeviceSheet& simcomSim800Sheet();
const DeviceSheet& espAtSheet();
const DeviceSheet& usr56kSheet();

}  // namespace qelv::modemsim
