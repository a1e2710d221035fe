#include "gridrender.h"
#include "surveytexts.h"
#include "terminalwidth.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace qelv;

namespace {

TEST(TerminalWidth, WideCharactersCountTwo) {
    EXPECT_EQ(displayWidth("ポートab"), 8);
    EXPECT_EQ(displayWidth(""), 0);
}

GridCells surveyed() {
    GridCells cells;
    cells.resize(17, 4);
    for (int col = 0; col < 4; ++col) cells.at(0, col).text = survey::kHeaders[col];
    for (int row = 1; row <= 16; ++row) {
        cells.at(row, 0).text = survey::portName(row);
        cells.at(row, 1).backColor = survey::kWhite;
        cells.at(row, 1).toolTip = "デバイスがありません";
    }
    cells.at(2, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
    cells.at(2, 2) = {"ATE0\r\r\nOK\r\n", survey::kMark, {}, {}, {}, {}};
    cells.at(2, 3) = {QString("\x1b[31mX") + QChar(0xE9) + QChar(0) + "\r\nOK\r\n",
                      survey::kMark,
                      {},
                      {},
                      {},
                      {}};
    cells.at(3, 1).toolTip = "使用中です: /dev/pts/9";
    for (int row : {5, 6}) {
        cells.at(row, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
        cells.at(row, 2) = {{}, survey::kWhite, "応答がありません（2000 ms 以内）", {}, {}, {}};
    }
    cells.at(7, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
    cells.at(7, 2) = {"ATE0\r\r\nOK\r\n", survey::kMark, {}, {}, {}, {}};
    cells.at(7, 3) = {{}, survey::kWhite, "「OK」を含まない応答です", "\r\nERROR\r\n\x7f", {}, {}};
    return cells;
}

std::optional<QString> devices(int n) {
    if (n == 2) return QString("/dev/pts/4");
    if (n == 7)
        return QString(
            "/dev/pts/\x1b"
            "7");
    return std::nullopt;
}

TEST(GridRender, TableIsAlignedEscapedAndNotesWhyPortsFailed) {
    const QString table = renderTable(surveyed(), devices, true);
    const QStringList lines = table.split('\n');
    EXPECT_TRUE(lines[0].startsWith("ポート  デバイス        接続状態  ATコマンド 対応状況"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[2].startsWith("COM2    /dev/pts/4      OK        ATE0\\r\\r\\nOK\\r\\n"))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[7].startsWith("COM7    /dev/pts/\\x1B7  OK"));
    EXPECT_TRUE(lines[2].endsWith("\\x1B[31mXé\\x00\\r\\nOK\\r\\n"));
    EXPECT_TRUE(lines[1].startsWith("COM1    -               ×"));
    EXPECT_FALSE(table.contains(QChar(0x1B)));
    EXPECT_FALSE(table.contains(QChar(0)));
    EXPECT_TRUE(table.contains("COM3: 使用中です: /dev/pts/9\n"));
    EXPECT_TRUE(table.contains("COM1, COM4, COM8"));
    EXPECT_FALSE(table.contains("COM2, "));
    // Why each AT check failed, with the reply that failed it; grouped like the open notes.
    EXPECT_TRUE(
        table.contains("COM5, COM6 ATコマンド 対応状況: 応答がありません（2000 ms 以内）\n"));
    EXPECT_TRUE(
        table.contains("COM7 機器情報: 「OK」を含まない応答です\n"
                       "    応答: \\r\\nERROR\\r\\n\\x7F\n"));
    EXPECT_FALSE(table.contains(QChar(0x7F))) << table.toStdString();
    EXPECT_FALSE(table.contains("中断"));
}

TEST(GridRender, AnInterruptedSurveySaysSoUnderTheTable) {
    GridCells cells = surveyed();
    const QString table = renderTable(cells, devices, false);
    EXPECT_TRUE(table.endsWith("\n" + survey::kInterrupted + "\n"));
    const QJsonObject json = QJsonDocument::fromJson(renderJson(cells, devices, false)).object();
    ASSERT_TRUE(json["complete"].isBool());
    EXPECT_FALSE(json["complete"].toBool());
    EXPECT_EQ(json["rows"].toArray().size(), 16);
}

TEST(GridRender, JsonKeepsTextsExactAndMarksTheCells) {
    const QByteArray json = renderJson(surveyed(), devices, true);
    EXPECT_TRUE(json.endsWith("\n"));
    EXPECT_TRUE(QJsonDocument::fromJson(json).object()["complete"].toBool());
    const QJsonArray rows = QJsonDocument::fromJson(json).object()["rows"].toArray();
    ASSERT_EQ(rows.size(), 16);
    const QJsonObject com2 = rows[1].toObject();
    EXPECT_EQ(com2["row"].toInt(), 2);
    EXPECT_EQ(com2["port"].toString(), "COM2");
    EXPECT_EQ(com2["device"].toString(), "/dev/pts/4");
    EXPECT_EQ(com2["open"].toObject()["mark"].toString(), "pass");
    EXPECT_FALSE(com2["open"].toObject().contains("error"));
    EXPECT_EQ(com2["at"].toObject()["text"].toString(), "ATE0\r\r\nOK\r\n");
    const QString info = com2["info"].toObject()["text"].toString();
    EXPECT_EQ(info, QString("\x1b[31mX") + QChar(0xE9) + QChar(0) + "\r\nOK\r\n");
    const QJsonObject com1 = rows[0].toObject();
    EXPECT_TRUE(com1["device"].isNull());
    EXPECT_EQ(com1["open"].toObject()["mark"].toString(), "fail");
    EXPECT_EQ(com1["open"].toObject()["error"].toString(), "デバイスがありません");
    EXPECT_TRUE(com1["at"].toObject()["mark"].isNull());
    EXPECT_TRUE(com1["at"].toObject()["text"].toString().isEmpty());
    EXPECT_FALSE(com2["at"].toObject().contains("reply"));
    const QJsonObject silent = rows[4].toObject()["at"].toObject();
    EXPECT_EQ(silent["error"].toString(), "応答がありません（2000 ms 以内）");
    EXPECT_EQ(silent["reply"].toString(), "");
    const QJsonObject noOk = rows[6].toObject()["info"].toObject();
    EXPECT_EQ(noOk["mark"].toString(), "fail");
    EXPECT_EQ(noOk["reply"].toString(), "\r\nERROR\r\n\x7f");  // exact, escaped only by JSON
    EXPECT_TRUE(noOk["error"].toString().startsWith("「OK」を含まない応答です"));
}

}  // namespace
