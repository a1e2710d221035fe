#include "profilefactory.h"

#include "fixedreply.h"
#include "floodprofile.h"
#include "hayesmodem.h"
#include "linespeed.h"

#include <chrono>

namespace qelv::modemsim {

namespace {

using std::chrono::milliseconds;

long numberArgument(const DeviceRequest& request, long fallback, long min, long max) {
    if (!request.argument) return fallback;
    const auto value = parseCount(*request.argument, max);
    if (!value || *value < min)
        throw UsageError(request.profile + ":" + *request.argument + ": argument must be " +
                         std::to_string(min) + ".." + std::to_string(max));
    return *value;
}

std::unique_ptr<Profile> fixed(std::string reply, FixedReplyProfile::Delivery delivery) {
    return std::make_unique<FixedReplyProfile>(std::move(reply), milliseconds(0), delivery);
}

std::unique_ptr<Profile> hayes(bool echo, bool rejectsInformation, bool vanishes) {
    return std::make_unique<HayesModem>(HayesModem::Traits{echo, rejectsInformation, vanishes});
}

// Current devices all start with echo on, as their manuals give ATE1 as the default.
std::unique_ptr<Profile> modem(const DeviceSheet& sheet) {
    return std::make_unique<HayesModem>(HayesModem::Traits{true, false, false, &sheet});
}

std::unique_ptr<Profile> atSpeed(int speed, std::unique_ptr<Profile> device) {
    return std::make_unique<LineSpeedGate>(speed, std::move(device));
}

std::unique_ptr<Profile> currentDevice(const std::string& name) {
    if (name == "quectel-ec25") return modem(quectelEc25Sheet());
    if (name == "simcom-sim7600") return modem(simcomSim7600Sheet());
    if (name == "ublox-sara-r4") return modem(ubloxSaraR4Sheet());
    if (name == "simcom-sim800")
        return atSpeed(LineSpeedGate::kAutobaud, modem(simcomSim800Sheet()));
    if (name == "esp-at") return atSpeed(115200, modem(espAtSheet()));
    if (name == "usr-56k") return modem(usr56kSheet());
    return nullptr;
}

}  // namespace

std::unique_ptr<Profile> makeProfile(const DeviceRequest& request) {
    using Delivery = FixedReplyProfile::Delivery;
    const std::string& name = request.profile;
    if (name == "late") {
        const long delay = numberArgument(request, kDefaultLateMs, 0, kMaxLateMs);
        return std::make_unique<FixedReplyProfile>("\r\nOK\r\n", milliseconds(delay),
                                                   Delivery::Whole);
    }
    if (name == "flood" || name == "chatter") {
        const long rate =
            numberArgument(request, kMaxFloodBytesPerSecond, 1, kMaxFloodBytesPerSecond);
        if (name == "chatter")
            return std::make_unique<FloodProfile>(static_cast<std::size_t>(rate), chatterPattern());
        return std::make_unique<FloodProfile>(static_cast<std::size_t>(rate));
    }
    if (request.argument) throw UsageError("profile '" + name + "' takes no argument");
    if (name == "hayes") return hayes(true, false, false);
    if (name == "error") return hayes(false, true, false);
    if (name == "vanish") return hayes(true, false, true);
    if (name == "silent") return fixed("", Delivery::Whole);
    if (name == "nolf") return fixed("OK", Delivery::Whole);
    if (name == "lowerok") return fixed("\r\nok\r\n", Delivery::Whole);
    if (name == "noisy") return fixed(noisyReply(), Delivery::InPieces);
    if (auto device = currentDevice(name)) return device;
    throw UsageError("unknown profile '" + name + "'");
}

}  // namespace qelv::modemsim
