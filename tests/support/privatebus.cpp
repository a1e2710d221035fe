#include "privatebus.h"

#include "managedmodems.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <signal.h>

#include <stdexcept>

namespace qelv::test {

namespace {

constexpr int kStartMs = 10000;

void end(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process.processId()), SIGCONT);
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

}  // namespace

PrivateBus::PrivateBus() {
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(kStartMs)) throw std::runtime_error("dbus-daemon does not start");
    QDeadlineTimer deadline(kStartMs);
    while (!m_daemon.canReadLine() && !deadline.hasExpired()) m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty()) throw std::runtime_error("dbus-daemon gives no address");
}

PrivateBus::~PrivateBus() {
    if (m_mock) end(*m_mock);
    end(m_daemon);
}

void PrivateBus::startModemManager(const QJsonObject& parameters) {
    m_mock = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    m_mock->setProcessEnvironment(environment);
    m_mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's python3-dbusmock lives with the system's Python, whatever python3 comes first.
    m_mock->start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
         QStringLiteral(QELV_TEST_SUPPORT_DIR "/mock_modemmanager.py"), QStringLiteral("-p"),
         QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact))});
    if (!m_mock->waitForStarted(kStartMs)) throw std::runtime_error("dbusmock does not start");
    const auto expected = parameters.value(QStringLiteral("modems")).toArray().size();
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        if (static_cast<qsizetype>(readManagedModems({m_address}).size()) == expected &&
            expected > 0)
            return;
        if (m_mock->state() == QProcess::NotRunning) break;
        QThread::msleep(50);
    }
    throw std::runtime_error("the mocked ModemManager does not answer");
}

void PrivateBus::silenceModemManager() {
    if (m_mock) ::kill(static_cast<pid_t>(m_mock->processId()), SIGSTOP);
}

QJsonObject quectelModem(const QString& atPort) {
    return QJsonObject{
        {QStringLiteral("manufacturer"), QStringLiteral("Quectel")},
        {QStringLiteral("model"), QStringLiteral("EC25")},
        {QStringLiteral("revision"), QStringLiteral("EC25EFAR06A06M4G")},
        {QStringLiteral("equipment_identifier"), QStringLiteral("866758040123456")},
        {QStringLiteral("plugin"), QStringLiteral("quectel")},
        {QStringLiteral("state"), 8},
        {QStringLiteral("ports"),
         QJsonArray{QJsonArray{QStringLiteral("cdc-wdm0"), 6}, QJsonArray{atPort, 3},
                    QJsonArray{QStringLiteral("ttyUSB1"), 4}}},
    };
}

}  // namespace qelv::test
