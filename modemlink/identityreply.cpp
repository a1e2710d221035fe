// The reading of identification replies: which line of a reply names which fact.

#include "identity.h"

#include "replylines.h"
#include "resultwords.h"
#include "textescape.h"

#include <array>
#include <optional>

namespace qelv {

namespace {

enum class Fact { Manufacturer, Model, Revision, Serial };

struct Label {
    QStringView name;
    Fact fact;
};

// "Label: value" lines, as cellular modules print them in ATI and some +CGMR answers
// (SIMCom's "Revision:1418B04SIM800C24", Espressif's "AT version:2.2.0.0(...)").
constexpr std::array<Label, 9> kLabels{{{u"Manufacturer", Fact::Manufacturer},
                                        {u"Model", Fact::Model},
                                        {u"Revision", Fact::Revision},
                                        {u"Firmware Revision", Fact::Revision},
                                        {u"AT version", Fact::Revision},
                                        {u"IMEI", Fact::Serial},
                                        {u"Serial Number", Fact::Serial},
                                        {u"SN", Fact::Serial},
                                        {u"S/N", Fact::Serial}}};

struct Answer {
    QStringView command;  // without its "AT"
    Fact fact;
    bool onlyLine;  // the first line counts only when it is the reply's one text line
};

// What the first text line of each command's reply names. A classic modem's ATI (I0) is its
// product code, which is as near to a model as it says; a cellular module's ATI is several
// lines, labelled or not, and its unlabelled first line may be the maker or the model.
constexpr std::array<Answer, 11> kAnswers{{{u"+CGMI", Fact::Manufacturer, false},
                                           {u"+GMI", Fact::Manufacturer, false},
                                           {u"+CGMM", Fact::Model, false},
                                           {u"+GMM", Fact::Model, false},
                                           {u"+CGMR", Fact::Revision, false},
                                           {u"+GMR", Fact::Revision, false},
                                           {u"+CGSN", Fact::Serial, false},
                                           {u"+GSN", Fact::Serial, false},
                                           {u"I3", Fact::Revision, false},
                                           {u"I", Fact::Model, true},
                                           {u"I0", Fact::Model, true}}};

IdentityField& fieldOf(DeviceIdentity& identity, Fact fact) {
    switch (fact) {
        case Fact::Manufacturer:
            return identity.manufacturer;
        case Fact::Model:
            return identity.model;
        case Fact::Revision:
            return identity.revision;
        case Fact::Serial:
            break;
    }
    return identity.serial;
}

bool hasLetterOrDigit(QStringView text) {
    for (const QChar c : text)
        if (c.isLetterOrNumber()) return true;
    return false;
}

// A line's text as a field's value: quotes around it dropped; nothing for a text too long to
// be one, with a control character in it, or without a letter or digit (line noise).
std::optional<QString> valueOf(QStringView text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.sliced(1, text.size() - 2).trimmed();
    if (text.isEmpty() || text.size() > DeviceIdentity::kFieldMax) return std::nullopt;
    for (const QChar c : text)
        if (isControlCharacter(c.unicode())) return std::nullopt;
    if (!hasLetterOrDigit(text)) return std::nullopt;
    return text.toString();
}

void name(DeviceIdentity& identity, Fact fact, QStringView text) {
    IdentityField& field = fieldOf(identity, fact);
    if (field.known()) return;
    if (const auto value = valueOf(text)) field = {*value, IdentitySource::At};
}

struct Labelled {
    QStringView value;
    Fact fact;
};

std::optional<Labelled> labelOf(QStringView line) {
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0) return std::nullopt;
    const QStringView label = line.first(colon).trimmed();
    for (const Label& known : kLabels)
        if (label.compare(known.name, Qt::CaseInsensitive) == 0)
            return Labelled{line.sliced(colon + 1), known.fact};
    return std::nullopt;
}

QStringView commandName(QStringView command) {
    command = command.trimmed();
    if (command.startsWith(u"AT", Qt::CaseInsensitive)) command = command.sliced(2);
    return command.trimmed();
}

// "+CGMI: Quectel" answers +CGMI with "Quectel".
QStringView withoutOwnPrefix(QStringView line, QStringView name) {
    if (line.size() > name.size() && line.startsWith(name, Qt::CaseInsensitive) &&
        line.at(name.size()) == u':')
        return line.sliced(name.size() + 1);
    return line;
}

}  // namespace

ReplyLines splitReply(QStringView command, QStringView reply) {
    ReplyLines lines;
    const QStringView echo = command.trimmed();
    qsizetype start = 0;
    // Only whole lines count: a result code without its line end has not been given yet.
    for (qsizetype i = 0; i < reply.size(); ++i) {
        if (reply.at(i) != u'\r' && reply.at(i) != u'\n') continue;
        const QStringView line = reply.sliced(start, i - start).trimmed();
        start = i + 1;
        if (line.isEmpty() || line.compare(echo, Qt::CaseInsensitive) == 0) continue;
        if (line == resultwords::kCommandResults[0]) {
            lines.end = ReplyLines::End::Ok;
            break;
        }
        bool refused = line == resultwords::kCommandResults[1];
        for (QStringView reason : resultwords::kReasonedErrors)
            refused = refused || line.startsWith(reason);
        if (refused) {
            lines.end = ReplyLines::End::Error;
            break;
        }
        lines.text << line;
    }
    return lines;
}

DeviceIdentity parseIdentityReply(QStringView command, QStringView reply) {
    const ReplyLines lines = splitReply(command, reply);
    DeviceIdentity identity;
    if (lines.end != ReplyLines::End::Ok) return identity;
    for (QStringView line : lines.text)
        if (const auto labelled = labelOf(line)) name(identity, labelled->fact, labelled->value);
    const QStringView asked = commandName(command);
    for (const Answer& answer : kAnswers) {
        if (asked.compare(answer.command, Qt::CaseInsensitive) != 0) continue;
        if (lines.text.isEmpty() || (answer.onlyLine && lines.text.size() != 1)) break;
        const QStringView first = lines.text.first();
        if (!labelOf(first)) name(identity, answer.fact, withoutOwnPrefix(first, answer.command));
        break;
    }
    return identity;
}

}  // namespace qelv
