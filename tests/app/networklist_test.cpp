// Network ports on the program's command line: --list names them without connecting, and a
// malformed one is a usage error or, in a ports directory, a warning.

#include "pty.h"
#include "tcppeer.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using namespace qelv::test;

struct Ran {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Ran runQelv(const QStringList& args) {
    QProcess qelv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QELV_PORTS"));
    qelv.setProcessEnvironment(env);
    qelv.start(QStringLiteral(QELV_BINARY_PATH), args);
    EXPECT_TRUE(qelv.waitForFinished(20'000));
    return {qelv.exitCode(), qelv.readAllStandardOutput(),
            QString::fromUtf8(qelv.readAllStandardError())};
}

TEST(NetworkList, ListsNetworkPortsAsSuchAndConnectsToNone) {
    SilentListener server;
    PortsDir dir;
    dir.link(5, server.url("socket"));
    dir.link(6, QStringLiteral("rfc2217://127.0.0.1"));  // no port: a warning, no device
    const Ran r = runQelv(
        {"--list", "--json", "--ports", dir.path(), "--port", "COM2=" + server.url("rfc2217")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(server.connectionWaiting());
    EXPECT_TRUE(r.err.contains("com6 → rfc2217://127.0.0.1 (no port")) << r.err.toStdString();
    const QJsonArray ports = QJsonDocument::fromJson(r.out).object()["ports"].toArray();
    ASSERT_EQ(ports.size(), 2);
    const QJsonObject com2 = ports[0].toObject();
    EXPECT_EQ(com2["port"], "COM2");
    EXPECT_EQ(com2["device"], server.url("rfc2217"));
    EXPECT_EQ(com2["node"], server.url("rfc2217"));
    EXPECT_EQ(com2["kind"], "network");
    EXPECT_EQ(com2["driver"], "rfc2217");
    EXPECT_TRUE(com2["in_use"].isNull());
    EXPECT_EQ(ports[1].toObject()["device"], server.url("socket"));
    EXPECT_EQ(ports[1].toObject()["driver"], "socket");

    const Ran text =
        runQelv({"--list", "--ports", dir.path(), "--port", "COM2=" + server.url("rfc2217")});
    EXPECT_TRUE(QString::fromUtf8(text.out).startsWith(
        QStringLiteral("COM2  %1  種類: ネットワーク; ドライバ: rfc2217\n")
            .arg(server.url("rfc2217"))))
        << text.out.toStdString();
    EXPECT_FALSE(server.connectionWaiting());
}

TEST(NetworkList, AMalformedUrlOnTheCommandLineIsAUsageErrorNamingIt) {
    for (const char* target : {"rfc2217://ts1", "rfc2217://ts1:0", "socket://ts1:70000",
                               "telnet://ts1:23", "socket://:23"}) {
        const Ran r = runQelv({"--text", "--port", QStringLiteral("COM4=") + target});
        EXPECT_EQ(r.exitCode, 2) << target;
        EXPECT_TRUE(r.err.contains(QLatin1String(target))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

}  // namespace
