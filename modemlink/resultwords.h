#pragma once

/// \file
/// The modem's result words and their numeric codes.

#include <QStringView>

#include <array>

/// The modem's result words, in one place for every operation that looks for them. Each table
/// is a list of exact, case-sensitive texts; the operations add the CR LF that must follow.
namespace qelv::resultwords {

/// The final result codes that end ATCret and ATCinterRet, each followed by CR LF.
inline constexpr std::array<QStringView, 6> kFinalResults{u"OK",   u"ERROR", u"NO CARRIER",
                                                          u"RING", u"BUSY",  u"NO ANSWER"};

/// The final result codes that end one command of SendModemFinal, each followed by CR LF.
inline constexpr std::array<QStringView, 2> kCommandResults{u"OK", u"ERROR"};
/// The starts of the lines that refuse a command with a reason (cellular modules with +CMEE
/// set); they end SendModemFinal once the reply ends with CR LF.
inline constexpr std::array<QStringView, 2> kReasonedErrors{u"+CME ERROR:", u"+CMS ERROR:"};

/// The result texts that end SendModemReBack, each followed by CR LF. There is deliberately no
/// "NO ANSWER", and the spaced CONNECT forms stop only at these ten speeds. "LINE OFF " stops
/// it too, with CR LF before it (kReBackLineOff).
inline constexpr std::array<QStringView, 31> kReBackStops{u"OK",
                                                          u"CONNECT",
                                                          u"RING",
                                                          u"NO CARRIER",
                                                          u"ERROR",
                                                          u"CONNECT1200",
                                                          u"BUSY",
                                                          u"CONNECT2400",
                                                          u"CONNECT4800",
                                                          u"CONNECT9600",
                                                          u"CONNECT14400",
                                                          u"CONNECT19200",
                                                          u"CONNECT57600",
                                                          u"CONNECT64000",
                                                          u"CONNECT32000",
                                                          u"CONNECT28800",
                                                          u"CONNECT38400",
                                                          u"COMPRESSION:V.42bis",
                                                          u"COMPRESSION:NONE",
                                                          u"PROTOCOL:PIAFS",
                                                          u"CONNECT 2400",
                                                          u"CONNECT 4800",
                                                          u"CONNECT 9600",
                                                          u"CONNECT 19200",
                                                          u"CONNECT 38400",
                                                          u"CONNECT 57600",
                                                          u"CONNECT 64000",
                                                          u"CONNECT 115200",
                                                          u"CONNECT 128000",
                                                          u"CONNECT 230400",
                                                          u"DELAYED"};
/// The text that ends SendModemReBack when CR LF stands before it.
inline constexpr QStringView kReBackLineOff = u"LINE OFF ";

/// The numeric result codes, as ATResultinstr gives them.
struct ResultRow {
    QStringView text;  ///< the result text, matched exactly
    int code;          ///< the code a reply that holds it gets
};

/// Order matters: when several texts occur in a reply, the one listed last decides, so
/// "CONNECT9600" beats the plain "CONNECT" it contains.
inline constexpr std::array<ResultRow, 22> kResultCodes{{
    {u"OK", 0},
    {u"RING", 2},
    {u"BUSY", 7},
    {u"ERROR", 4},
    {u"CONNECT", 1},
    {u"NO CARRIER", 3},
    {u"CONNECT1200", 5},
    {u"CONNECT2400", 10},
    {u"CONNECT4800", 11},
    {u"CONNECT9600", 12},
    {u"CONNECT14400", 13},
    {u"CONNECT19200", 14},
    {u"CONNECT57600", 18},
    {u"CONNECT64000", 19},
    {u"CONNECT32000", 21},
    {u"CONNECT28800", 26},
    {u"CONNECT38400", 28},
    {u"COMPRESSION:V.42bis", 67},
    {u"COMPRESSION:NONE", 69},
    {u"PROTOCOL:PIAFS", 82},
    {u"\r\nLINE OFF ", 300},
    {u"DELAYED\r\n", 7},
}};

/// The codes of kResultCodes that report success: OK, every CONNECT form, and the
/// compression and protocol reports that come with a connection.
inline constexpr std::array<int, 16> kSuccessCodes{0,  1,  5,  10, 11, 12, 13, 14,
                                                   18, 19, 21, 26, 28, 67, 69, 82};

/// Results that refuse or end a command but have no code of their own in kResultCodes.
inline constexpr std::array<QStringView, 3> kUncodedRefusals{u"NO ANSWER", u"NO DIALTONE",
                                                             u"NO DIAL TONE"};

}  // namespace qelv::resultwords
