#pragma once

/// \file
/// SerialPort, the serial port component that the modem-link unit talks through.

#include "modemerror.h"
#include "qelvexport.h"

#include <QString>

#include <cstdint>

namespace qelv {

/// The serial port component's port numbers run from COM1 to this one.
inline constexpr int kComPorts = 16;

/// The serial port component. Configuration is written while the port is closed and takes
/// effect at the next open; the survey writes it in the order CommPort, Settings, DTREnable,
/// RTSEnable, Handshaking, then opens.
///
/// Texts cross the line one character per byte: characters 0 to 255 map one to one to bytes
/// (Latin-1), so a reply with binary bytes loses nothing. Characters above 255 are sent as '?'.
///
/// Every failure is a ModemError. Nothing here ever writes to a port it did not open.
class QELV_EXPORT SerialPort {
public:
    virtual ~SerialPort() = default;

    /// Selects the port the next open uses. Throws (kInvalidPortNumber) for n < 1, and
    /// (kPortAlreadyOpen) while a port is open.
    virtual void setCommPort(std::int16_t n) = 0;
    /// The port number the next open uses.
    virtual std::int16_t commPort() const = 0;

    /// "9600,N,8,1"-style line settings. Malformed text throws kInvalidPropertyValue and
    /// leaves the previous settings in force.
    virtual void setSettings(const QString& settings) = 0;
    /// The line settings in force, written as setSettings takes them.
    virtual QString settings() const = 0;

    /// Raised while the port is open. A device that cannot do it (a pseudo-terminal) is not
    /// an error.
    virtual void setDTREnable(bool on) = 0;
    /// The same for RTS.
    virtual void setRTSEnable(bool on) = 0;
    /// 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both. Anything else throws kInvalidPropertyValue.
    virtual void setHandshaking(int mode) = 0;

    /// true opens the selected port and throws (kPortOpenFailed, with an OpenFailure) when it
    /// cannot be opened: no device, busy, refused, not a serial device. false closes it; closing
    /// a closed port does nothing. A close first lets pending output reach the line, waiting at
    /// most the time those bytes take at the line speed (ten bits a byte) plus a small margin;
    /// whatever has not gone by then (flow control held off, a device that takes nothing) is
    /// dropped, so no device keeps a close waiting longer. Nothing pending: no wait at all.
    virtual void setPortOpen(bool open) = 0;
    /// Whether the port is open.
    virtual bool portOpen() const = 0;

    /// Sends text in order without waiting for an answer. Throws kPortNotOpen when closed,
    /// kPortIoFailed when the device is gone.
    virtual void Output(const QString& text) = 0;
    /// Everything received and not yet taken (InputLen 0), removed from the receive buffer;
    /// empty when nothing waits. Throws like Output.
    virtual QString Input() = 0;
    /// Number of received characters waiting. Throws like Output.
    virtual int InBufferCount() = 0;
    /// 0: every Input returns all that waits; n > 0: at most n characters. Negative throws.
    virtual void setInputLen(int length) = 0;

    /// Blocks for at most `timeoutMs` until input is waiting, without pumping window events.
    /// Returns at once when input already waits. For loops that must not pump but must not
    /// spin either. Returns false on timeout; throws like Output when closed.
    virtual bool waitForInput(int timeoutMs) = 0;

    /// The device path behind the selected port number, empty when there is none.
    virtual QString devicePath() const = 0;
};

/// Closes `port` on the way out of a scope or of the program. A port that cannot even be
/// closed leaves nothing more to do with it, so its error is dropped.
inline void closeQuietly(SerialPort& port) noexcept {
    try {
        port.setPortOpen(false);
    } catch (const ModemError&) {
    }
}

}  // namespace qelv
