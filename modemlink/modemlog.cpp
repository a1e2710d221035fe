// Modem logging: the header of a log session and the hook every collecting operation ends with.

#include "mdcomm.h"

#include <QDateTime>

namespace qelv {

LogHeader Mdcomm::logHeaderFor(int year, int month, int day, int hour, int minute, int second) {
    // The year's last two decimal digits as a number: 2009 gives 9, not 2009 & 0xFF.
    const auto two = [](int value) { return static_cast<std::uint8_t>(value); };
    return {two(year % 100), two(month), two(day), two(hour), two(minute), two(second), 0xFF, 0};
}

void Mdcomm::LogswOn() {
    SendModemLogsw = 1;
    if (!m_logWriter)
        throw ModemError(errc::kLogWriteFailed, QStringLiteral("no log writer is available"));
    Logfilename = m_logWriter->cPath() + QStringLiteral("MDCOM.LOG");
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    m_logWriter->CipherFileHeadWrite(
        Logfilename, logHeaderFor(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                                  time.second()));
}

QString Mdcomm::logged(QString text) {
    if (SendModemLogsw == 1) {
        if (!m_logWriter)
            throw ModemError(errc::kLogWriteFailed, QStringLiteral("no log writer is available"));
        m_logWriter->CipherWrite(text);
    }
    return text;
}

}  // namespace qelv
