#include "resultcode.h"

#include <QStringView>

#include <array>
#include <iterator>

namespace qelv {

namespace {

struct ResultRow {
    QStringView text;
    int code;
};

// Order matters: a later row overrides an earlier one whenever both occur in a reply.
constexpr std::array<ResultRow, 22> kResultTable{{
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

}  // namespace

int classifyResult(const QString& reply)
{
    // Scanning from the end lets the first hit stand for "last match wins".
    for (auto row = kResultTable.rbegin(); row != kResultTable.rend(); ++row) {
        if (reply.contains(row->text, Qt::CaseSensitive))
            return row->code;
    }
    return -1;
}

}  // namespace qelv
