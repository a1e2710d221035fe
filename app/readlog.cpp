#include "readlog.h"

#include "logreader.h"
#include "modemerror.h"
#include "options.h"
#include "textescape.h"

#include <QFile>

#include <cstdio>

namespace qelv {

namespace {

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printFailure(const QString& path, const QString& why) {
    print(stderr, QStringLiteral("qel-v: ") + escapeForTerminal(path) + QStringLiteral(": ") +
                      escapeForTerminal(why) + u'\n');
}

}  // namespace

int runReadLog(const QStringList& argsAfterOption) {
    if (argsAfterOption.size() != 1) {
        print(stderr, QStringLiteral("qel-v: --read-log needs exactly one FILE\n"
                                     "Try 'qel-v --help'.\n"));
        return kExitUsage;
    }
    const QString& path = argsAfterOption.first();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printFailure(path, file.errorString());
        return kExitFailure;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printFailure(path, file.errorString());
        return kExitFailure;
    }
    try {
        print(stdout, formatLog(parseLog(bytes), escapeForTerminal));
    } catch (const ModemError& error) {
        printFailure(path, error.message());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace qelv
