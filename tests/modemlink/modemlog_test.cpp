#include "fakes.h"
#include "filelogwriter.h"
#include "logreader.h"
#include "mdcomm.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace qelv;
using namespace qelv::test;

namespace {

// Keeps what the unit writes; each call can be made to fail.
class RecordingLogWriter final : public LogWriter {
public:
    QString folder = QStringLiteral("/var/log/qelv/");
    bool failCPath = false;
    bool failWrite = false;
    std::vector<std::pair<QString, LogHeader>> headers;
    std::vector<QString> records;

    QString cPath() override {
        if (failCPath) throw ModemError(errc::kLogWriteFailed, QStringLiteral("no folder"));
        return folder;
    }
    void CipherFileHeadWrite(const QString& fileName, const LogHeader& header) override {
        headers.emplace_back(fileName, header);
    }
    void CipherWrite(const QString& text) override {
        if (failWrite) throw ModemError(errc::kLogWriteFailed, QStringLiteral("disk full"));
        records.push_back(text);
    }
};

struct ModemLog : ::testing::Test {
    FakeLine line;
    RecordingLogWriter writer;
    Mdcomm unit{line.clock, line.pump, line.port, &writer};

    void SetUp() override {
        // Every command is answered at once, whatever it is.
        line.port.addDevice(1, [](const QString& sent) {
            return std::vector<ScriptedPort::Reply>{
                {10, QStringLiteral("\r\n%1 done\r\nOK\r\n").arg(sent.trimmed())}};
        });
        line.port.setPortOpen(true);
    }
};

// --- What is logged -----------------------------------------------------------------------

TEST_F(ModemLog, EachCollectingCallWritesExactlyItsReturnedText) {
    unit.LogswOn();
    std::vector<QString> returned;
    returned.push_back(unit.SendModem("AT1", 2000, "OK"));
    EXPECT_EQ(unit.ATTrue("ATQ"), 0);
    returned.push_back(unit.SendModemNotCR("AT2\r", 2000, "OK"));
    returned.push_back(unit.SendModemReBack("AT3", 2000));
    line.port.arriveAfter(0, QStringLiteral("junk"));
    EXPECT_EQ(unit.ComportBufClr(), "junk");
    returned.push_back(unit.ATCret("AT4"));
    returned.push_back(unit.ATCinterRet("AT5"));
    returned.push_back(unit.ATCret("AT6", std::chrono::milliseconds(1000)).text);
    returned.push_back(unit.ATCinterRet("AT7", std::chrono::milliseconds(1000)).text);
    // A limit that ends the collection logs what was collected, as it returns it.
    line.port.removeDevice(1);
    line.port.addDevice(1, [](const QString&) {
        return std::vector<ScriptedPort::Reply>{{10, QStringLiteral("partial")}};
    });
    returned.push_back(unit.ATCret("AT8", std::chrono::milliseconds(1000)).text);
    EXPECT_EQ(returned.back(), "partial");
    EXPECT_EQ(writer.records, returned);
    EXPECT_EQ(returned[4], "AT5 done");
    EXPECT_EQ(returned[6], "AT7 done");
    EXPECT_EQ(writer.headers.size(), 1u);
}

TEST_F(ModemLog, SilentTimeLimitedExchangeWritesAnEmptyRecord) {
    line.port.addDevice(1);
    unit.LogswOn();
    EXPECT_EQ(unit.SendModem("AT", 500, "OK"), "");
    ASSERT_EQ(writer.records.size(), 1u);
    EXPECT_TRUE(writer.records[0].isEmpty());
}

TEST_F(ModemLog, OnlyTheSwitchValueOneLogs) {
    for (std::int16_t value : {0, 2, -1, 256}) {
        unit.SendModemLogsw = value;
        unit.ATCret("AT");
        unit.SendModem("AT", 2000, "OK");
        EXPECT_TRUE(writer.records.empty()) << value;
    }
    unit.SendModemLogsw = 1;
    unit.ATCret("AT");
    EXPECT_EQ(writer.records.size(), 1u);
}

TEST_F(ModemLog, FailingWriteFailsTheCollectingCall) {
    unit.LogswOn();
    writer.failWrite = true;
    EXPECT_THROW(unit.ATCret("AT"), ModemError);
    EXPECT_THROW(unit.ATCinterRet("AT"), ModemError);
    EXPECT_THROW(unit.SendModem("AT", 2000, "OK"), ModemError);
    EXPECT_THROW(unit.SendModemReBack("AT", 2000), ModemError);
    // The calls that never log are not affected.
    EXPECT_NO_THROW(unit.ATTrue("AT"));
    EXPECT_NO_THROW(unit.ComportBufClr());
}

TEST(ModemLogWithoutWriter, LoggingFailsButCollectingWithoutLogStillWorks) {
    FakeLine line;
    Mdcomm unit(line.clock, line.pump, line.port);
    line.port.addDevice(1);
    line.port.setPortOpen(true);
    line.port.arriveAt(0, QStringLiteral("OK\r\n"));
    EXPECT_EQ(unit.ATCret("AT"), "OK\r\n");
    EXPECT_THROW(unit.LogswOn(), ModemError);
    EXPECT_EQ(unit.SendModemLogsw, 1);
}

// --- Switching on -------------------------------------------------------------------------

TEST_F(ModemLog, SwitchingOnNamesTheFileAfterTheFolderAsIs) {
    writer.folder = QStringLiteral("logs");
    unit.LogswOn();
    EXPECT_EQ(unit.SendModemLogsw, 1);
    EXPECT_EQ(unit.Logfilename, "logsMDCOM.LOG");
    ASSERT_EQ(writer.headers.size(), 1u);
    EXPECT_EQ(writer.headers[0].first, "logsMDCOM.LOG");
}

// The header's bytes, in their order, for a local date and time.
LogHeader headerOf(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    const auto byte = [](int value) { return static_cast<std::uint8_t>(value); };
    return {byte(d.year() % 100), byte(d.month()),  byte(d.day()), byte(t.hour()),
            byte(t.minute()),     byte(t.second()), 255,           0};
}

TEST_F(ModemLog, HeaderCarriesTheCurrentDateAndTimeInItsOrder) {
    const QDateTime before = QDateTime::currentDateTime();
    unit.LogswOn();
    const QDateTime after = QDateTime::currentDateTime();
    ASSERT_EQ(writer.headers.size(), 1u);
    const LogHeader& h = writer.headers[0].second;
    // The switch-on may straddle a second; it read the clock once, so one of the two fits.
    EXPECT_TRUE(h == headerOf(before) || h == headerOf(after))
        << int(h[0]) << "-" << int(h[1]) << "-" << int(h[2]) << " " << int(h[3]) << ":" << int(h[4])
        << ":" << int(h[5]);
}

TEST(ModemLogHeader, FieldsStayInTheirPlaces) {
    // Every field differs from every other, so a swap of any two shows.
    EXPECT_EQ(Mdcomm::logHeaderFor(2026, 11, 27, 13, 45, 58),
              (LogHeader{26, 11, 27, 13, 45, 58, 255, 0}));
    EXPECT_EQ(Mdcomm::logHeaderFor(2031, 2, 3, 4, 5, 6), (LogHeader{31, 2, 3, 4, 5, 6, 255, 0}));
}

TEST_F(ModemLog, FailingFolderLeavesTheFileNameButSwitchesOn) {
    unit.Logfilename = QStringLiteral("before");
    writer.failCPath = true;
    EXPECT_THROW(unit.LogswOn(), ModemError);
    EXPECT_EQ(unit.Logfilename, "before");
    EXPECT_EQ(unit.SendModemLogsw, 1);
    EXPECT_TRUE(writer.headers.empty());
}

TEST(ModemLogHeader, YearIsItsLastTwoDigits) {
    EXPECT_EQ(Mdcomm::logHeaderFor(2009, 12, 31, 23, 59, 58),
              (LogHeader{9, 12, 31, 23, 59, 58, 255, 0}));
    EXPECT_EQ(Mdcomm::logHeaderFor(2000, 1, 1, 0, 0, 0), (LogHeader{0, 1, 1, 0, 0, 0, 255, 0}));
    EXPECT_EQ(Mdcomm::logHeaderFor(1999, 2, 3, 4, 5, 6)[0], 99);
    EXPECT_EQ(Mdcomm::logHeaderFor(2255, 2, 3, 4, 5, 6)[0], 55);
}

// --- Through the real file ----------------------------------------------------------------

TEST(ModemLogFile, RecordsReadBackExactlyAsReturned) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakeLine line;
    FileLogWriter writer(dir.path() + u'/');
    Mdcomm unit(line.clock, line.pump, line.port, &writer);
    line.port.addDevice(1);
    line.port.setPortOpen(true);

    unit.LogswOn();
    line.port.arriveAt(0,
                       QStringLiteral("\r\nME\xe9\x01\r\n") + QChar(0) + QStringLiteral("OK\r\n"));
    const QString first = unit.ATCret("ATI");
    const QString second = unit.SendModem("AT", 300, "OK");
    line.port.arriveAt(line.clock.ms(), QStringLiteral("\r\nA\r\n\r\nOK\r\n"));
    const QString third = unit.ATCinterRet("ATI3");
    unit.LogswOn();
    line.port.arriveAt(line.clock.ms(), QStringLiteral("BUSY\r\n"));
    const QString fourth = unit.ATCret("ATD");

    QFile file(unit.Logfilename);
    ASSERT_EQ(unit.Logfilename, dir.path() + QStringLiteral("/MDCOM.LOG"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<LogRecord> records = parseLog(file.readAll());
    using Kind = LogRecord::Kind;
    const std::vector<std::pair<Kind, QString>> expected = {
        {Kind::Header, {}},   {Kind::Reply, first}, {Kind::Reply, second},
        {Kind::Reply, third}, {Kind::Header, {}},   {Kind::Reply, fourth}};
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].kind, expected[i].first) << i;
        if (records[i].kind == Kind::Reply) {
            EXPECT_EQ(records[i].text, expected[i].second) << i;
        } else {
            EXPECT_EQ(records[i].header[6], 255) << i;
        }
    }
    EXPECT_EQ(second, "");
    EXPECT_EQ(third, "A");
    EXPECT_TRUE(first.contains(QChar(0)));
}

}  // namespace
