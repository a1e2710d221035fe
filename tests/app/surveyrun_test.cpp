// Surveys in system mode read the map afresh: what was plugged or pulled between two button
// presses is what the next survey, its tooltips and its output see.

#include "surveyrun.h"
#include "fakes.h"
#include "mainform.h"
#include "mdcomm.h"
#include "memorywidgets.h"
#include "qtserialport.h"
#include "unitfactory.h"

#include <gtest/gtest.h>

using namespace qelv;
using namespace qelv::test;

namespace {

struct SystemSurvey : ::testing::Test {
    std::vector<QString> devices;
    int enumerations = 0;
    std::shared_ptr<PortDirectory> ports = PortDirectory::system([this] {
        ++enumerations;
        return devices;
    });
    FakeLine line;
    QtSerialPort port{ports};
    Mdcomm unit{line.clock, line.pump, port};
    MemoryForm widgets;
    MainForm form{widgets.widgets(),
                  {.pump = line.pump,
                   .unit = [this]() -> Mdcomm& { return unit; },
                   .describePort = portDescriber(ports)}};

    void SetUp() override {
        form.Form_Load();
        form.Form_Resize();
    }
    QString nameTip(int n) const { return widgets.MSFlexGrid1.cells().at(n, 0).toolTip; }
};

TEST_F(SystemSurvey, EachSurveyReadsTheMapOnceAndSeesWhatChanged) {
    devices = {"/nonexistent/qelv/ttyUSB0"};
    runSurvey(form, *ports);
    EXPECT_EQ(enumerations, 2);  // at the start, and once for the survey
    EXPECT_TRUE(nameTip(1).startsWith("/nonexistent/qelv/ttyUSB0")) << nameTip(1).toStdString();
    EXPECT_EQ(nameTip(2), "COM2: デバイスがありません");

    devices = {"/nonexistent/qelv/ttyUSB0", "/nonexistent/qelv/ttyS0"};  // plugged, on-board first
    runSurvey(form, *ports);
    EXPECT_EQ(enumerations, 3);
    EXPECT_TRUE(nameTip(1).startsWith("/nonexistent/qelv/ttyS0")) << nameTip(1).toStdString();
    EXPECT_TRUE(nameTip(2).startsWith("/nonexistent/qelv/ttyUSB0")) << nameTip(2).toStdString();
    EXPECT_EQ(devicePathFor(ports->map(), 2), "/nonexistent/qelv/ttyUSB0");

    devices = {"/nonexistent/qelv/ttyS0"};  // pulled
    runSurvey(form, *ports);
    EXPECT_EQ(enumerations, 4);
    EXPECT_EQ(nameTip(2), "COM2: デバイスがありません");
    EXPECT_FALSE(devicePathFor(ports->map(), 2));
}

}  // namespace
