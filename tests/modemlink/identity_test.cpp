// The identification: the reading of replies from a table, the plan of questions against
// devices of each kind, and the whole procedure on a fake line with devices that misbehave.

#include "identity.h"
#include "identityquestions.h"
#include "openline.h"
#include "textescape.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <map>

using namespace qelv;
using namespace qelv::test;

namespace {

struct Fields {
    const char* manufacturer = "";
    const char* model = "";
    const char* revision = "";
    const char* serial = "";
};

void expectFields(const DeviceIdentity& got, const Fields& want, const QString& context) {
    EXPECT_EQ(got.manufacturer.value, QString::fromLatin1(want.manufacturer))
        << qPrintable(context);
    EXPECT_EQ(got.model.value, QString::fromLatin1(want.model)) << qPrintable(context);
    EXPECT_EQ(got.revision.value, QString::fromLatin1(want.revision)) << qPrintable(context);
    EXPECT_EQ(got.serial.value, QString::fromLatin1(want.serial)) << qPrintable(context);
    for (const IdentityField* field : {&got.manufacturer, &got.model, &got.revision, &got.serial})
        EXPECT_EQ(field->source, field->known() ? IdentitySource::At : IdentitySource::None)
            << qPrintable(context);
}

TEST(IdentityReply, NamesTheFactsOfEachKindOfAnswer) {
    struct Row {
        const char* command;
        const char* reply;
        Fields fields;
    };
    const Row rows[] = {
        {"AT+CGMI", "\r\nQuectel\r\n\r\nOK\r\n", {"Quectel"}},
        {"AT+CGMI", "AT+CGMI\r\r\nQuectel\r\n\r\nOK\r\n", {"Quectel"}},  // echo
        {"AT+CGMI", "\r\n+CGMI: \"SIMCOM_Ltd\"\r\n\r\nOK\r\n", {"SIMCOM_Ltd"}},
        {"AT+CGMR", "\r\n+CGMR: LE20B04SIM7600M22\r\n\r\nOK\r\n", {"", "", "LE20B04SIM7600M22"}},
        {"AT+CGMR", "\r\nRevision:1418B04SIM800C24\r\n\r\nOK\r\n", {"", "", "1418B04SIM800C24"}},
        {"at+gmm", "\r\nUSR5637\r\n\r\nOK\r\n", {"", "USR5637"}},
        {"AT+CGSN", "\r\nIMEI: 866758040123456\r\n\r\nOK\r\n", {"", "", "", "866758040123456"}},
        {"AT+GMR",
         "AT+GMR\r\r\nAT version:2.2.0.0(c6fa6bf - ESP32 - Jul  2 2021 06:44:05)\r\nSDK "
         "version:v4.2.2-76-gefa6eca\r\n\r\nOK\r\n",
         {"", "", "2.2.0.0(c6fa6bf - ESP32 - Jul  2 2021 06:44:05)"}},
        {"ATI",
         "\r\nManufacturer: SIMCOM INCORPORATED\r\nModel: SIMCOM_SIM7600E-H\r\nRevision: "
         "SIM7600M22_V2.0\r\nIMEI: 861234567890123\r\n+GCAP: +CGSM\r\n\r\nOK\r\n",
         {"SIMCOM INCORPORATED", "SIMCOM_SIM7600E-H", "SIM7600M22_V2.0", "861234567890123"}},
        {"ATI", "\r\n56000\r\n\r\nOK\r\n", {"", "56000"}},  // a classic modem's product code
        {"ATI",
         "\r\nQuectel\r\nEC25\r\nRevision: EC25EFAR06A06M4G\r\n\r\nOK\r\n",
         {"", "", "EC25EFAR06A06M4G"}},  // two bare lines: which is which is not said
        {"ATI3", "\r\nSoftK56V_B2.1_V7.04.05\r\n\r\nOK\r\n", {"", "", "SoftK56V_B2.1_V7.04.05"}},
    };
    for (const Row& row : rows)
        expectFields(
            parseIdentityReply(QString::fromLatin1(row.command), QString::fromLatin1(row.reply)),
            row.fields,
            QString::fromLatin1(row.command) + u' ' +
                escapeForTerminal(QString::fromLatin1(row.reply)));
}

TEST(IdentityReply, RepliesThatNameNothing) {
    const QString longLine(200, u'X');
    const char* noise = "\xff\xfe\x1b[2J\x90\r\n\x81\x82\r\nOK\r\n";
    const std::pair<const char*, QString> rows[] = {
        {"AT+CGMI", QStringLiteral("\r\nERROR\r\n")},
        {"AT+CGMI", QStringLiteral("\r\n+CME ERROR: operation not supported\r\n")},
        {"AT+CGMI", QStringLiteral("AT+CGMI\r\r\nOK\r\n")},  // an echo and a bare OK
        {"AT+CGMI", QStringLiteral("\r\nOK\r\n")},
        {"AT+CGMI", QStringLiteral("\r\nQuectel\r\n")},        // cut off before its OK
        {"AT+CGMI", QStringLiteral("\r\nQuectel\r\n\r\nOK")},  // its OK without a line end
        {"AT+CGMI", QStringLiteral("\r\n") + longLine + QStringLiteral("\r\nOK\r\n")},
        {"AT+CGMI", QStringLiteral("\r\nRevision: ") + longLine + QStringLiteral("\r\nOK\r\n")},
        {"AT+CGMI", QString::fromLatin1(noise)},
        {"AT+CGMI", QStringLiteral("\r\n---\r\n\r\nOK\r\n")},
        {"AT+CGMI", QStringLiteral("\r\nOK\r\n\r\nQuectel\r\n\r\nOK\r\n")},  // after the result
        {"ATI", QStringLiteral("\r\nModel\r\nEC25\r\n\r\nOK\r\n")},          // two bare lines
        {"ATE0", QStringLiteral("\r\nQuectel\r\n\r\nOK\r\n")},               // not a question
    };
    for (const auto& [command, reply] : rows)
        EXPECT_TRUE(parseIdentityReply(QString::fromLatin1(command), reply).isEmpty())
            << command << ' ' << qPrintable(escapeForTerminal(reply));
}

TEST(IdentityFields, NamedValuesAreCleanedAndCutAndSourcesMergeInOrder) {
    EXPECT_EQ(namedIdentityField(u"  Quectel\x07 ", IdentitySource::ModemManager),
              (IdentityField{QStringLiteral("Quectel"), IdentitySource::ModemManager}));
    EXPECT_EQ(namedIdentityField(QString(100, u'r'), IdentitySource::Usb).value.size(),
              DeviceIdentity::kFieldMax);
    EXPECT_FALSE(namedIdentityField(u" \r\n", IdentitySource::Usb).known());
    EXPECT_EQ(namedIdentityField(u" \r\n", IdentitySource::Usb).source, IdentitySource::None);

    DeviceIdentity at;
    at.model = {QStringLiteral("EC25"), IdentitySource::At};
    DeviceIdentity usb;
    usb.model = {QStringLiteral("EC25-E"), IdentitySource::Usb};
    usb.manufacturer = {QStringLiteral("Quectel"), IdentitySource::Usb};
    fillIdentity(at, usb);
    EXPECT_EQ(at.model.value, "EC25");
    EXPECT_EQ(at.manufacturer.source, IdentitySource::Usb);
    EXPECT_EQ(identitySourceName(IdentitySource::ModemManager), "modemmanager");
}

// A device as a table of answers; anything else it answers ERROR, or nothing when silent.
using Device = std::map<QString, QString>;

// Runs a plan against `device` as it answers at `speed`; returns the commands asked.
QStringList runPlan(IdentityQuestions& plan, const Device& device, int deviceSpeed = 9600,
                    bool silentElse = false) {
    QStringList asked;
    int speed = 9600;
    while (const auto question = plan.next()) {
        if (question->lineSpeed != 0) speed = question->lineSpeed;
        asked << question->command;
        if (speed != deviceSpeed) {
            plan.answer(u"\x8c\xf3\x02");
            continue;
        }
        const auto it = device.find(question->command);
        plan.answer(it != device.end()          ? it->second
                    : silentElse                ? QString()
                    : question->command == "AT" ? QStringLiteral("\r\nOK\r\n")
                                                : QStringLiteral("\r\nERROR\r\n"));
    }
    return asked;
}

TEST(IdentityQuestions, AskOnlyWhatIsStillUnknownOneCommandALine) {
    const Device lte{{"AT+CGMI", "\r\nQuectel\r\n\r\nOK\r\n"},
                     {"AT+CGMM", "\r\nEC25\r\n\r\nOK\r\n"},
                     {"AT+CGMR", "\r\nEC25EFAR06A06M4G\r\n\r\nOK\r\n"},
                     {"AT+CGSN", "\r\n866758040123456\r\n\r\nOK\r\n"}};
    IdentityQuestions cellular(9600);
    EXPECT_EQ(runPlan(cellular, lte), QStringList({"AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CGSN"}));
    expectFields(cellular.identity(), {"Quectel", "EC25", "EC25EFAR06A06M4G", "866758040123456"},
                 QStringLiteral("lte"));
    EXPECT_EQ(cellular.identity().speed, 9600);

    // A V.92 modem: the 27.007 forms refused, the V.250 ones answered, no serial anywhere.
    const Device v92{{"AT+GMI", "\r\nU.S. Robotics\r\n\r\nOK\r\n"},
                     {"AT+GMM", "\r\nUSR5637\r\n\r\nOK\r\n"},
                     {"AT+GMR", "\r\n1.2.23\r\n\r\nOK\r\n"}};
    IdentityQuestions modem(9600);
    EXPECT_EQ(runPlan(modem, v92), QStringList({"AT+CGMI", "AT+GMI", "AT+CGMM", "AT+GMM", "AT+CGMR",
                                                "AT+GMR", "AT+CGSN", "AT+GSN"}));
    expectFields(modem.identity(), {"U.S. Robotics", "USR5637", "1.2.23"}, QStringLiteral("v92"));

    // A modem older than V.250: its product code and ATI3's revision; ATI2 is never asked.
    const Device classic{{"ATI", "\r\n56000\r\n\r\nOK\r\n"},
                         {"ATI3", "\r\nV2.210-V90_2M_DLS\r\n\r\nOK\r\n"}};
    IdentityQuestions old(9600);
    const QStringList asked = runPlan(old, classic);
    EXPECT_EQ(asked.size(), IdentityQuestions::kMostCommands);
    EXPECT_EQ(asked.mid(8), QStringList({"ATI", "ATI3"}));
    expectFields(old.identity(), {"", "56000", "V2.210-V90_2M_DLS"}, QStringLiteral("classic"));
}

TEST(IdentityQuestions, SilenceEndsThePlanAndTheSpeedSearchFindsTheFirstSpeedThatAnswers) {
    IdentityQuestions silent(9600);
    EXPECT_EQ(runPlan(silent, {}, 9600, true).size(), IdentityQuestions::kSilentInARow);
    EXPECT_TRUE(silent.identity().isEmpty());

    const Device esp{{"AT+GMR", "\r\nAT version:2.2.0.0(c6fa6bf)\r\n\r\nOK\r\n"}};
    IdentityQuestions search(9600, true);
    const QStringList asked = runPlan(search, esp, 38400);
    EXPECT_EQ(asked.mid(0, 4), QStringList({"AT", "AT", "AT", "AT+CGMI"}));
    EXPECT_EQ(search.identity().speed, 38400);
    EXPECT_EQ(search.identity().revision.value, "2.2.0.0(c6fa6bf)");

    IdentityQuestions nowhere(9600, true);
    EXPECT_EQ(runPlan(nowhere, esp, 300).size(), IdentityQuestions::kSearchSpeeds.size());
    EXPECT_TRUE(nowhere.identity().isEmpty());
}

// The device of a fake line answers each command from `device` after `delayMs`.
ScriptedPort::Responder answering(Device device, std::int64_t delayMs,
                                  std::function<bool()> hears = {}) {
    return [device = std::move(device), delayMs, hears](const QString& sent) {
        const QString command = sent.trimmed();
        if (hears && !hears()) return std::vector<ScriptedPort::Reply>{{2, "\x8c\xf3"}};
        const auto it = device.find(command);
        const QString reply = it != device.end() ? it->second
                              : command == "AT"  ? QStringLiteral("\r\nOK\r\n")
                                                 : QStringLiteral("\r\nERROR\r\n");
        return std::vector<ScriptedPort::Reply>{{delayMs, reply}};
    };
}

TEST(IdentifyDevice, TakesTheDevicesTimeAndNoMore) {
    OpenLine open(1000, answering({{"AT+CGMI", "\r\nu-blox\r\n\r\nOK\r\n"},
                                   {"AT+CGMM", "\r\nSARA-R410M-02B\r\n\r\nOK\r\n"},
                                   {"AT+CGMR", "\r\nL0.0.00.00.05.06\r\n\r\nOK\r\n"},
                                   {"AT+CGSN", "\r\n004401083682553\r\n\r\nOK\r\n"}},
                                  40));
    const DeviceIdentity identity = identifyDevice(open.unit);
    expectFields(identity, {"u-blox", "SARA-R410M-02B", "L0.0.00.00.05.06", "004401083682553"},
                 QStringLiteral("u-blox"));
    EXPECT_EQ(open.line.clock.ms(), 4 * 40);
    EXPECT_EQ(open.line.port.sent().front().text, "AT+CGMI\r\n");
}

TEST(IdentifyDevice, FindsTheSpeedAndLeavesThePortThere) {
    OpenLine open;
    open.line.port.setSettings(QStringLiteral("9600,N,8,1"));
    open.line.port.addDevice(1, answering({{"AT+CGMI", "\r\nEspressif\r\n\r\nOK\r\n"}}, 5, [&] {
                                 return open.line.port.settings().startsWith("57600,");
                             }));
    const DeviceIdentity found = identifyDevice(open.unit, true);
    EXPECT_EQ(found.speed, 57600);
    EXPECT_EQ(found.manufacturer.value, "Espressif");
    EXPECT_EQ(open.line.port.settings(), "57600,N,8,1");

    OpenLine deaf;
    deaf.line.port.setSettings(QStringLiteral("9600,N,8,1"));
    deaf.line.port.addDevice(1, answering({}, 5, [] { return false; }));
    EXPECT_TRUE(identifyDevice(deaf.unit, true).isEmpty());
    EXPECT_EQ(deaf.line.port.settings(), "9600,N,8,1");
    EXPECT_LE(deaf.line.clock.ms(), 5 * IdentityQuestions::kProbeWaitMs);
}

TEST(IdentifyDevice, BadDevicesEndInBoundedTimeWithWhatCouldBeRead) {
    const QString longText =
        QStringLiteral("\r\n") + QString(300, u'Z') + QStringLiteral("\r\nOK\r\n");
    struct Case {
        const char* what;
        ScriptedPort::Responder device;
    };
    const Case cases[] = {
        {"same long text",
         [&](const QString&) {
             return std::vector<ScriptedPort::Reply>{{3, longText}};
         }},
        {"OK alone",
         [](const QString&) {
             return std::vector<ScriptedPort::Reply>{{3, "\r\nOK\r\n"}};
         }},
        {"floods",
         [](const QString&) {
             std::vector<ScriptedPort::Reply> flood;
             for (int ms = 1; ms < 20000; ms += 50) flood.push_back({ms, QString(2048, u'D')});
             return flood;
         }},
        {"control characters",
         [](const QString&) {
             return std::vector<ScriptedPort::Reply>{
                 {3, QString::fromLatin1("\r\n\x1b]0;x\x07\x9b\r\n\r\nOK\r\n")}};
         }},
    };
    for (const Case& c : cases) {
        OpenLine open(1000, c.device);
        const DeviceIdentity identity = identifyDevice(open.unit);
        EXPECT_TRUE(identity.manufacturer.value.isEmpty() && identity.model.value.isEmpty() &&
                    identity.revision.value.isEmpty() && identity.serial.value.isEmpty())
            << c.what;
        EXPECT_LE(open.line.clock.ms(), IdentityQuestions::kMostTime) << c.what;
    }

    // Gone after its second answer: the first answer stays.
    OpenLine vanishing(1000, answering({{"AT+CGMI", "\r\nQuectel\r\n\r\nOK\r\n"}}, 3));
    int outputs = 0;
    vanishing.line.port.onOutput() = [&] {
        if (++outputs == 3) vanishing.line.port.failOutput(true);
    };
    EXPECT_EQ(identifyDevice(vanishing.unit).manufacturer.value, "Quectel");
    EXPECT_EQ(outputs, 3);
}

}  // namespace
