#pragma once

#include <array>

// The metric families of --metrics: their names, what they mean and the order they are
// written in. Dashboards and alerts are written against these names, so none changes.
namespace qelv::metrics {

enum class Family {
    PortOpen,
    PortInUse,
    PortAtOk,
    PortInfoOk,
    PortAnswerSeconds,
    DeviceInfo,
    SurveyDurationSeconds,
    SurveyComplete,
    SurveyLastRunTimestampSeconds,
    SurveyPorts,
};

struct FamilyText {
    Family family;
    const char* name;
    const char* help;
};

// Every family is a gauge: each value is what the latest survey found.
inline constexpr const char* kType = "gauge";

inline constexpr std::array<FamilyText, 10> kFamilies = {{
    {Family::PortOpen, "qelv_port_open",
     "Whether the COM port opened in the survey's first pass (1) or not (0); every mapped port."},
    {Family::PortInUse, "qelv_port_in_use",
     "Whether another program held the COM port, so that it was left alone (1) or not (0)."},
    {Family::PortAtOk, "qelv_port_at_ok",
     "Whether the device answered ATE0Q0V1 with OK (1) or not (0); every port the pass tried."},
    {Family::PortInfoOk, "qelv_port_info_ok",
     "Whether the device answered ATI4I2I0 with OK (1) or not (0); every port the pass tried."},
    {Family::PortAnswerSeconds, "qelv_port_answer_seconds",
     "Time from sending ATE0Q0V1 to the end of the answer, for ports that answered OK."},
    {Family::DeviceInfo, "qelv_device_info",
     "What the device on the COM port says it is; always 1."},
    {Family::SurveyDurationSeconds, "qelv_survey_duration_seconds", "Wall time of the survey."},
    {Family::SurveyComplete, "qelv_survey_complete",
     "Whether the survey ran to its end (1) or was interrupted (0)."},
    {Family::SurveyLastRunTimestampSeconds, "qelv_survey_last_run_timestamp_seconds",
     "When the survey ended, in seconds since the Unix epoch."},
    {Family::SurveyPorts, "qelv_survey_ports",
     "Number of COM ports mapped to a device when the survey started."},
}};

}  // namespace qelv::metrics
