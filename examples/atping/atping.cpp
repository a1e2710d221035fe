// atping: does the modem on PORT answer AT commands?
//
//   atping /dev/ttyUSB0
//   atping rfc2217://ts1:4001      (a modem behind a terminal server; socket://HOST:PORT too)
//
// Sends ATE0Q0V1 (echo off, result codes on, in words) and waits at most 2 s for OK. Prints
// the reply, escaped so that nothing the device sent can act on the terminal, and its numeric
// result code. Exit status: 0 when the modem answered OK, 1 when it answered anything else or
// nothing, 2 when the command line is wrong or the port cannot be opened (absent, refused, or
// in use by another program: the library looks before it opens, so a port someone else holds
// sees no DTR and no byte from us), 128 + n when signal n ended the wait.

#include <qelv/mdcomm.h>
#include <qelv/qteventpump.h>
#include <qelv/qtserialport.h>
#include <qelv/shutdown.h>
#include <qelv/signalwatch.h>
#include <qelv/textescape.h>
#include <qelv/tickclock.h>

#include <QCoreApplication>

#include <cstdio>

namespace {

int ping(const QString& device) {
    qelv::QtSerialPort port(qelv::PortMap::single(device));  // the device or URL is COM1
    port.setCommPort(1);
    port.setSettings(QStringLiteral("9600,N,8,1"));
    port.setPortOpen(true);

    qelv::SystemTickClock clock;
    qelv::QtEventPump pump;
    qelv::Mdcomm modem(clock, pump, port);
    const QString reply = modem.SendModem(QStringLiteral("ATE0Q0V1"), 2000, QStringLiteral("OK"));
    const int code = modem.ATResultinstr(reply);
    std::printf("reply: %s\nresult code: %d\n", qPrintable(qelv::escapeForTerminal(reply)), code);
    // The port's destructor closes it too; closing here lets the command reach the line
    // before the program ends.
    port.setPortOpen(false);
    return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: atping PORT\n");
        return 2;
    }
    try {
        qelv::watchShutdownSignals();
        return ping(QString::fromLocal8Bit(argv[1]));
    } catch (const qelv::ModemError& e) {
        std::fprintf(stderr, "atping: %s (error %d)\n", qPrintable(e.message()), e.number());
        return 2;
    } catch (const qelv::ShutdownRequested& end) {
        return end.exitCode();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "atping: %s\n", e.what());
        return 2;
    }
}
