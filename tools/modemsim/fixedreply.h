#pragma once

#include "commandline.h"
#include "profile.h"

#include <chrono>
#include <string>

namespace qelv::modemsim {

// Answers every command line with the same bytes, whatever the line says. An empty reply makes
// a device that never answers.
class FixedReplyProfile : public Profile {
public:
    enum class Delivery { Whole, InPieces };

    FixedReplyProfile(std::string reply, std::chrono::milliseconds delay, Delivery delivery);

    void receive(char byte, Clock::time_point now, Outbox& out) override;

private:
    CommandLineReader m_reader;
    std::string m_reply;
    std::chrono::milliseconds m_delay;
    Delivery m_delivery;
};

// Control bytes, high bytes, terminal escape sequences, markup, quotes and backslashes, then
// "\r\nOK\r\n": what a display or a file format of received text must survive.
std::string noisyReply();

}  // namespace qelv::modemsim
