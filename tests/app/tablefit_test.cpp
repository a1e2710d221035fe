// The text table fitted to a terminal's width.

#include "gridrender.h"
#include "pty.h"
#include "surveytexts.h"
#include "tablelayout.h"
#include "terminalwidth.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <sys/ioctl.h>
#include <cstdio>
#include <cstdlib>

using namespace qelv;

namespace {

// Terminal columns of the texts of these tests, counted apart from the code under test: the
// Japanese and full-width characters take two.
int columnsOf(const QString& text) {
    int columns = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
                          (u >= 0xFF01 && u <= 0xFF60);
        columns += wide ? 2 : 1;
    }
    return columns;
}

TEST(FitToColumns, CutsBetweenWholeEscapesAndCharactersAndMarksTheCut) {
    struct Row {
        QString text;
        int columns;
        Keep keep;
        QString fitted;
    };
    const Row rows[] = {
        {"OK\\r\\n", 6, Keep::Start, "OK\\r\\n"},  // fits: unchanged
        {"OK\\r\\nERROR", 6, Keep::Start, "OK\\r…"},
        {"A\\x1B[31m", 5, Keep::Start, "A…"},  // not "A\x1…"
        {"A\\x1B[31m", 6, Keep::Start, "A\\x1B…"},
        {"\\\\\\\\x", 4, Keep::Start, "\\\\…"},
        {"モデム応答", 6, Keep::Start, "モデ…"},  // 5 columns: the third wide one does not fit
        {"モデム応答", 7, Keep::Start, "モデム…"},
        {"/dev/serial/by-id/usb-FTDI-port0", 12, Keep::End, "…-FTDI-port0"},
        {"/dev/\\x1B7", 6, Keep::End, "…\\x1B7"},
        {"/dev/\\x1B7", 4, Keep::End, "…7"},
        {"abc", 0, Keep::Start, "…"},
    };
    for (const Row& row : rows) {
        const QString fitted = fitToColumns(row.text, row.columns, row.keep);
        EXPECT_EQ(fitted, row.fitted) << row.text.toStdString() << " in " << row.columns;
        EXPECT_LE(columnsOf(fitted), std::max(row.columns, 1)) << row.text.toStdString();
    }
}

TEST(OutputColumns, TheTerminalsWidthElseColumnsElseEighty) {
    const QByteArray saved = qgetenv("COLUMNS");
    const bool had = qEnvironmentVariableIsSet("COLUMNS");
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    qputenv("COLUMNS", "132");
    EXPECT_EQ(outputColumns(file), 132);
    for (const char* bad : {"", "wide", "-5", "0"}) {
        qputenv("COLUMNS", bad);
        EXPECT_EQ(outputColumns(file), 80) << bad;
    }
    qunsetenv("COLUMNS");
    EXPECT_EQ(outputColumns(file), 80);
    std::fclose(file);

    test::Pty terminal;
    winsize size{};
    size.ws_col = 97;
    size.ws_row = 30;
    ASSERT_EQ(::ioctl(terminal.slaveFd(), TIOCSWINSZ, &size), 0);
    std::FILE* tty = ::fdopen(::dup(terminal.slaveFd()), "w");
    ASSERT_NE(tty, nullptr);
    qputenv("COLUMNS", "132");
    EXPECT_EQ(outputColumns(tty), 97);
    std::fclose(tty);
    if (had)
        qputenv("COLUMNS", saved);
    else
        qunsetenv("COLUMNS");
}

GridCells grid() {
    GridCells cells;
    cells.resize(17, 4);
    for (int col = 0; col < 4; ++col) cells.at(0, col).text = survey::kHeaders[col];
    for (int row = 1; row <= 16; ++row) cells.at(row, 0).text = survey::portName(row);
    const QString identity = QStringLiteral(
        "\r\nＱＥＬ シミュレーション 全二重モデム 日本語版 第4版 "
        "56000bps V.92 対応\r\n\r\nOK\r\n");
    cells.at(1, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
    cells.at(1, 2) = {"ATE0Q0V1\r\r\nOK\r\n", survey::kMark, {}, {}, {}, {}};
    cells.at(1, 3) = {identity, survey::kMark, {}, {}, {}, {}};
    // A flooding device: a megabyte of noise in both AT cells.
    QString noise;
    for (int i = 0; noise.size() < (1 << 18); ++i) noise += QChar(static_cast<char16_t>(i % 256));
    cells.at(10, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
    cells.at(10, 2) = {noise + "\r\nOK\r\n", survey::kMark, {}, {}, {}, {}};
    cells.at(10, 3) = {noise, survey::kMark, {}, {}, {}, {}};
    const QString reply = QString(200, u'x');
    cells.at(4, 1) = {"OK", survey::kMark, {}, {}, {}, {}};
    cells.at(4, 2) = {{}, survey::kWhite, survey::kAnswerWithoutOk, reply, {}, {}};
    return cells;
}

std::optional<QString> devices(int n) {
    if (n == 1) return QStringLiteral("/dev/serial/by-id/usb-QEL_Simulation_Works_SIM-5600-if00");
    if (n == 4 || n == 10) return QStringLiteral("/dev/pts/%1").arg(n);
    return std::nullopt;
}

// Whether every backslash in `line` starts a whole escape: \\, \r, \n, \t or \xNN.
bool wholeEscapes(const QString& line) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-F]{2}$"));
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != u'\\') continue;
        if (i + 1 >= line.size()) return false;
        if (line[i + 1] == u'x' && !hex.match(line.mid(i + 2, 2)).hasMatch()) return false;
        i += line[i + 1] == u'x' ? 3 : 1;
    }
    return true;
}

TEST(TableFit, EightyColumnsHoldEveryRowWhileNotesAndJsonKeepEverything) {
    const GridCells cells = grid();
    const QString text = renderTable(cells, devices, true, 80);
    const QStringList lines = text.split(u'\n');
    ASSERT_GE(lines.size(), 18);
    for (int i = 0; i < 17; ++i)
        EXPECT_LE(columnsOf(lines[i]), 80) << i << ": " << lines[i].toStdString();
    // Columns stay aligned: every row's third column starts where the header's does.
    const int open = columnsOf(lines[0].left(lines[0].indexOf(survey::kHeaders[1])));
    for (int row : {1, 4, 10}) {
        const QString before = lines[row].left(lines[row].indexOf(QStringLiteral("OK")));
        EXPECT_EQ(columnsOf(before), open) << lines[row].toStdString();
    }
    EXPECT_TRUE(lines[1].contains(kCutMark + QStringLiteral("Works_SIM-5600-if00")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(kCutMark)) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\\r\\nＱＥＬ"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[10].endsWith(kCutMark));
    for (int i = 0; i < 17; ++i) EXPECT_TRUE(wholeEscapes(lines[i])) << lines[i].toStdString();
    // The note keeps the whole 200-character reply; JSON keeps the megabyte.
    EXPECT_TRUE(text.contains(QStringLiteral("    応答: ") + QString(200, u'x') + u'\n'));
    const QJsonArray rows = QJsonDocument::fromJson(renderJson(cells, devices, true))
                                .object()[QStringLiteral("rows")]
                                .toArray();
    EXPECT_EQ(rows[9].toObject()["info"].toObject()["text"].toString(), cells.at(10, 3).text);

    // A terminal wide enough shows every cell whole; a very narrow one still cuts each
    // column only to its narrowest, keeping the table's shape.
    const QString wide = renderTable(cells, devices, true, 20'000'000);
    EXPECT_FALSE(wide.contains(kCutMark));
    EXPECT_EQ(wide, renderTable(cells, devices, true));
    const QStringList narrow = renderTable(cells, devices, true, 10).split(u'\n');
    for (int i = 0; i < 17; ++i) EXPECT_LE(columnsOf(narrow[i]), 5 * kNarrowestColumn + 4 * 2) << i;
}

}  // namespace
