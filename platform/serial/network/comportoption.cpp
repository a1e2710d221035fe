#include "comportoption.h"

#include <QtEndian>

namespace qelv::comport {

namespace {

unsigned char parityValue(Parity parity) {
    switch (parity) {
        case Parity::None:
            return 1;
        case Parity::Odd:
            return 2;
        case Parity::Even:
            return 3;
        case Parity::Mark:
            return 4;
        case Parity::Space:
            return 5;
    }
    return 1;
}

unsigned char stopSizeValue(int tenths) {
    if (tenths == 15) return 3;
    return tenths == 20 ? 2 : 1;
}

unsigned char flowValue(int handshaking) {
    if (handshaking == 1) return kXonXoff;
    return handshaking >= 2 ? kHardwareFlow : kNoFlowControl;
}

QByteArray byte(unsigned char value) {
    return QByteArray(1, static_cast<char>(value));
}

}  // namespace

QByteArray command(Command which, const QByteArray& value) {
    return byte(which) + value;
}

std::vector<QByteArray> lineCommands(const LineSettings& line, int handshaking) {
    QByteArray baud(4, '\0');
    qToBigEndian(static_cast<quint32>(line.baudRate), baud.data());
    return {command(kSetBaudRate, baud),
            command(kSetDataSize, byte(static_cast<unsigned char>(line.dataBits))),
            command(kSetParity, byte(parityValue(line.parity))),
            command(kSetStopSize, byte(stopSizeValue(line.stopBitsTenths))),
            command(kSetControl, byte(flowValue(handshaking)))};
}

QByteArray dtrCommand(bool on) {
    return command(kSetControl, byte(on ? kDtrOn : kDtrOff));
}

QByteArray rtsCommand(bool on) {
    return command(kSetControl, byte(on ? kRtsOn : kRtsOff));
}

std::optional<Answer> parseAnswer(const QByteArray& payload) {
    if (payload.isEmpty()) return std::nullopt;
    const auto code = static_cast<unsigned char>(payload.at(0));
    for (Command which :
         {kSetBaudRate, kSetDataSize, kSetParity, kSetStopSize, kSetControl, kPurgeData})
        if (code == which + kServerOffset) return Answer{which, payload.mid(1)};
    return std::nullopt;
}

}  // namespace qelv::comport
