// `qel-v at`'s command line understood in-process, from tables with the rows it must refuse,
// and the way it opens its port.

#include "atrequest.h"
#include "atport.h"
#include "recordingport.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

QStringList words(const char* line) {
    return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
}

TEST(AtRequest, NumbersAreTakenWholeWithinTheirTypesRange) {
    struct Row {
        const char* line;
        std::int32_t waitMs;
        std::int16_t breakSeconds;
    };
    const Row rows[] = {
        {"COM1 AT", 2000, 0},
        {"COM1 --wait 0 AT", 0, 0},
        {"COM1 --wait=2147483647 AT", INT32_MAX, 0},
        {"COM16 --op atcret --break 32767 AT", 2000, INT16_MAX},
        {"com16 --op atcret --break=-32768 AT", 2000, INT16_MIN},
        {"/dev/x --op atcret --break 33 AT", 2000, 33},  // the unit's own overflow, at run time
    };
    for (const Row& row : rows) {
        const AtRequest r = parseAtRequest(words(row.line));
        EXPECT_EQ(r.waitMs, row.waitMs) << row.line;
        EXPECT_EQ(r.breakSeconds, row.breakSeconds) << row.line;
    }
}

TEST(AtRequest, RefusesWhatItCannotRunAsGiven) {
    const char* const rows[] = {
        "COM1 --wait -1 AT",
        "COM1 --wait 2147483648 AT",
        "COM1 --wait 1e3 AT",
        "COM1 --op atcret --break 32768 AT",
        "COM1 --op atcret --break 65541 AT",  // would be 5 seconds in 16 bits
        "COM1 --op atcret --break -32769 AT",
        "COM1 --op atcret --timeout 0 AT",
        "COM1 --timeout 100 AT",
        "COM0 AT",
        "COM17 AT",
        "COM01x AT",
        "ttyS0 AT",
        "COM1 --op bufclr AT",
        "COM1",
        "COM1 AT extra",
        "COM1 --settings 9600,N,9,1 AT",
        "COM1 --unknown AT",
    };
    for (const char* row : rows) EXPECT_THROW(parseAtRequest(words(row)), AtUsageError) << row;
}

TEST(AtRequest, OpensWithItsSettingsAndBothLinesRaisedThenNamesThePortWhenItFails) {
    FakeLine line;
    QStringList log;
    RecordingPort port(nullptr, line.port, log);
    line.port.addDevice(3);
    line.port.setCommPort(3);
    openAtPort(port, "COM3", parseAtRequest(words("COM3 --settings 115200,E,7,2 AT")).settings);
    EXPECT_EQ(log, (QStringList{"Settings 115200,E,7,2", "DTREnable 1", "RTSEnable 1",
                                "Handshaking 0", "PortOpen 1"}));
    port.setPortOpen(false);

    line.port.removeDevice(3);
    try {
        openAtPort(port, "COM3", parseAtRequest(words("COM3 AT")).settings);
        ADD_FAILURE() << "opened a port without a device";
    } catch (const ModemError& error) {
        EXPECT_EQ(error.number(), errc::kPortOpenFailed);
        EXPECT_EQ(error.openFailure(), OpenFailure::Absent);
        EXPECT_TRUE(error.message().startsWith("ポートを開けません: COM3: "))
            << error.message().toStdString();
    }
}

}  // namespace
