#pragma once

/// \file
/// Mdcomm, the modem-link unit: AT commands to a modem on one serial port.

#include "eventpump.h"
#include "logwriter.h"
#include "qelvexport.h"
#include "serialport.h"
#include "tickclock.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

/// The modem-link library: the AT command unit, the serial ports it talks through and the
/// platform parts it runs on.
namespace qelv {

class PendingExchange;

/// What the unit runs on. The owning form is what the global instance uses; tests hand in
/// their own clock, pump and port by reference.
struct MdcommParts {
    std::unique_ptr<TickClock> clock;      ///< the tick count OnTime reads
    std::unique_ptr<EventPump> pump;       ///< what runs the program's events while a wait lasts
    std::unique_ptr<SerialPort> port;      ///< the port every operation talks through
    std::unique_ptr<LogWriter> logWriter;  ///< may be null: logging then fails when used
};

/// What a collection under a time limit returns: the text it collected, and whether the limit
/// ended it rather than a final result code.
struct TimedReply {
    /// The reply as collected up to its end (for ATCinterRet, its information text); when the
    /// limit ended it, everything that had arrived by then.
    QString text;
    /// True when the limit passed before a final result code arrived (or, with ATBreak, before
    /// the fixed wait was over); false when the collection ended as it would without a limit.
    bool limitReached = false;
};

/// The modem-link unit: one serial port and the AT command operations on it.
///
/// Contract shared by every operation:
/// - The port must be configured and open; no operation opens, configures or closes it, and
///   none clears the receive buffer before sending unless it says so.
/// - Failures are ModemError exceptions: a port error passes through unchanged (what was
///   collected up to then is lost with it). Nothing is printed or shown.
/// - Waiting never spins: each cycle pumps pending events once, looks at the port and the
///   clock, then sleeps until an event (port data included) arrives or its deadline passes.
///   When the program is asked to end, the wait throws ShutdownRequested.
/// - Nothing guards against being re-entered from an event handler run by a pump.
class QELV_EXPORT Mdcomm {
public:
    /// Runs on parts the caller owns and keeps alive for as long as the unit.
    Mdcomm(TickClock& clock, EventPump& pump, SerialPort& port, LogWriter* logWriter = nullptr);
    /// Runs on parts it owns from now on.
    explicit Mdcomm(MdcommParts parts);
    ~Mdcomm();
    Mdcomm(const Mdcomm&) = delete;
    Mdcomm& operator=(const Mdcomm&) = delete;

    /// The one global instance, created on first use by the installed factory. Throws
    /// std::logic_error when no factory is installed.
    static Mdcomm& instance();
    /// Whether the global instance has been created (and not released since).
    static bool exists();
    /// The factory instance() creates the global instance with; replaces any earlier one.
    static void installFactory(std::function<std::unique_ptr<Mdcomm>()> factory);
    /// Closes the global instance's port and ends it; for the program's end.
    static void releaseInstance();

    /// \name Settings
    /// Public settings, without validation; each is tested for one exact value.
    ///@{
    std::int16_t ATBreak = 0;  ///< fixed wait of ATCret/ATCinterRet in seconds; 0 none
    /// 0: ATCret/ATCinterRet pump events while collecting. Anything else: nothing else of the
    /// program runs meanwhile (no timer, posted event, queued call or input); only a request
    /// to end (pumpCloseRequests) is let through.
    std::int16_t ATCretNotEvent = 0;
    QString Logfilename;              ///< the log file LogswOn started a session in
    std::int16_t SendModemLogsw = 0;  ///< exactly 1: collected replies go to the log
    ///@}

    /// The port every operation talks through.
    SerialPort& MSComm1;

    /// The tick count: milliseconds, signed 32 bits, wrapping.
    std::int32_t OnTime() const;
    /// Returns once at least `wait` ms have passed by OnTime (never early; the wrap rule of
    /// TickSpan applies), pumping events at least once. 0 or less pumps exactly once.
    void Waits(const std::int32_t& wait);

    /// Sends `atstr` + CR and collects until a final result code (OK, ERROR, NO CARRIER, RING,
    /// BUSY, NO ANSWER, each with CR LF). No time limit unless ATBreak is set: then, after the
    /// first look at the port, it waits ATBreak seconds and returns a fresh Input instead.
    /// ATBreak outside -32..32 throws the overflow error (6) after sending.
    QString ATCret(const QString& atstr);
    /// ATCret, then keeps only the text before the first "OK" CR LF and removes every CR and LF.
    QString ATCinterRet(const QString& atstr);
    /// ATCret with a time limit, counted by OnTime from the send (the wrap rule of TickSpan
    /// applies): ends when a final result code arrives, as ATCret does, or once `limit` has
    /// passed with what was collected by then and `limitReached` set. At least one look at the
    /// port is made, and a result that arrived by the last look wins over the limit. With
    /// ATBreak set, the fixed wait ends at the limit if it would outlast it; the fresh Input
    /// is taken then. Logged as ATCret logs, also when the limit ended it.
    TimedReply ATCret(const QString& atstr, std::chrono::milliseconds limit);
    /// ATCinterRet with a time limit, as ATCret with one: the text it keeps is taken from what
    /// was collected when the collection ended, whichever way it ended.
    TimedReply ATCinterRet(const QString& atstr, std::chrono::milliseconds limit);

    /// Send `atstr` + CR LF (SendModemNotCR: `atstr` unchanged) and collect until
    /// `retresult` + CR LF occurs in the reply or `wait` ms have passed; returns the reply as
    /// collected, also when the limit ended it. At least one look at the port is made.
    QString SendModem(const QString& atstr, const std::int32_t& wait, const QString& retresult);
    /// As SendModem, but `atstr` is sent unchanged.
    QString SendModemNotCR(const QString& atstr, const std::int32_t& wait,
                           const QString& retresult);
    /// Like SendModem, but stops at any of the modem's result texts (resultwords::kReBackStops).
    QString SendModemReBack(const QString& atstr, const std::int32_t& wait);
    /// Like SendModem, but stops at the final result code of one command: "OK" or "ERROR"
    /// with CR LF, or a "+CME ERROR:" or "+CMS ERROR:" line once the reply ends with CR LF
    /// (PendingExchange::untilFinalResult).
    QString SendModemFinal(const QString& atstr, const std::int32_t& wait);

    /// The numeric result code of a reply text, -1 when none is known. Pure.
    std::int32_t ATResultinstr(const QString& dstr) const;
    /// Discards waiting input, sends `atstr` + CR, waits 3 s, and classifies what arrived:
    /// 1 when it holds "ERROR", else 0 when it holds "OK", else -1. Not logged.
    std::int16_t ATTrue(const QString& atstr);
    /// Waits (100 ms at a time, at most 30 times) until no more characters arrive, then takes
    /// everything waiting, at most kReplyCap characters (the newest). Returns at once when
    /// nothing waits. Leaves InputLen at 0.
    QString ComportBufClr();

    /// Switches logging on: SendModemLogsw = 1, Logfilename = cPath + "MDCOM.LOG", and a header
    /// record with the current local date and time. Writer errors pass to the caller.
    void LogswOn();

    /// The header record for a given local date and time (exposed for tests).
    static LogHeader logHeaderFor(int year, int month, int day, int hour, int minute, int second);

    /// Most characters one reply keeps; beyond it the oldest characters are dropped, while the
    /// stop search still sees everything that arrives.
    static constexpr qsizetype kReplyCap = 1 << 20;

private:
    QString exchange(PendingExchange pending);
    TimedReply collectFinal(const QString& atstr, std::optional<std::chrono::milliseconds> limit);
    void sleepFor(std::chrono::milliseconds budget, bool pumping);
    QString logged(QString text);

    MdcommParts m_owned;
    TickClock& m_clock;
    EventPump& m_pump;
    LogWriter* m_logWriter;
};

}  // namespace qelv
