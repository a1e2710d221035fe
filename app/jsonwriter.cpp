#include "jsonwriter.h"

#include "textescape.h"

#include <QJsonArray>

#include <cmath>

namespace qelv {

namespace {

void write(QString& out, const QJsonValue& value);

QString number(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9.0e15)
        return QString::number(static_cast<qint64>(value));
    // JSON has no infinity or NaN; QJsonValue cannot hold them either, but be safe.
    return std::isfinite(value) ? QString::number(value, 'g', 17) : QStringLiteral("null");
}

void writeArray(QString& out, const QJsonArray& array) {
    out += u'[';
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (i > 0) out += u',';
        write(out, array.at(i));
    }
    out += u']';
}

void writeObject(QString& out, const QJsonObject& object) {
    out += u'{';
    bool first = true;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!first) out += u',';
        first = false;
        out += jsonStringLiteral(it.key()) + u':';
        write(out, it.value());
    }
    out += u'}';
}

void write(QString& out, const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Bool:
            out += value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
            break;
        case QJsonValue::Double:
            out += number(value.toDouble());
            break;
        case QJsonValue::String:
            out += jsonStringLiteral(value.toString());
            break;
        case QJsonValue::Array:
            writeArray(out, value.toArray());
            break;
        case QJsonValue::Object:
            writeObject(out, value.toObject());
            break;
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            out += QStringLiteral("null");
            break;
    }
}

}  // namespace

QByteArray compactJson(const QJsonObject& object) {
    QString out;
    writeObject(out, object);
    return out.toUtf8();
}

}  // namespace qelv
