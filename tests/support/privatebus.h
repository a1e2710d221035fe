#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <memory>

namespace qelv::test {

// A D-Bus daemon of the test's own (never the machine's system bus), and on it, when asked,
// a ModemManager played by python3-dbusmock from tests/support/mock_modemmanager.py.
// Both end with the object. Throws std::runtime_error when either does not start.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return m_address; }
    // Starts the mock with `parameters` ({"modems": [...]}) and waits until it answers.
    void startModemManager(const QJsonObject& parameters);
    // The mock keeps its name on the bus but answers nothing from now on.
    void silenceModemManager();

private:
    QProcess m_daemon;
    std::unique_ptr<QProcess> m_mock;
    QString m_address;
};

// A Quectel modem with its AT port named `atPort` and a QMI port, as the mock takes it.
QJsonObject quectelModem(const QString& atPort);

}  // namespace qelv::test
