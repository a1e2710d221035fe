#include "failureicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qelv {

namespace {

constexpr int kSize = 16;

QPixmap canvas() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// In use by another program: an hourglass, it may be free later.
QPixmap busySign() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1F, 0x4E, 0x9A), 1.5));
    p.setBrush(QColor(0x72, 0x9F, 0xCF));
    const QPolygonF glass{{3.5, 1.5}, {12.5, 1.5}, {8, 8}, {12.5, 14.5}, {3.5, 14.5}, {8, 8}};
    p.drawPolygon(glass);
    return pixmap;
}

// Refused to this user: a padlock.
QPixmap refusedSign() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8F, 0x59, 0x02), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC4, 0xA0, 0x00));
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7.5), 1.5, 1.5);
    return pixmap;
}

// Exists but did not open as a serial port: a red disc with a bar.
QPixmap failedSign() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xCC, 0x00, 0x00));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 7, 8, 2));
    return pixmap;
}

}  // namespace

QIcon failureIcon(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::None:
        case OpenFailure::Absent:
            return {};
        case OpenFailure::Busy: {
            static const QIcon busy(busySign());
            return busy;
        }
        case OpenFailure::PermissionDenied: {
            static const QIcon refused(refusedSign());
            return refused;
        }
        case OpenFailure::NotSerial:
        case OpenFailure::Other:
            break;
    }
    static const QIcon failed(failedSign());
    return failed;
}

}  // namespace qelv
