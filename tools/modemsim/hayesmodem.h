#pragma once

#include "commandline.h"
#include "devicesheet.h"
#include "hayescommands.h"
#include "profile.h"

#include <string>
#include <vector>

namespace qelv::modemsim {

// A Hayes-style modem in command state. Echo follows the setting in force when a byte arrives;
// a line's commands take effect at its CR, so the LF of "ATE0\r\n" is no longer echoed while the
// LF of "ATE1\r\n" is, queued behind the line's reply. A line with any unknown command answers
// ERROR alone and changes nothing. Information texts take the V setting in force where they
// stand in the line; the final result code takes the one in force at its end. An extended
// command ("+CGMI") stands alone on its line and is answered from the device's sheet.
class HayesModem : public Profile {
public:
    struct Traits {
        bool echoAtStart = true;
        bool rejectsInformation = false;  // any I command turns the whole line into ERROR
        bool vanishesAfterFirstLine = false;
        // What it says to ATIn and to the extended commands it knows.
        const DeviceSheet* sheet = &classicModemSheet();
    };

    explicit HayesModem(Traits traits);

    void receive(char byte, Clock::time_point now, Outbox& out) override;
    bool vanished() const override { return m_vanished; }

private:
    struct Settings {
        bool echo = true;
        bool quiet = false;
        bool verbose = true;
    };

    Settings startSettings() const;
    std::string execute(const CommandLine& line);
    std::string run(const std::vector<HayesCommand>& commands);
    std::string extended(std::string_view body) const;
    std::string information(std::string_view text) const;
    std::string finalResult(bool ok) const;

    Traits m_traits;
    Settings m_settings;
    CommandLineReader m_reader;
    bool m_vanished = false;
};

}  // namespace qelv::modemsim
