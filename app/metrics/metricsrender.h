#pragma once

#include "gridcells.h"
#include "gridrender.h"
#include "identity.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace qelv {

// One survey as the metrics see it.
struct SurveyFigures {
    const GridCells& cells;
    // COMn's device; nothing for a COM number without one, which gets no per-port series.
    DeviceLookup device;
    // How long COMn's AT exchange took; asked only for ports that passed the AT check.
    std::function<std::optional<std::chrono::milliseconds>(int port)> answerTime = {};
    // What COMn's device is (identity.h); empty, or none of manufacturer, model, revision and
    // serial known: no qelv_device_info. The texts are the device's own; they are escaped here.
    std::function<DeviceIdentity(int port)> identity = {};
    std::chrono::milliseconds duration{0};
    bool complete = false;
    std::chrono::milliseconds endedAt{0};  // since the Unix epoch
};

// The survey in Prometheus' text exposition format 0.0.4 (metricfamilies.h names every
// family): per-port series labelled port="COMn" and device="PATH" for each mapped port, then
// the survey's own. A port's open and in-use series appear once pass 1 has looked at it, its
// AT and information series once their pass tried it, its answer time once it passed the AT
// check. A family without samples is left out. Pure.
QByteArray renderMetrics(const SurveyFigures& survey);

}  // namespace qelv
