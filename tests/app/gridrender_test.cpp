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
    cells.at(2, 1) = {"OK", survey::kMark, {}};
    cells.at(2, 2) = {"ATE0\r\r\nOK\r\n", survey::kMark, {}};
    cells.at(2, 3) = {QString("\x1b[31mX") + QChar(0xE9) + QChar(0) + "\r\nOK\r\n", survey::kMark, {}};
    cells.at(3, 1).toolTip = "使用中です: /dev/pts/9";
    return cells;
}

TEST(GridRender, TableIsAlignedEscapedAndNotesWhyPortsFailed) {
    const QString table = renderTable(surveyed());
    const QStringList lines = table.split('\n');
    EXPECT_TRUE(lines[0].startsWith("ポート  接続状態  ATコマンド 対応状況"));
    EXPECT_TRUE(lines[2].startsWith("COM2    OK        ATE0\\r\\r\\nOK\\r\\n"));
    EXPECT_TRUE(lines[2].endsWith("\\x1B[31mXé\\x00\\r\\nOK\\r\\n"));
    EXPECT_TRUE(lines[1].startsWith("COM1    ×"));
    EXPECT_FALSE(table.contains(QChar(0x1B)));
    EXPECT_FALSE(table.contains(QChar(0)));
    EXPECT_TRUE(table.contains("COM3: 使用中です: /dev/pts/9\n"));
    EXPECT_TRUE(table.contains("COM1, COM4, COM5"));
    EXPECT_FALSE(table.contains("COM2, "));
}

TEST(GridRender, JsonKeepsTextsExactAndMarksTheCells) {
    const QByteArray json = renderJson(surveyed(), [](int n) -> std::optional<QString> {
        if (n == 2) return QString("/dev/pts/4");
        return std::nullopt;
    });
    EXPECT_TRUE(json.endsWith("\n"));
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
}

}  // namespace
