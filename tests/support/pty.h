#pragma once

#include "modemsim/pty.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <chrono>

namespace qelv::test {

// A pseudo-terminal standing in for a serial device. The test plays the device on the
// master side; the slave side is what the program opens. A slave descriptor stays open
// here so the master never sees a hang-up while the program has the port closed.
// Throws std::system_error when no pseudo-terminal can be made.
class Pty {
public:
    Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& slavePath() const { return m_slavePath; }
    // Everything the program has sent so far, waiting at most `timeout` for the first byte.
    QByteArray received(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
    void send(const QByteArray& bytes);
    // The device disappears: both of our sides close.
    void vanish();
    int slaveFd() const { return m_pty.slave.get(); }

private:
    modemsim::RawPty m_pty;
    QString m_slavePath;
};

// A ports directory whose comN entries the test links to devices or to anything else.
class PortsDir {
public:
    PortsDir();
    QString path() const { return m_dir.path(); }
    void link(int n, const QString& target);
    void unlink(int n);

private:
    QTemporaryDir m_dir;
};

}  // namespace qelv::test
