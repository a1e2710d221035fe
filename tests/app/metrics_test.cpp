// The survey in Prometheus' text format: which series a grid gives, the format's rules, and
// that no device text can break a line or a value.

#include "metrics/exposition.h"
#include "metrics/metricfamilies.h"
#include "metrics/metricsrender.h"
#include "promtool.h"
#include "surveytexts.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

using namespace qelv;
using namespace std::chrono_literals;

namespace {

GridCell cell(std::uint32_t color, OpenFailure failure = OpenFailure::None) {
    GridCell c;
    c.backColor = color;
    c.failure = failure;
    return c;
}

// COM1 a modem; COM2 silent; COM3 held by another program; COM4 mapped to nothing there;
// COM5 answers AT but not the information query; COM6 was never reached (an interrupted
// survey); COM7 has results but no device in the map any more; the rest are not mapped.
GridCells surveyed() {
    GridCells cells;
    cells.resize(survey::kRows, survey::kCols);
    for (int row = 1; row < survey::kRows; ++row) {
        cells.at(row, 0).text = survey::portName(row);
        cells.at(row, survey::kOpenCol) = cell(survey::kWhite, OpenFailure::Absent);
    }
    for (int row : {1, 2, 5, 7}) cells.at(row, survey::kOpenCol) = cell(survey::kMark);
    cells.at(1, survey::kAtCol) = cell(survey::kMark);
    cells.at(1, survey::kInfoCol) = cell(survey::kMark);
    cells.at(2, survey::kAtCol) = cell(survey::kWhite);
    cells.at(3, survey::kOpenCol) = cell(survey::kWhite, OpenFailure::Busy);
    cells.at(5, survey::kAtCol) = cell(survey::kMark);
    cells.at(5, survey::kInfoCol) = cell(survey::kWhite);
    cells.at(6, survey::kOpenCol) = cell(Grid::kNoColor);
    cells.at(7, survey::kAtCol) = cell(survey::kMark);
    return cells;
}

std::optional<QString> mapped(int n) {
    if (n <= 6) return QStringLiteral("/nonexistent/dev/ttyUSB%1").arg(n - 1);
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> timed(int n) {
    if (n == 1) return 16ms;
    if (n == 2) return 2001ms;  // answered nothing: no answer time, whatever was measured
    if (n == 5) return 1999ms;
    return std::nullopt;
}

QStringList samplesOf(const QString& out, const char* family) {
    QStringList found;
    for (const QString& line : out.split(u'\n'))
        if (line.startsWith(QLatin1String(family) + u'{') ||
            line.startsWith(QLatin1String(family) + u' '))
            found << line;
    return found;
}

// An identity as the device gave it; an empty text is a fact nobody knows.
DeviceIdentity identityOf(const QString& manufacturer, const QString& model,
                          const QString& revision, const QString& serial) {
    const auto field = [](const QString& value) {
        return IdentityField{value, value.isEmpty() ? IdentitySource::None : IdentitySource::At};
    };
    DeviceIdentity id;
    id.manufacturer = field(manufacturer);
    id.model = field(model);
    id.revision = field(revision);
    id.serial = field(serial);
    return id;
}

QString render(const GridCells& cells, std::function<DeviceIdentity(int)> identity = {}) {
    return QString::fromUtf8(renderMetrics({.cells = cells,
                                            .device = mapped,
                                            .answerTime = timed,
                                            .identity = std::move(identity),
                                            .duration = 6204ms,
                                            .complete = true,
                                            .endedAt = 1765226894123ms}));
}

TEST(Metrics, EachMappedPortGetsTheSeriesItsPassesGaveIt) {
    const GridCells cells = surveyed();
    const QString out = render(cells);
    const auto port = [](int n) {
        return QStringLiteral("{port=\"COM%1\",device=\"/nonexistent/dev/ttyUSB%2\"}")
            .arg(n)
            .arg(n - 1);
    };
    EXPECT_EQ(samplesOf(out, "qelv_port_open"),
              (QStringList{"qelv_port_open" + port(1) + " 1", "qelv_port_open" + port(2) + " 1",
                           "qelv_port_open" + port(3) + " 0", "qelv_port_open" + port(4) + " 0",
                           "qelv_port_open" + port(5) + " 1"}));
    EXPECT_EQ(samplesOf(out, "qelv_port_in_use"),
              (QStringList{"qelv_port_in_use" + port(1) + " 0", "qelv_port_in_use" + port(2) + " 0",
                           "qelv_port_in_use" + port(3) + " 1", "qelv_port_in_use" + port(4) + " 0",
                           "qelv_port_in_use" + port(5) + " 0"}));
    EXPECT_EQ(samplesOf(out, "qelv_port_at_ok"),
              (QStringList{"qelv_port_at_ok" + port(1) + " 1", "qelv_port_at_ok" + port(2) + " 0",
                           "qelv_port_at_ok" + port(5) + " 1"}));
    EXPECT_EQ(
        samplesOf(out, "qelv_port_info_ok"),
        (QStringList{"qelv_port_info_ok" + port(1) + " 1", "qelv_port_info_ok" + port(5) + " 0"}));
    EXPECT_EQ(samplesOf(out, "qelv_port_answer_seconds"),
              (QStringList{"qelv_port_answer_seconds" + port(1) + " 0.016",
                           "qelv_port_answer_seconds" + port(5) + " 1.999"}));
    EXPECT_EQ(samplesOf(out, "qelv_survey_ports"), QStringList{"qelv_survey_ports 6"});
    EXPECT_EQ(samplesOf(out, "qelv_survey_duration_seconds"),
              QStringList{"qelv_survey_duration_seconds 6.204"});
    EXPECT_EQ(samplesOf(out, "qelv_survey_complete"), QStringList{"qelv_survey_complete 1"});
    EXPECT_EQ(samplesOf(out, "qelv_survey_last_run_timestamp_seconds"),
              QStringList{"qelv_survey_last_run_timestamp_seconds 1765226894.123"});
    // No identity known: no info series, and no family left without samples.
    EXPECT_FALSE(out.contains("qelv_device_info"));
    EXPECT_FALSE(out.contains("COM6")) << "pass 1 never reached it";
    EXPECT_FALSE(out.contains("COM7")) << "no device any more";
}

TEST(Metrics, EveryFamilyOnceWithHelpAndTypeBeforeItsSamplesAndNoTimestamps) {
    QSet<QString> names;
    for (const auto& f : metrics::kFamilies) {
        EXPECT_TRUE(QString::fromLatin1(f.name).startsWith("qelv_")) << f.name;
        names.insert(QString::fromLatin1(f.name));
    }
    EXPECT_EQ(names.size(), static_cast<qsizetype>(metrics::kFamilies.size()));

    const QString out = render(surveyed(), [](int n) {
        return n == 1 ? identityOf("Quectel", "EC25", "EC25EFAR06A06M4G", "866758042")
                      : DeviceIdentity{};
    });
    ASSERT_TRUE(out.endsWith(u'\n'));
    const QStringList lines = out.chopped(1).split(u'\n');
    QString family;
    QSet<QString> seen;
    static const QRegularExpression sample(
        QStringLiteral("^([a-z_]+)(\\{[^\\n]*\\})? (-?[0-9]+(\\.[0-9]+)?)$"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith("# HELP ")) {
            family = line.section(u' ', 2, 2);
            EXPECT_FALSE(seen.contains(family)) << family.toStdString();
            seen.insert(family);
            ASSERT_LT(i + 1, lines.size());
            EXPECT_EQ(lines[i + 1], "# TYPE " + family + " gauge");
            ++i;
            continue;
        }
        const auto match = sample.match(line);
        ASSERT_TRUE(match.hasMatch())
            << "a sample with a timestamp or worse: " << line.toStdString();
        EXPECT_EQ(match.captured(1), family) << line.toStdString();
    }
    EXPECT_EQ(seen, names);
    EXPECT_EQ(samplesOf(out, "qelv_device_info"),
              QStringList{"qelv_device_info{port=\"COM1\",device=\"/nonexistent/dev/ttyUSB0\","
                          "manufacturer=\"Quectel\",model=\"EC25\","
                          "revision=\"EC25EFAR06A06M4G\",serial=\"866758042\"} 1"});
}

TEST(Metrics, LabelValuesAreEscapedOnceForTheTerminalThenForTheFormat) {
    struct Row {
        QString text;
        QString inFile;
    };
    const Row rows[] = {
        {"Quectel", "Quectel"},
        {"機器 ÉC25", "機器 ÉC25"},        // printable text stays as it is
        {"say \"hi\"", "say \\\"hi\\\""},  // the format's quote
        {"a\\b", "a\\\\\\\\b"},            // doubled by each of the two
        {"a\nb\rc", "a\\\\nb\\\\rc"},      // no line feed reaches the file
        {QString("x") + QChar(0x85) + QChar(0x9B), "x\\\\x85\\\\x9B"},  // C1: NEL, CSI
        {QString("\x1b[2J") + QChar(0x7F), "\\\\x1B[2J\\\\x7F"},
        {QString(QChar(0)), "\\\\x00"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(metrics::labelValue(row.text), row.inFile) << row.text.toStdString();
}

TEST(Metrics, NumbersAreExactDecimalSeconds) {
    EXPECT_EQ(metrics::seconds(0ms), "0.000");
    EXPECT_EQ(metrics::seconds(16ms), "0.016");
    EXPECT_EQ(metrics::seconds(2000ms), "2.000");
    EXPECT_EQ(metrics::seconds(1765226894123ms), "1765226894.123");
    EXPECT_EQ(metrics::seconds(-5ms), "-0.005");
}

// Whatever a device calls itself, promtool reads the file without a word.
TEST(Metrics, PromtoolAcceptsHostileIdentitiesAndDevicePaths) {
    const QString hostile = QString("\"quoted\" \\\" \\n\n\r\t") + QChar(0x85) + QChar(0x9D) +
                            QChar(0x7F) + QChar(0) + "}\n# TYPE x counter\nx 1 ";
    const GridCells cells = surveyed();
    const QByteArray out =
        renderMetrics({.cells = cells,
                       .device = [&](int n) { return n == 1 ? std::optional(hostile) : mapped(n); },
                       .answerTime = timed,
                       .identity = [&](int) { return identityOf(hostile, hostile, {}, hostile); },
                       .duration = 1ms,
                       .complete = false,
                       .endedAt = 1ms});
    const test::PromtoolVerdict verdict = test::promtoolCheck(out);
    EXPECT_EQ(verdict.exitCode, 0) << verdict.said.toStdString() << "\n" << out.toStdString();
    EXPECT_TRUE(verdict.said.isEmpty()) << verdict.said.toStdString();
    EXPECT_EQ(samplesOf(QString::fromUtf8(out), "qelv_device_info").size(), 6);
    for (const QByteArray& line : out.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith("# ") || line.startsWith("qelv_"))
            << line.toStdString();
}

}  // namespace
