// The identification on an Mdcomm: the questions of IdentityQuestions, one exchange each.

#include "identity.h"

#include "identityquestions.h"
#include "linesettings.h"
#include "mdcomm.h"

namespace qelv {

namespace {

void setSpeed(SerialPort& port, LineSettings line, int speed) {
    line.baudRate = speed;
    port.setSettings(formatLineSettings(line));
}

}  // namespace

DeviceIdentity identifyDevice(Mdcomm& modem, bool searchSpeed) {
    SerialPort& port = modem.MSComm1;
    const LineSettings before = parseLineSettings(port.settings()).value_or(LineSettings{});
    IdentityQuestions questions(before.baudRate, searchSpeed);
    try {
        while (const auto question = questions.next()) {
            if (question->lineSpeed != 0) setSpeed(port, before, question->lineSpeed);
            // A device that answered the last question twice, or too late, must not answer
            // this one with its leftovers.
            port.Input();
            questions.answer(modem.SendModemFinal(question->command, question->waitMs));
        }
    } catch (const ModemError& error) {
        if (error.number() != errc::kPortIoFailed) throw;
        questions.portFailed();
    }
    if (searchSpeed && questions.identity().speed == 0 && port.portOpen())
        setSpeed(port, before, before.baudRate);
    return questions.identity();
}

}  // namespace qelv
