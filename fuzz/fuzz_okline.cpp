// The survey's acceptance rule must agree with a plain reading of it: cut the reply at every
// CR and LF, and it passes when one of the pieces is exactly "OK".
//
// Input layout: the whole input is the reply, each byte a Latin-1 character.

#include "fuzzcheck.h"
#include "okline.h"

#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QRegularExpression lineEnd(QStringLiteral("[\\r\\n]"));
    const bool want = reply.split(lineEnd).contains(QStringLiteral("OK"));
    const bool got = qelv::survey::okStandsAlone(reply);
    if (got != want)
        qelv::fuzz::fail(QStringLiteral("okStandsAlone(\"%1\") = %2, the lines say %3")
                             .arg(qelv::fuzz::escaped(reply))
                             .arg(got)
                             .arg(want));
    return 0;
}
