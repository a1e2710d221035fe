// atping: does the modem on PORT answer AT commands, and what is it?
//
//   atping [--identify] /dev/ttyUSB0
//   atping rfc2217://ts1:4001      (a modem behind a terminal server; socket://HOST:PORT too)
//
// Sends ATE0Q0V1 (echo off, result codes on, in words) and waits at most 2 s for OK. Prints
// the reply, escaped so that nothing the device sent can act on the terminal, and its numeric
// result code. With --identify, then asks the modem who it is, one command a line, and prints
// its manufacturer, model, revision, serial number and speed (each "-" when it did not say).
// Exit status: 0 when the modem answered OK, 1 when it answered anything else or nothing, 2
// when the command line is wrong or the port cannot be opened (absent, refused, or in use by
// another program: the library looks before it opens, so a port someone else holds sees no
// DTR and no byte from us), 128 + n when signal n ended the wait.

#include <qelv/identity.h>
#include <qelv/mdcomm.h>
#include <qelv/qteventpump.h>
#include <qelv/qtserialport.h>
#include <qelv/shutdown.h>
#include <qelv/signalwatch.h>
#include <qelv/textescape.h>
#include <qelv/tickclock.h>

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

QString shown(const qelv::IdentityField& field) {
    return field.known() ? qelv::escapeForTerminal(field.value) : QStringLiteral("-");
}

void printIdentity(const qelv::DeviceIdentity& identity) {
    std::printf("manufacturer: %s\nmodel: %s\nrevision: %s\nserial: %s\nspeed: %d\n",
                qPrintable(shown(identity.manufacturer)), qPrintable(shown(identity.model)),
                qPrintable(shown(identity.revision)), qPrintable(shown(identity.serial)),
                identity.speed);
}

int ping(const QString& device, bool identify) {
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
    if (identify) printIdentity(qelv::identifyDevice(modem));
    // The port's destructor closes it too; closing here lets the command reach the line
    // before the program ends.
    port.setPortOpen(false);
    return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool identify = args.removeAll(QStringLiteral("--identify")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: atping [--identify] PORT\n");
        return 2;
    }
    try {
        qelv::watchShutdownSignals();
        return ping(args.first(), identify);
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
