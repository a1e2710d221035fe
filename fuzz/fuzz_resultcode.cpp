// classifyResult against a plain reading of the result table: every row is tried in order
// with a naive substring search, and the last row that occurs decides.

#include "fuzzcheck.h"
#include "resultcode.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

struct Row {
    std::u16string_view text;
    int code;
};

// Written out again rather than shared with the library, so that a changed row in either
// place shows up as a disagreement.
constexpr Row kRows[] = {
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
};

// Deliberately naive, and compiled with the fuzzer's instrumentation, so that its
// comparisons guide the fuzzer towards the table's texts.
bool occursIn(const QString& reply, std::u16string_view text) {
    const auto size = static_cast<std::size_t>(reply.size());
    for (std::size_t start = 0; start + text.size() <= size; ++start) {
        std::size_t i = 0;
        while (i < text.size() && reply.at(static_cast<qsizetype>(start + i)).unicode() == text[i])
            ++i;
        if (i == text.size()) return true;
    }
    return false;
}

int referenceCode(const QString& reply) {
    int code = -1;
    for (const Row& row : kRows) {
        if (occursIn(reply, row.text)) code = row.code;
    }
    return code;
}

void check(const QString& reply, const char* how) {
    const int got = qelv::classifyResult(reply);
    const int want = referenceCode(reply);
    if (got != want) {
        qelv::fuzz::fail(QStringLiteral("classifyResult(%1 \"%2\") = %3, the table says %4")
                             .arg(QLatin1String(how), qelv::fuzz::escaped(reply))
                             .arg(got)
                             .arg(want));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromLatin1(bytes, static_cast<qsizetype>(size)), "Latin-1");

    check(qelv::fuzz::utf16Le(data, size), "UTF-16LE");
    return 0;
}
