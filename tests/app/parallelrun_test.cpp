// The parallel survey against the one-port-at-a-time survey, each run as the program on a
// bench of its own of varied simulated devices: the grids must be the same.

#include "modemsim/simulatorprocess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace {

using qelv::SimulatorProcess;

// Answering, refusing, silent, late, lower case, no line end, vanishing after its first
// exchange, flooding, and one held open by another program (this test).
const std::vector<std::string> kBench = {"hayes@1", "error@2",  "silent@3", "late@4", "lowerok@5",
                                         "nolf@6",  "vanish@7", "flood@8",  "hayes@9"};
constexpr int kHeld = 9;
constexpr int kFlood = 8;
constexpr int kSecondName = 12;

struct SurveyRun {
    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    int held = -1;
    QProcess qelv;

    explicit SurveyRun(bool parallel) {
        sim = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                                 kBench, false);
        held = ::open(sim->devicePath(kHeld).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        // The first modem again under another number: tried once the first number is closed.
        QFile::link(QString::fromStdString(sim->devicePath(1)),
                    dir.filePath(QStringLiteral("com%1").arg(kSecondName)));
        QStringList args{QStringLiteral("--json"), QStringLiteral("--ports"), dir.path()};
        if (parallel) args << QStringLiteral("--parallel");
        qelv.start(QStringLiteral(QELV_BINARY_PATH), args);
    }
    ~SurveyRun() {
        if (held >= 0) ::close(held);
    }
    QJsonArray rows() {
        EXPECT_TRUE(qelv.waitForFinished(120'000));
        EXPECT_EQ(qelv.exitCode(), 0) << qelv.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(qelv.readAllStandardOutput()).object()["rows"].toArray();
    }
};

// What the stop rule makes of a reply: everything up to its first "OK" CR LF. What follows
// depends on how the device's bytes happened to fall into reads, in either survey.
QJsonValue upToStop(const QJsonValue& text) {
    if (!text.isString()) return text;
    const QString s = text.toString();
    const qsizetype stop = s.indexOf(QStringLiteral("OK\r\n"));
    return stop < 0 ? text : QJsonValue(s.left(stop + 4));
}

// A cell as far as it does not depend on the bytes a flooding device happened to send or
// on how a reply fell into reads.
QJsonObject comparable(QJsonObject cell, bool flood) {
    if (flood) {
        cell.remove("text");
        cell.remove("reply");
    }
    for (const char* key : {"text", "reply"})
        if (cell.contains(QLatin1String(key)))
            cell[QLatin1String(key)] = upToStop(cell[QLatin1String(key)]);
    return cell;
}

TEST(ParallelRun, TheGridIsTheSameAsOnePortAtATime) {
    SurveyRun one(false);
    SurveyRun all(true);
    ASSERT_GE(one.held, 0);
    const QJsonArray expected = one.rows();
    const QJsonArray got = all.rows();
    ASSERT_EQ(expected.size(), 16);
    ASSERT_EQ(got.size(), 16);
    for (int i = 0; i < 16; ++i) {
        const bool flood = i + 1 == kFlood;
        for (const char* col : {"open", "at", "info"}) {
            const QJsonObject want = comparable(expected[i].toObject()[col].toObject(), flood);
            const QJsonObject have = comparable(got[i].toObject()[col].toObject(), flood);
            QJsonObject wantNoPath = want, haveNoPath = have;
            // The held device's reason names its pseudo-terminal, which differs per bench.
            if (i + 1 == kHeld) {
                wantNoPath.remove("error");
                haveNoPath.remove("error");
            }
            EXPECT_EQ(haveNoPath, wantNoPath) << "COM" << i + 1 << " " << col << "\n"
                                              << QJsonDocument(have).toJson().toStdString() << "\n"
                                              << QJsonDocument(want).toJson().toStdString();
        }
    }
    EXPECT_EQ(got[kHeld - 1].toObject()["open"].toObject()["mark"].toString(), "fail");
    EXPECT_EQ(got[0].toObject()["info"].toObject()["mark"].toString(), "pass");
    EXPECT_EQ(got[kSecondName - 1].toObject()["info"].toObject()["mark"].toString(), "pass");
}

}  // namespace
