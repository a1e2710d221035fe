#include "gridrender.h"

#include "jsonwriter.h"
#include "surveytexts.h"
#include "terminalwidth.h"
#include "textescape.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qelv {

namespace {

enum class Mark { None, Pass, Fail };

Mark markOf(const GridCell& cell) {
    if (cell.backColor == survey::kMark) return Mark::Pass;
    if (cell.backColor == survey::kWhite) return Mark::Fail;
    return Mark::None;
}

QString tableText(const GridCell& cell, int row) {
    if (row == 0) return cell.text;
    if (markOf(cell) == Mark::Fail && cell.text.isEmpty()) return QStringLiteral("×");
    return escapeForTerminal(cell.text);
}

QString padded(const QString& text, int width) {
    return text + QString(std::max(0, width - displayWidth(text)), u' ');
}

// One line per reason, naming every port it applies to: sixteen lines of "no device" say
// less than one.
QString notes(const GridCells& cells) {
    std::vector<std::pair<QString, QStringList>> reasons;
    for (int row = 1; row < cells.rows() && cells.cols() > 1; ++row) {
        const GridCell& open = cells.at(row, 1);
        if (markOf(open) != Mark::Fail || open.toolTip.isEmpty()) continue;
        auto same = std::find_if(reasons.begin(), reasons.end(),
                                 [&](const auto& reason) { return reason.first == open.toolTip; });
        if (same == reasons.end()) same = reasons.insert(reasons.end(), {open.toolTip, {}});
        same->second << cells.at(row, 0).text;
    }
    QString out;
    for (const auto& [reason, ports] : reasons)
        out += QStringLiteral("%1: %2\n").arg(ports.join(QStringLiteral(", ")), escapeForTerminal(reason));
    return out;
}

QJsonObject jsonCell(const GridCell& cell, bool withError) {
    QJsonObject object{{QStringLiteral("text"), cell.text}};
    switch (markOf(cell)) {
    case Mark::Pass: object.insert(QStringLiteral("mark"), QStringLiteral("pass")); break;
    case Mark::Fail: object.insert(QStringLiteral("mark"), QStringLiteral("fail")); break;
    case Mark::None: object.insert(QStringLiteral("mark"), QJsonValue::Null); break;
    }
    if (withError && markOf(cell) == Mark::Fail && !cell.toolTip.isEmpty())
        object.insert(QStringLiteral("error"), cell.toolTip);
    return object;
}

}  // namespace

QString renderTable(const GridCells& cells) {
    std::vector<int> widths(static_cast<std::size_t>(cells.cols()), 0);
    for (int row = 0; row < cells.rows(); ++row)
        for (int col = 0; col < cells.cols(); ++col)
            widths[static_cast<std::size_t>(col)] = std::max(
                widths[static_cast<std::size_t>(col)], displayWidth(tableText(cells.at(row, col), row)));
    QString out;
    for (int row = 0; row < cells.rows(); ++row) {
        QString line;
        for (int col = 0; col < cells.cols(); ++col) {
            const QString text = tableText(cells.at(row, col), row);
            line += col + 1 < cells.cols() ? padded(text, widths[static_cast<std::size_t>(col)]) + QStringLiteral("  ")
                                           : text;
        }
        while (line.endsWith(u' ')) line.chop(1);
        out += line + u'\n';
    }
    const QString why = notes(cells);
    if (!why.isEmpty()) out += u'\n' + why;
    return out;
}

QByteArray renderJson(const GridCells& cells, const DeviceLookup& device) {
    QJsonArray rows;
    for (int row = 1; row < cells.rows() && cells.cols() >= 4; ++row) {
        const auto path = device ? device(row) : std::nullopt;
        rows.append(QJsonObject{
            {QStringLiteral("row"), row},
            {QStringLiteral("port"), cells.at(row, 0).text},
            {QStringLiteral("device"), path ? QJsonValue(*path) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("open"), jsonCell(cells.at(row, 1), true)},
            {QStringLiteral("at"), jsonCell(cells.at(row, 2), false)},
            {QStringLiteral("info"), jsonCell(cells.at(row, 3), false)},
        });
    }
    return compactJson(QJsonObject{{QStringLiteral("rows"), rows}}) + '\n';
}

}  // namespace qelv
