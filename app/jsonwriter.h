#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace qelv {

// Compact UTF-8 JSON, keys in QJsonObject's order, strings by jsonStringLiteral: unlike
// QJsonDocument::toJson, DEL and C1 characters never reach the output raw. Numbers that are
// whole are written without a fraction.
QByteArray compactJson(const QJsonObject& object);

}  // namespace qelv
