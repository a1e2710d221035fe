#pragma once

/// \file
/// ModemError, the library's one exception type, and its error numbers.

#include "qelvexport.h"

#include <QString>

#include <stdexcept>

namespace qelv {

/// Error numbers raised by the serial port component and the modem-link unit. Callers of the
/// unit only test whether an error occurred; the numbers exist so that a person reading a
/// message can tell the failures apart.
namespace errc {
inline constexpr int kOverflow = 6;                ///< 16-bit arithmetic left its range
inline constexpr int kInvalidPropertyValue = 380;  ///< a setting refused its value
inline constexpr int kInvalidPortNumber = 8002;    ///< a port number below 1
inline constexpr int kPortAlreadyOpen = 8005;      ///< the port is open and must not be
inline constexpr int kPortNotOpen = 8012;          ///< the port is closed and must not be
inline constexpr int kPortOpenFailed = 8010;       ///< the device could not be opened
inline constexpr int kPortIoFailed = 8015;         ///< the device has gone or a transfer failed
inline constexpr int kLogWriteFailed = 8100;       ///< the log could not be written
inline constexpr int kLogCorrupt = 8101;           ///< a log file that cannot be read back
}  // namespace errc

/// Why an open failed, for the survey's notes; the survey itself only tests that it failed.
enum class OpenFailure {
    None,              ///< not a failed open
    Absent,            ///< no device behind the port
    Busy,              ///< another program uses the device
    PermissionDenied,  ///< this user may not open the device
    NotSerial,         ///< the device is not a serial device
    Other              ///< any other reason; the message tells which
};

/// The one exception type of the library: a number and a message. Everything the survey's
/// error rule absorbs is a ModemError; nothing else is.
class QELV_EXPORT ModemError : public std::runtime_error {
public:
    /// An error `number` (errc) with its `message`; `failure` only for a failed open.
    ModemError(int number, const QString& message, OpenFailure failure = OpenFailure::None)
        : std::runtime_error(message.toStdString()),
          m_number(number),
          m_message(message),
          m_failure(failure) {}

    /// The error number, one of errc.
    int number() const { return m_number; }
    /// The message for a person; what() holds the same text.
    const QString& message() const { return m_message; }
    /// Why an open failed; OpenFailure::None for every other error.
    OpenFailure openFailure() const { return m_failure; }

private:
    int m_number;
    QString m_message;
    OpenFailure m_failure;
};

}  // namespace qelv
