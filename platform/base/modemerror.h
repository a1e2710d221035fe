#pragma once

#include <QString>

#include <stdexcept>

namespace qelv {

// Error numbers raised by the serial port component and the modem-link unit. Callers of the
// unit only test whether an error occurred; the numbers exist so that a person reading a
// message can tell the failures apart.
namespace errc {
inline constexpr int kOverflow = 6;  // 16-bit arithmetic left its range
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kInvalidPortNumber = 8002;
inline constexpr int kPortAlreadyOpen = 8005;
inline constexpr int kPortNotOpen = 8012;
inline constexpr int kPortOpenFailed = 8010;
inline constexpr int kPortIoFailed = 8015;
inline constexpr int kLogWriteFailed = 8100;
inline constexpr int kLogCorrupt = 8101;  // a log file that cannot be read back
}  // namespace errc

// Why an open failed, for the survey's notes; the survey itself only tests that it failed.
enum class OpenFailure { None, Absent, Busy, PermissionDenied, NotSerial, Other };

// The one exception type of the library: a number and a message. Everything the survey's
// error rule absorbs is a ModemError; nothing else is.
class ModemError : public std::runtime_error {
public:
    ModemError(int number, const QString& message, OpenFailure failure = OpenFailure::None)
        : std::runtime_error(message.toStdString()),
          m_number(number),
          m_message(message),
          m_failure(failure) {}

    int number() const { return m_number; }
    const QString& message() const { return m_message; }
    OpenFailure openFailure() const { return m_failure; }

private:
    int m_number;
    QString m_message;
    OpenFailure m_failure;
};

}  // namespace qelv
