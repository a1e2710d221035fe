#include "ttydevice.h"

#include <QFile>
#include <QList>

#include <sys/sysmacros.h>

namespace qelv {

namespace {

bool inRange(const QByteArray& range, unsigned value) {
    const QList<QByteArray> ends = range.split('-');
    bool okLow = false, okHigh = false;
    const unsigned low = ends.value(0).toUInt(&okLow);
    const unsigned high = ends.size() == 2 ? ends.at(1).toUInt(&okHigh) : low;
    return okLow && (ends.size() == 1 || okHigh) && value >= low && value <= high;
}

}  // namespace

bool isTtyDevice(dev_t device, const QString& procDir) {
    QFile drivers(procDir + QStringLiteral("/tty/drivers"));
    if (!drivers.open(QIODevice::ReadOnly)) return true;
    const QByteArray wantedMajor = QByteArray::number(major(device));
    for (const QByteArray& line : drivers.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 4 && fields.at(2) == wantedMajor &&
            inRange(fields.at(3), minor(device)))
            return true;
    }
    return false;
}

}  // namespace qelv
