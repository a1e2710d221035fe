#pragma once

#include "linesettings.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

// The Com Port Control Option of telnet (RFC 2217): the commands a client sends inside
// IAC SB COM-PORT-OPTION ... IAC SE, and the server's answers to them. Pure: the bytes of a
// command without the telnet framing, which the telnet library adds (escaping IAC too).
namespace qelv::comport {

inline constexpr unsigned char kOption = 44;

// Client commands; the server answers each with the same number plus kServerOffset.
enum Command : unsigned char {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kPurgeData = 12,
};
inline constexpr unsigned char kServerOffset = 100;

// SET-CONTROL values.
enum Control : unsigned char {
    kNoFlowControl = 1,
    kXonXoff = 2,
    kHardwareFlow = 3,
    kDtrOn = 8,
    kDtrOff = 9,
    kRtsOn = 11,
    kRtsOff = 12,
};

// PURGE-DATA: what the device sent that the server has not passed on yet.
inline constexpr unsigned char kPurgeReceived = 1;

// One command: its number, then its value.
QByteArray command(Command which, const QByteArray& value);

// The commands that put a port to `line` and `handshaking` (0 none, 1 XON/XOFF, 2 RTS/CTS,
// 3 both, which a server can only do as hardware flow control), in the order the option
// recommends: SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE, then SET-CONTROL.
std::vector<QByteArray> lineCommands(const LineSettings& line, int handshaking);

// SET-CONTROL for DTR and for RTS.
QByteArray dtrCommand(bool on);
QByteArray rtsCommand(bool on);

// A server's message: which client command it answers, and the value it holds now.
struct Answer {
    Command answers;
    QByteArray value;
};

// The client command the server's message `payload` (the bytes after COM-PORT-OPTION)
// answers; nothing for a notification or anything that answers no command of ours.
std::optional<Answer> parseAnswer(const QByteArray& payload);

}  // namespace qelv::comport
