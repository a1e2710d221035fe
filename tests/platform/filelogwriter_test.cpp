#include "filelogwriter.h"
#include "logreader.h"
#include "modemerror.h"
#include "pty.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

namespace qelv {
namespace {

constexpr LogHeader kHeader{26, 12, 7, 4, 1, 49, 255, 0};
constexpr LogHeader kOtherHeader{27, 1, 2, 3, 4, 5, 255, 0};

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

int modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// Restores an environment variable however the test ends, so tests stay independent.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (qEnvironmentVariableIsSet(name)) m_saved = qgetenv(name);
    }
    ~EnvGuard() {
        if (m_saved)
            qputenv(m_name, *m_saved);
        else
            qunsetenv(m_name);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_saved;
};

class FileLogWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QString unusualTexts(int i) {
    const QChar withNul[] = {u'A', QChar(0), u'B'};
    switch (i) {
        case 0:
            return QStringLiteral("OK\r\n");
        case 1:
            return QString(withNul, 3);
        case 2:
            return QString();
        case 3:
            return QStringLiteral("Grüße € \U0001F600");
        case 4:
            return QString(QChar(0xD800)) + QStringLiteral("\n\r") + QChar(0xDFFF);
        default:
            return QStringLiteral("\r\nCONNECT9600\r\n");
    }
}

TEST_F(FileLogWriterTest, RecordsReadBackExactly) {
    constexpr int kCount = 6;
    {
        FileLogWriter writer(m_dir.path());
        writer.CipherFileHeadWrite(path("a.log"), kHeader);
        for (int i = 0; i < kCount; ++i) writer.CipherWrite(unusualTexts(i));
    }
    const std::vector<LogRecord> records = parseLog(readAll(path("a.log")));
    ASSERT_EQ(records.size(), std::size_t(kCount + 1));
    EXPECT_EQ(records[0].kind, LogRecord::Kind::Header);
    EXPECT_EQ(records[0].header, kHeader);
    for (int i = 0; i < kCount; ++i) {
        const LogRecord& record = records[std::size_t(i) + 1];
        EXPECT_EQ(record.kind, LogRecord::Kind::Reply);
        EXPECT_EQ(record.text, unusualTexts(i)) << "record " << i;
        EXPECT_EQ(record.text.size(), unusualTexts(i).size()) << "record " << i;
    }
}

TEST_F(FileLogWriterTest, BytesFollowTheDocumentedFormat) {
    {
        FileLogWriter writer(m_dir.path());
        writer.CipherFileHeadWrite(path("b.log"), kHeader);
        writer.CipherWrite(QStringLiteral("OK"));
    }
    const QByteArray expected = QByteArray::fromHex(
        "48 08000000 1a0c07040131ff00"
        "52 04000000 4f004b00");
    EXPECT_EQ(readAll(path("b.log")), expected);
}

TEST_F(FileLogWriterTest, RecordIsInTheFileWhenTheCallReturns) {
    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("c.log"), kHeader);
    writer.CipherWrite(QStringLiteral("RING"));
    const std::vector<LogRecord> records = parseLog(readAll(path("c.log")));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].text, QStringLiteral("RING"));
}

TEST_F(FileLogWriterTest, SecondHeaderAppendsANewSession) {
    {
        FileLogWriter writer(m_dir.path());
        writer.CipherFileHeadWrite(path("d.log"), kHeader);
        writer.CipherWrite(QStringLiteral("first"));
    }
    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("d.log"), kOtherHeader);
    writer.CipherWrite(QStringLiteral("second"));
    writer.CipherFileHeadWrite(path("d.log"), kHeader);

    const std::vector<LogRecord> records = parseLog(readAll(path("d.log")));
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[1].text, QStringLiteral("first"));
    EXPECT_EQ(records[2].header, kOtherHeader);
    EXPECT_EQ(records[3].text, QStringLiteral("second"));
    EXPECT_EQ(records[4].header, kHeader);
}

TEST_F(FileLogWriterTest, HeaderSwitchesToTheNewFile) {
    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("one.log"), kHeader);
    writer.CipherFileHeadWrite(path("two.log"), kOtherHeader);
    writer.CipherWrite(QStringLiteral("OK"));
    EXPECT_EQ(parseLog(readAll(path("one.log"))).size(), 1u);
    EXPECT_EQ(parseLog(readAll(path("two.log"))).size(), 2u);
}

// How many of this process's descriptors lead to `file`.
int descriptorsOn(const QString& file) {
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == file) ++count;
    return count;
}

TEST_F(FileLogWriterTest, ANewSessionInAnotherFileLetsGoOfTheOldOne) {
    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("one.log"), kHeader);
    EXPECT_EQ(descriptorsOn(path("one.log")), 1);
    writer.CipherFileHeadWrite(path("two.log"), kOtherHeader);
    EXPECT_EQ(descriptorsOn(path("one.log")), 0);
    EXPECT_EQ(descriptorsOn(path("two.log")), 1);
    writer.CipherFileHeadWrite(path("two.log"), kHeader);
    EXPECT_EQ(descriptorsOn(path("two.log")), 1);
}

TEST_F(FileLogWriterTest, NewFileIsReadableByItsOwnerOnly) {
    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("e.log"), kHeader);
    EXPECT_EQ(modeOf(path("e.log")), 0600);
}

// Whatever stands where the log goes, a session is appended only to a log of our own, and
// the file it goes to is nobody else's to read.
TEST_F(FileLogWriterTest, RefusesALinkADeviceAFifoAndAForeignFile) {
    QFile foreign(path("notes.txt"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("my notes\n");
    foreign.close();
    ASSERT_TRUE(QFile::link(path("notes.txt"), path("link.log")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path("null.log")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.log")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("absent-target"), path("dangling.log")));

    FileLogWriter writer(m_dir.path());
    for (const char* name : {"link.log", "null.log", "fifo.log", "notes.txt", "dangling.log"}) {
        try {
            writer.CipherFileHeadWrite(path(QString::fromLatin1(name)), kHeader);
            ADD_FAILURE() << name << " was written";
        } catch (const ModemError& error) {
            EXPECT_EQ(error.number(), errc::kLogWriteFailed) << name;
            EXPECT_TRUE(error.message().contains(QLatin1String(name))) << error.what();
        }
        EXPECT_THROW(writer.CipherWrite(QStringLiteral("OK")), ModemError) << name;
    }
    EXPECT_EQ(readAll(path("notes.txt")), "my notes\n");
    EXPECT_FALSE(QFileInfo::exists(path("absent-target")));
}

// A FIFO or a terminal named as the log gets not one byte: reached by its own name, no link
// in between, it is refused before anything is written (a sync that fails on it afterwards
// would come too late).
TEST_F(FileLogWriterTest, AFifoOrATerminalGetsNotAByte) {
    const QString fifo = path("fifo.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    test::Pty terminal;
    FileLogWriter writer(m_dir.path());
    for (const QString& name : {fifo, terminal.slavePath()}) {
        try {
            writer.CipherFileHeadWrite(name, kHeader);
            ADD_FAILURE() << name.toStdString() << " was written";
        } catch (const ModemError& error) {
            EXPECT_TRUE(error.message().contains(QLatin1String("not a regular file")))
                << error.what();
        }
    }
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);  // nothing: no writer (0) or none yet (-1)
    ::close(reader);
    EXPECT_EQ(terminal.received(std::chrono::milliseconds(20)), QByteArray());
}

// The file may grow while this lives by `bytes` at most, as on a disk that is full; the
// signal such a write raises is ignored meanwhile, as the program's own writes see it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limited{bytes, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
};

// A session whose header did not get written whole is no session: the replies that follow
// fail rather than land behind a broken header, also once the disk has room again.
TEST_F(FileLogWriterTest, AHeaderThatFailsHalfWrittenTakesTheSessionWithIt) {
    const QString log = path("MDCOM.LOG");
    FileLogWriter writer(m_dir.path());
    {
        const FileSizeLimit full(5);
        EXPECT_THROW(writer.CipherFileHeadWrite(log, kHeader), ModemError);
    }
    EXPECT_THROW(writer.CipherWrite(QStringLiteral("OK\r\n")), ModemError);
    EXPECT_EQ(readAll(log).size(), 5);
}

TEST_F(FileLogWriterTest, AnExistingLogIsAppendedToAndMadePrivate) {
    {
        FileLogWriter first(m_dir.path());
        first.CipherFileHeadWrite(path("m.log"), kHeader);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path("m.log")).constData(), 0644), 0);
    QFile empty(path("empty.log"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path("empty.log")).constData(), 0666), 0);

    FileLogWriter writer(m_dir.path());
    writer.CipherFileHeadWrite(path("m.log"), kOtherHeader);
    writer.CipherWrite(QStringLiteral("OK"));
    EXPECT_EQ(parseLog(readAll(path("m.log"))).size(), 3u);
    EXPECT_EQ(modeOf(path("m.log")), 0600);
    writer.CipherFileHeadWrite(path("empty.log"), kHeader);
    EXPECT_EQ(modeOf(path("empty.log")), 0600);
}

TEST_F(FileLogWriterTest, ExplicitFolderIsReturnedVerbatim) {
    EXPECT_EQ(FileLogWriter(QStringLiteral("/some/where")).cPath(), QStringLiteral("/some/where"));
    EXPECT_EQ(FileLogWriter(m_dir.path() + "/").cPath(), m_dir.path() + "/");
    EXPECT_FALSE(QDir(QStringLiteral("/some/where")).exists());
}

TEST_F(FileLogWriterTest, ReplyBeforeHeaderThrows) {
    FileLogWriter writer(m_dir.path());
    try {
        writer.CipherWrite(QStringLiteral("OK"));
        FAIL() << "no exception";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kLogWriteFailed);
    }
}

TEST_F(FileLogWriterTest, UnwritableFolderThrowsWithPathAndReason) {
    // A regular file as folder fails even for root, unlike a permission-based setup.
    QFile blocker(path("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileLogWriter writer(path("plain") + "/");
    const QString target = writer.cPath() + QStringLiteral("f.log");
    try {
        writer.CipherFileHeadWrite(target, kHeader);
        FAIL() << "no exception";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kLogWriteFailed);
        EXPECT_TRUE(error.message().contains(target)) << error.what();
        EXPECT_TRUE(error.message().contains(qt_error_string(ENOTDIR))) << error.what();
    }
    EXPECT_THROW(writer.CipherWrite(QStringLiteral("OK")), ModemError);
}

TEST_F(FileLogWriterTest, DefaultFolderFollowsXdgStateHome) {
    EnvGuard guard("XDG_STATE_HOME");
    const QString state = path("deep/state");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state));
    FileLogWriter writer;
    const QString folder = writer.cPath();
    EXPECT_EQ(folder, state + QStringLiteral("/qel-v/"));
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(path("deep")), 0700);
    writer.CipherFileHeadWrite(folder + QStringLiteral("g.log"), kHeader);
    EXPECT_TRUE(QFile::exists(state + QStringLiteral("/qel-v/g.log")));
}

TEST_F(FileLogWriterTest, DefaultFolderFallsBackToHome) {
    EnvGuard stateGuard("XDG_STATE_HOME");
    EnvGuard homeGuard("HOME");
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    for (const char* value : {"", "relative/state"}) {
        qputenv("XDG_STATE_HOME", value);
        EXPECT_EQ(FileLogWriter().cPath(), m_dir.path() + QStringLiteral("/.local/state/qel-v/"));
    }
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(FileLogWriter().cPath(), m_dir.path() + QStringLiteral("/.local/state/qel-v/"));
    EXPECT_TRUE(QDir(m_dir.path() + QStringLiteral("/.local/state/qel-v")).exists());
}

TEST_F(FileLogWriterTest, UncreatableDefaultFolderThrows) {
    EnvGuard guard("XDG_STATE_HOME");
    QFile blocker(path("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_STATE_HOME", QFile::encodeName(path("plain/state")));
    FileLogWriter writer;
    try {
        writer.cPath();
        FAIL() << "no exception";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kLogWriteFailed);
        EXPECT_TRUE(error.message().contains(path("plain"))) << error.what();
    }
}

// --- reading the log back -------------------------------------------------------------

const QByteArray kGoodHeader = QByteArray::fromHex("48 08000000 1a0c07040131ff00");

struct CorruptCase {
    const char* name;
    QByteArray bytes;
    qsizetype offset;
};

void PrintTo(const CorruptCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseLogRejects : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(ParseLogRejects, WithOffset) {
    try {
        parseLog(GetParam().bytes);
        FAIL() << "no exception";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kLogCorrupt);
        EXPECT_TRUE(error.message().contains(QStringLiteral("offset %1").arg(GetParam().offset)))
            << error.what();
    }
}

const CorruptCase kCorruptCases[] = {
    {"KindOnly", QByteArray("H"), 0},
    {"ShortLength", QByteArray::fromHex("48 080000"), 0},
    {"HeaderPayloadTruncated", QByteArray::fromHex("48 08000000 1a0c0704"), 0},
    {"HeaderTooShort", QByteArray::fromHex("48 07000000 1a0c07040131ff"), 0},
    {"HeaderTooLong", QByteArray::fromHex("48 09000000 1a0c07040131ff0000"), 0},
    {"HeaderHugeLength", QByteArray::fromHex("48 ffffffff 1a0c07040131ff00"), 0},
    {"UnknownKind", kGoodHeader + QByteArray::fromHex("58 00000000"), 13},
    {"ZeroKind", QByteArray::fromHex("00 00000000"), 0},
    {"ReplyBeforeHeader", QByteArray::fromHex("52 02000000 4f00"), 0},
    {"ReplyOddLength", kGoodHeader + QByteArray::fromHex("52 03000000 4f004b"), 13},
    {"ReplyPayloadTruncated", kGoodHeader + QByteArray::fromHex("52 04000000 4f00"), 13},
    {"ReplyHugeLength", kGoodHeader + QByteArray::fromHex("52 feffffff 4f00"), 13},
    {"TrailingByte", kGoodHeader + QByteArray::fromHex("52 00000000 52"), 18},
};

std::string corruptName(const ::testing::TestParamInfo<CorruptCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Table, ParseLogRejects, ::testing::ValuesIn(kCorruptCases), corruptName);

TEST(ParseLog, AcceptsEmptyAndMinimalLogs) {
    EXPECT_TRUE(parseLog(QByteArrayView()).empty());
    const std::vector<LogRecord> records =
        parseLog(kGoodHeader + QByteArray::fromHex("52 00000000"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].header, kHeader);
    EXPECT_EQ(records[1].kind, LogRecord::Kind::Reply);
    EXPECT_TRUE(records[1].text.isEmpty());
}

TEST(ParseLog, EveryPrefixAndByteFlipParsesOrThrowsModemError) {
    const QByteArray log = kGoodHeader + QByteArray::fromHex("52 04000000 4f004b00") +
                           QByteArray::fromHex("48 08000000 1b0102030405ff00");
    for (qsizetype cut = 0; cut < log.size(); ++cut) {
        try {
            parseLog(log.first(cut));
        } catch (const ModemError& error) {
            EXPECT_EQ(error.number(), errc::kLogCorrupt);
        }
    }
    for (qsizetype at = 0; at < log.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray flipped = log;
            flipped[at] = char(flipped[at] ^ (1 << bit));
            try {
                parseLog(flipped);
            } catch (const ModemError& error) {
                EXPECT_EQ(error.number(), errc::kLogCorrupt);
            }
        }
    }
}

QString showLineEnds(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return shown;
}

TEST(ParseLogIntact, KeepsEveryRecordBeforeTheDamage) {
    QByteArray log;
    log.append("H\x08\x00\x00\x00", 5).append(reinterpret_cast<const char*>(kHeader.data()), 8);
    log.append(
        "R\x02\x00\x00\x00"
        "A\x00",
        7);
    const qsizetype cut = log.size();
    log.append(
        "R\x04\x00\x00\x00"
        "B\x00",
        7);  // a reply cut off by a crash

    const ParsedLog parsed = parseLogIntact(log);
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[1].text, QStringLiteral("A"));
    ASSERT_TRUE(parsed.damage.has_value());
    EXPECT_EQ(parsed.damage->offset, cut);
    EXPECT_THROW(parseLog(log), ModemError);

    log.truncate(cut);
    EXPECT_FALSE(parseLogIntact(log).damage.has_value());
}

TEST(StartsAsLog, OnlyAWholeSessionHeaderCounts) {
    QByteArray header("H\x08\x00\x00\x00", 5);
    header.append(reinterpret_cast<const char*>(kHeader.data()), 8);
    EXPECT_TRUE(startsAsLog(header));
    EXPECT_TRUE(startsAsLog(header + "R"));
    EXPECT_FALSE(startsAsLog(header.left(12)));  // cut short
    EXPECT_FALSE(startsAsLog(QByteArray("R\x08\x00\x00\x00", 5) + header.mid(5)));
    EXPECT_FALSE(startsAsLog(QByteArray("H\x09\x00\x00\x00", 5) + header.mid(5)));
    EXPECT_FALSE(startsAsLog("#!/bin/sh\necho hello\n"));
    EXPECT_FALSE(startsAsLog(""));
}

TEST(FormatLog, RendersSessionsAndNumberedReplies) {
    std::vector<LogRecord> records(5);
    records[0].header = kHeader;
    records[1].kind = LogRecord::Kind::Reply;
    records[1].text = QStringLiteral("OK\r\n");
    records[2].kind = LogRecord::Kind::Reply;
    records[3].header = LogHeader{27, 1, 2, 3, 4, 5, 254, 0};
    records[4].kind = LogRecord::Kind::Reply;
    records[4].text = QStringLiteral("%1 RING");

    EXPECT_EQ(formatLog(records, showLineEnds),
              QStringLiteral("session 2026-12-07 04:01:49\n"
                             "reply 1: OK\\r\\n\n"
                             "reply 2: \n"
                             "session 2027-01-02 03:04:05 [raw 1B 01 02 03 04 05 FE 00]\n"
                             "reply 1: %1 RING\n"));
}

TEST(FormatLog, ShowsRawBytesOfAnImpossibleDate) {
    std::vector<LogRecord> records(1);
    records[0].header = LogHeader{5, 13, 0, 24, 60, 60, 255, 0};
    EXPECT_EQ(formatLog(records, showLineEnds),
              QStringLiteral("session 2005-13-00 24:60:60 [raw 05 0D 00 18 3C 3C FF 00]\n"));
    EXPECT_TRUE(formatLog({}, showLineEnds).isEmpty());
}

// Each field out of its range on its own makes the header impossible; the edges of the
// ranges do not.
TEST(FormatLog, RawBytesOnlyForAHeaderWithAFieldOutOfRange) {
    const std::pair<LogHeader, bool> rows[] = {
        {{0, 1, 1, 0, 0, 0, 255, 0}, false},      {{99, 12, 31, 23, 59, 59, 255, 0}, false},
        {{100, 6, 15, 12, 30, 30, 255, 0}, true}, {{26, 0, 15, 12, 30, 30, 255, 0}, true},
        {{26, 13, 15, 12, 30, 30, 255, 0}, true}, {{26, 6, 0, 12, 30, 30, 255, 0}, true},
        {{26, 6, 32, 12, 30, 30, 255, 0}, true},  {{26, 6, 15, 24, 30, 30, 255, 0}, true},
        {{26, 6, 15, 12, 60, 30, 255, 0}, true},  {{26, 6, 15, 12, 30, 60, 255, 0}, true},
        {{26, 6, 15, 12, 30, 30, 254, 0}, true},  {{26, 6, 15, 12, 30, 30, 255, 1}, true},
    };
    for (const auto& [header, impossible] : rows) {
        std::vector<LogRecord> records(1);
        records[0].header = header;
        const QString text = formatLog(records, showLineEnds);
        EXPECT_EQ(text.contains(QStringLiteral("[raw ")), impossible) << text.toStdString();
    }
}

}  // namespace
}  // namespace qelv
