#include "gridrender.h"

#include "identityjson.h"
#include "identitytext.h"
#include "jsonwriter.h"
#include "surveytexts.h"
#include "tablelayout.h"
#include "textescape.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qelv {

namespace {

using survey::Mark;

Mark markOf(const GridCell& cell) {
    return survey::markOf(cell.backColor);
}

QString tableText(const GridCell& cell, int row) {
    if (row == 0) return cell.text;
    if (markOf(cell) == Mark::Fail && cell.text.isEmpty()) return QStringLiteral("×");
    return escapeForTerminal(cell.text);
}

QString deviceText(int row, const DeviceLookup& device) {
    if (row == 0) return survey::kDeviceHeader;
    const auto path = device ? device(row) : std::nullopt;
    return path ? escapeForTerminal(*path) : survey::kNoDevice;
}

// The table's cells as they are printed: the port, its device, then the grid's columns.
std::vector<QStringList> tableRows(const GridCells& cells, const DeviceLookup& device) {
    std::vector<QStringList> rows;
    for (int row = 0; row < cells.rows(); ++row) {
        QStringList line;
        for (int col = 0; col < cells.cols(); ++col) {
            line << tableText(cells.at(row, col), row);
            if (col == 0) line << deviceText(row, device);
        }
        rows.push_back(line);
    }
    return rows;
}

// The reason escaped, and the reply that failed the check indented under it.
QString noteText(const GridCell& cell) {
    const QString why = escapeForTerminal(cell.toolTip);
    return cell.reply.isEmpty() ? why : why + QStringLiteral("\n    ") + replyLine(cell.reply);
}

struct Note {
    QString where;  // the column, for the AT columns
    QString note;
    QStringList ports;
};

// One line per reason and column, naming every port it applies to: sixteen lines of "no
// device" say less than one.
QString notes(const GridCells& cells) {
    std::vector<Note> found;
    for (int col = 1; col < cells.cols(); ++col)
        for (int row = 1; row < cells.rows(); ++row) {
            const GridCell& cell = cells.at(row, col);
            if (markOf(cell) != Mark::Fail || cell.toolTip.isEmpty()) continue;
            const QString note = noteText(cell);
            const QString where = col == 1 ? QString() : u' ' + cells.at(0, col).text;
            auto same = std::find_if(found.begin(), found.end(), [&](const Note& n) {
                return n.where == where && n.note == note;
            });
            if (same == found.end()) same = found.insert(found.end(), {where, note, {}});
            same->ports << cells.at(row, 0).text;
        }
    QString out;
    for (const Note& n : found)
        out += n.ports.join(QStringLiteral(", ")) + n.where + QStringLiteral(": ") + n.note + u'\n';
    return out;
}

QJsonObject jsonCell(const GridCell& cell, bool withReply) {
    QJsonObject object{{QStringLiteral("text"), cell.text}};
    switch (markOf(cell)) {
        case Mark::Pass:
            object.insert(QStringLiteral("mark"), QStringLiteral("pass"));
            break;
        case Mark::Fail:
            object.insert(QStringLiteral("mark"), QStringLiteral("fail"));
            break;
        case Mark::None:
            object.insert(QStringLiteral("mark"), QJsonValue::Null);
            break;
    }
    if (markOf(cell) != Mark::Fail || cell.toolTip.isEmpty()) return object;
    object.insert(QStringLiteral("error"), cell.toolTip);
    if (withReply) object.insert(QStringLiteral("reply"), cell.reply);
    return object;
}

// One line per port whose device is known.
QString identities(const GridCells& cells, const IdentityLookup& identity) {
    QString out;
    for (int row = 1; identity && row < cells.rows(); ++row) {
        const QStringList lines = survey::identityLines(identity(row), escapeForTerminal);
        if (lines.isEmpty()) continue;
        out += escapeForTerminal(cells.at(row, 0).text) + u' ' + survey::kIdentityHeading + u' ' +
               lines.join(QStringLiteral("; ")) + u'\n';
    }
    return out;
}

}  // namespace

QString renderTable(const GridCells& cells, const DeviceLookup& device, bool complete, int width,
                    const IdentityLookup& identity) {
    // A path is cut at its start: its end names the device.
    QString out = alignedTable(tableRows(cells, device), width, {1});
    const QString known = identities(cells, identity);
    if (!known.isEmpty()) out += u'\n' + known;
    const QString why = notes(cells);
    if (!why.isEmpty()) out += u'\n' + why;
    if (!complete) out += u'\n' + survey::kInterrupted + u'\n';
    return out;
}

QByteArray renderJson(const GridCells& cells, const DeviceLookup& device, bool complete,
                      const IdentityLookup& identity) {
    QJsonArray rows;
    for (int row = 1; row < cells.rows() && cells.cols() >= 4; ++row) {
        const auto path = device ? device(row) : std::nullopt;
        rows.append(QJsonObject{
            {QStringLiteral("row"), row},
            {QStringLiteral("port"), cells.at(row, 0).text},
            {QStringLiteral("device"), path ? QJsonValue(*path) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("open"), jsonCell(cells.at(row, survey::kOpenCol), false)},
            {QStringLiteral("at"), jsonCell(cells.at(row, survey::kAtCol), true)},
            {QStringLiteral("info"), jsonCell(cells.at(row, survey::kInfoCol), true)},
            {QStringLiteral("identity"), identityJson(identity ? identity(row) : DeviceIdentity{})},
        });
    }
    const QJsonObject survey{{QStringLiteral("complete"), complete},
                             {QStringLiteral("rows"), rows}};
    return compactJson(survey) + '\n';
}

}  // namespace qelv
