#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

// Prometheus' text exposition format, version 0.0.4: what the node exporter's textfile
// collector reads. Samples carry no timestamp, which that collector refuses.
namespace qelv::metrics {

using Labels = std::vector<std::pair<QString, QString>>;

// A label value in the file: the text escaped as for a terminal first (escapeForTerminal:
// no control character is left, backslashes doubled), then as the format asks (backslash,
// double quote, line feed), so that no device text can end a value or a line early.
QString labelValue(const QString& text);

// "# HELP name help" and "# TYPE name type", each ending in a line feed.
QString familyHeader(const char* name, const char* help, const char* type);

// One sample line: name{label="value",...} value, ending in a line feed. Label names are
// ours; values go through labelValue.
QString sampleLine(const char* name, const Labels& labels, const QString& value);

// Milliseconds as seconds with three decimals, exactly ("0.016", "1765226894.123").
QString seconds(std::chrono::milliseconds ms);

// 1 or 0.
QString flag(bool on);

}  // namespace qelv::metrics
