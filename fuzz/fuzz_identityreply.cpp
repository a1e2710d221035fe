// parseIdentityReply and the plan of questions on anything a device may send: every field it
// names is a short, clean text from the device's own answer (no control character, at most
// kFieldMax characters, found in the reply), nothing is named without an "OK" line, the same
// reply always names the same facts, and a plan fed such replies ends within its bounds.

#include "fuzzcheck.h"
#include "identity.h"
#include "identityquestions.h"
#include "textescape.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::array<const char*, 12> kCommands{"AT+CGMI", "AT+GMI", "AT+CGMM", "AT+GMM",
                                                "AT+CGMR", "AT+GMR", "AT+CGSN", "AT+GSN",
                                                "ATI",     "ATI3",   "ATI0",    "AT"};

void checkField(const qelv::IdentityField& field, const QString& reply, const char* name) {
    if (!field.known()) {
        if (field.source != qelv::IdentitySource::None)
            qelv::fuzz::fail(QStringLiteral("%1: a source without a value").arg(name));
        return;
    }
    if (field.source != qelv::IdentitySource::At)
        qelv::fuzz::fail(QStringLiteral("%1: not from AT").arg(name));
    if (field.value.size() > qelv::DeviceIdentity::kFieldMax)
        qelv::fuzz::fail(
            QStringLiteral("%1 too long: %2").arg(name, qelv::fuzz::escaped(field.value)));
    for (const QChar c : field.value)
        if (qelv::isControlCharacter(c.unicode()))
            qelv::fuzz::fail(QStringLiteral("%1 holds a control: %2")
                                 .arg(name, qelv::fuzz::escaped(field.value)));
    if (field.value != field.value.trimmed() || !reply.contains(field.value))
        qelv::fuzz::fail(QStringLiteral("%1 not from the reply: %2")
                             .arg(name, qelv::fuzz::escaped(field.value)));
}

void checkPlan(const QString& reply, bool search) {
    qelv::IdentityQuestions plan(9600, search);
    int asked = 0;
    while (plan.next()) {
        plan.answer(reply);
        if (++asked > qelv::IdentityQuestions::kMostCommands +
                          static_cast<int>(qelv::IdentityQuestions::kSearchSpeeds.size()))
            qelv::fuzz::fail(QStringLiteral("the plan does not end: ") +
                             qelv::fuzz::escaped(reply));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const QString command = QLatin1String(kCommands[data[0] % kCommands.size()]);
    // The port hands over bytes as Latin-1 characters.
    const QString reply = QString::fromLatin1(reinterpret_cast<const char*>(data + 1),
                                              static_cast<qsizetype>(size - 1));
    const qelv::DeviceIdentity got = qelv::parseIdentityReply(command, reply);
    checkField(got.manufacturer, reply, "manufacturer");
    checkField(got.model, reply, "model");
    checkField(got.revision, reply, "revision");
    checkField(got.serial, reply, "serial");
    if (!got.isEmpty() && !reply.contains(QLatin1String("OK")))
        qelv::fuzz::fail(QStringLiteral("named without OK: ") + qelv::fuzz::escaped(reply));
    if (!(qelv::parseIdentityReply(command, reply) == got))
        qelv::fuzz::fail(QStringLiteral("not the same twice: ") + qelv::fuzz::escaped(reply));
    checkPlan(reply, (data[0] & 0x80) != 0);
    return 0;
}
