#include "profilefactory.h"

#include "fixedreply.h"
#include "floodprofile.h"
#include "hayesmodem.h"

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
    throw UsageError("unknown profile '" + name + "'");
}

}  // namespace qelv::modemsim
