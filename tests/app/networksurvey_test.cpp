// Surveys of the same simulated devices over local pseudo-terminals, over rfc2217:// and over
// socket:// through Debian's ser2net, run as the program side by side: the cells must be the
// same.

#include "modemsim/simulatorprocess.h"
#include "ser2net/ser2netprocess.h"
#include "tcppeer.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

using qelv::Ser2netProcess;
using qelv::SimulatorProcess;

// Answering, refusing, silent, lower case, and one that sends every kind of control byte,
// 0x00 and 0xFF among them.
const std::vector<std::string> kBench = {"hayes@1", "error@2", "silent@3", "lowerok@4", "noisy@5"};
constexpr int kDevices = 5;
constexpr int kRefused = 6;  // a URL where nothing listens
constexpr int kAgain = 7;    // the first device's URL again: tried once the first is closed

struct Bench {
    QTemporaryDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    std::vector<std::unique_ptr<Ser2netProcess>> servers;
    QProcess qelv;

    // `scheme` empty: the simulator's ports directory; else each device through ser2net.
    explicit Bench(const char* scheme) {
        sim = std::make_unique<SimulatorProcess>(QELV_MODEMSIM_PATH, dir.path().toStdString(),
                                                 kBench, false);
        QStringList args{QStringLiteral("--json"), QStringLiteral("--parallel")};
        if (*scheme == '\0') {
            args << QStringLiteral("--ports") << dir.path();
        } else {
            const bool rfc2217 = QLatin1String(scheme) == QLatin1String("rfc2217");
            for (int n = 1; n <= kDevices; ++n) {
                servers.push_back(std::make_unique<Ser2netProcess>(
                    Ser2netProcess::Config{.device = sim->devicePath(n), .rfc2217 = rfc2217}));
                args << QStringLiteral("--port")
                     << QStringLiteral("COM%1=%2")
                            .arg(n)
                            .arg(QString::fromStdString(servers.back()->url()));
            }
            args << QStringLiteral("--port")
                 << QStringLiteral("COM%1=%2")
                        .arg(kAgain)
                        .arg(QString::fromStdString(servers.front()->url()));
            args << QStringLiteral("--port")
                 << QStringLiteral("COM%1=%2://127.0.0.1:%3")
                        .arg(kRefused)
                        .arg(QLatin1String(scheme))
                        .arg(qelv::test::closedPort());
        }
        qelv.start(QStringLiteral(QELV_BINARY_PATH), args);
    }
    ~Bench() {
        qelv.waitForFinished(30'000);
        servers.clear();  // before the devices they serve
    }
    QJsonArray rows() {
        EXPECT_TRUE(qelv.waitForFinished(60'000));
        EXPECT_EQ(qelv.exitCode(), 0) << qelv.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(qelv.readAllStandardOutput()).object()["rows"].toArray();
    }
};

// A cell as far as the way there does not change it: what follows a reply's first "OK" CR LF
// depends on how the device's bytes fell into reads.
QJsonObject comparable(QJsonObject cell) {
    for (const char* key : {"text", "reply"}) {
        const QString text = cell[QLatin1String(key)].toString();
        const qsizetype stop = text.indexOf(QStringLiteral("OK\r\n"));
        if (stop >= 0) cell[QLatin1String(key)] = text.left(stop + 4);
    }
    return cell;
}

TEST(NetworkSurvey, Rfc2217AndSocketMarkTheCellsTheLocalPortsMark) {
    Bench local(""), rfc2217("rfc2217"), socket("socket");
    const QJsonArray expected = local.rows();
    ASSERT_EQ(expected.size(), 16);
    for (Bench* network : {&rfc2217, &socket}) {
        const QJsonArray rows = network->rows();
        ASSERT_EQ(rows.size(), 16);
        for (int n = 1; n <= kDevices; ++n) {
            const QJsonObject want = expected[n - 1].toObject();
            const QJsonObject got = rows[n - 1].toObject();
            SCOPED_TRACE(got["device"].toString().toStdString());
            EXPECT_TRUE(got["device"].toString().endsWith(
                QStringLiteral(":%1").arg(network->servers[n - 1]->port())));
            for (const char* column : {"open", "at", "info"})
                EXPECT_EQ(comparable(got[QLatin1String(column)].toObject()),
                          comparable(want[QLatin1String(column)].toObject()))
                    << column;
        }
        // The modem has its echo off by then, so only the marks must be the same.
        for (const char* column : {"open", "at", "info"})
            EXPECT_EQ(rows[kAgain - 1].toObject()[QLatin1String(column)].toObject()["mark"],
                      expected[0].toObject()[QLatin1String(column)].toObject()["mark"])
                << "COM" << kAgain << " " << column;
        const QJsonObject refused = rows[kRefused - 1].toObject()["open"].toObject();
        EXPECT_EQ(refused["mark"].toString(), "fail");
        EXPECT_TRUE(refused["error"].toString().contains(QStringLiteral("接続を拒否されました")))
            << refused["error"].toString().toStdString();
    }
}

}  // namespace
