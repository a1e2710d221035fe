#pragma once

/// \file
/// ByteTransport, how bytes reach one device and come back.

#include "linesettings.h"
#include "qelvexport.h"

#include <QByteArray>
#include <QString>

namespace qelv {

/// How bytes reach one device and come back: what a serial port component needs below its
/// COM numbers. A local tty over QSerialPort is one; a network serial server would be another.
/// It knows nothing of COM numbers, maps or other programs' claims: the port above it decides
/// which device to open and whether it may.
///
/// Every failure is a ModemError: kPortOpenFailed (with an OpenFailure) when open fails,
/// kPortIoFailed when the device has gone or a transfer fails.
class QELV_EXPORT ByteTransport {
public:
    virtual ~ByteTransport() = default;

    /// Opens `device` with `line` and `handshaking` (0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both),
    /// starting with nothing received.
    virtual void open(const QString& device, const LineSettings& line, int handshaking) = 0;
    /// Lets pending output reach the device within the time it takes at the line speed, drops
    /// what is left, and closes. Closing a closed transport does nothing; it never throws.
    virtual void close() = 0;
    /// Whether the transport is open.
    virtual bool isOpen() const = 0;

    /// Applies `line` and `handshaking` (as for open) to the open device.
    virtual void setLine(const LineSettings& line, int handshaking) = 0;
    /// A device without modem lines (a pseudo-terminal) is not an error.
    virtual void setDtr(bool on) = 0;
    /// The same for RTS.
    virtual void setRts(bool on) = 0;

    /// Sends everything, in order, without waiting for it to reach the line.
    virtual void write(const QByteArray& bytes) = 0;
    /// Takes at most `max` bytes of what has arrived (all of it for 0); empty when none.
    virtual QByteArray read(qint64 max) = 0;
    /// Number of received bytes waiting.
    virtual qint64 available() = 0;
    /// Blocks for at most `timeoutMs` until input waits, without running the event loop's
    /// handlers. Returns at once when input already waits; false on timeout.
    virtual bool waitForInput(int timeoutMs) = 0;
};

}  // namespace qelv
