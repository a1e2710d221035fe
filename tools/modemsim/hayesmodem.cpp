#include "hayesmodem.h"

#include <algorithm>
#include <cctype>

namespace qelv::modemsim {

HayesModem::HayesModem(Traits traits) : m_traits(traits), m_settings(startSettings()) {}

HayesModem::Settings HayesModem::startSettings() const {
    return Settings{m_traits.echoAtStart, false, true};
}

void HayesModem::receive(char byte, Clock::time_point now, Outbox& out) {
    if (m_vanished) return;
    if (m_settings.echo) out.send(std::string_view(&byte, 1), now);
    const auto line = m_reader.feed(byte);
    if (!line) return;
    if (m_traits.vanishesAfterFirstLine) {
        m_vanished = true;
        return;
    }
    out.sendInPieces(execute(*line), now);
}

std::string HayesModem::execute(const CommandLine& line) {
    if (line.tooLong) return finalResult(false);
    const auto first = line.body.find_first_not_of(' ');
    if (first != std::string::npos && line.body[first] == '+') return extended(line.body);
    const auto commands = parseHayesCommands(line.body, m_traits.sheet->information.size());
    if (!commands) return finalResult(false);
    const bool asksInformation = std::any_of(commands->begin(), commands->end(), [](auto c) {
        return c.kind == HayesCommandKind::Information;
    });
    if (asksInformation && m_traits.rejectsInformation) return finalResult(false);
    return run(*commands);
}

std::string HayesModem::run(const std::vector<HayesCommand>& commands) {
    std::string reply;
    for (const HayesCommand& command : commands) {
        switch (command.kind) {
            case HayesCommandKind::Echo:
                m_settings.echo = command.value == 1;
                break;
            case HayesCommandKind::Quiet:
                m_settings.quiet = command.value == 1;
                break;
            case HayesCommandKind::Verbose:
                m_settings.verbose = command.value == 1;
                break;
            case HayesCommandKind::Reset:
            case HayesCommandKind::FactoryDefaults:
                m_settings = startSettings();
                break;
            case HayesCommandKind::Information:
                reply += information(
                    m_traits.sheet->information[static_cast<std::size_t>(command.value)]);
                break;
        }
    }
    return reply + finalResult(true);
}

std::string HayesModem::extended(std::string_view body) const {
    std::string name;
    for (const char c : body)
        if (c != ' ') name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& [command, answer] : m_traits.sheet->extended)
        if (command == name) return information(answer) + finalResult(true);
    return finalResult(false);
}

std::string HayesModem::information(std::string_view text) const {
    if (m_settings.verbose) return "\r\n" + std::string(text) + "\r\n";
    return std::string(text) + "\r\n";
}

std::string HayesModem::finalResult(bool ok) const {
    if (m_settings.quiet) return {};
    if (m_settings.verbose) return ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
    return ok ? "0\r" : "4\r";
}

}  // namespace qelv::modemsim
