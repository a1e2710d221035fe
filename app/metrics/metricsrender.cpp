#include "metricsrender.h"

#include "exposition.h"
#include "metricfamilies.h"
#include "surveyshape.h"
#include "surveytexts.h"

namespace qelv {

namespace {

using metrics::Family;
using metrics::flag;
using metrics::Labels;
using survey::Mark;

Mark markAt(const GridCells& cells, int row, int col) {
    return survey::markOf(cells.at(row, col).backColor);
}

std::optional<bool> passed(const GridCells& cells, int row, int col) {
    const Mark mark = markAt(cells, row, col);
    if (mark == Mark::None) return std::nullopt;
    return mark == Mark::Pass;
}

// The value of one per-port family for port n; nothing when the port has no such sample.
std::optional<QString> portValue(Family family, const SurveyFigures& s, int n) {
    const GridCells& cells = s.cells;
    switch (family) {
        case Family::PortOpen:
            if (const auto open = passed(cells, n, survey::kOpenCol)) return flag(*open);
            return std::nullopt;
        case Family::PortInUse:
            if (markAt(cells, n, survey::kOpenCol) == Mark::None) return std::nullopt;
            return flag(cells.at(n, survey::kOpenCol).failure == OpenFailure::Busy);
        case Family::PortAtOk:
            if (const auto ok = passed(cells, n, survey::kAtCol)) return flag(*ok);
            return std::nullopt;
        case Family::PortInfoOk:
            if (const auto ok = passed(cells, n, survey::kInfoCol)) return flag(*ok);
            return std::nullopt;
        case Family::PortAnswerSeconds:
            if (markAt(cells, n, survey::kAtCol) != Mark::Pass || !s.answerTime)
                return std::nullopt;
            if (const auto took = s.answerTime(n)) return metrics::seconds(*took);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

Labels identityLabels(const DeviceIdentity& id) {
    return {{QStringLiteral("manufacturer"), id.manufacturer.value},
            {QStringLiteral("model"), id.model.value},
            {QStringLiteral("revision"), id.revision.value},
            {QStringLiteral("serial"), id.serial.value}};
}

bool knowsAnything(const DeviceIdentity& id) {
    return id.manufacturer.known() || id.model.known() || id.revision.known() || id.serial.known();
}

QString portSamples(const metrics::FamilyText& f, const SurveyFigures& s) {
    QString out;
    for (int n = survey::kFirstPort; n <= survey::kLastPort && n < s.cells.rows(); ++n) {
        const auto device = s.device ? s.device(n) : std::nullopt;
        if (!device) continue;
        Labels labels{{QStringLiteral("port"), survey::portName(n)},
                      {QStringLiteral("device"), *device}};
        if (f.family == Family::DeviceInfo) {
            const DeviceIdentity id = s.identity ? s.identity(n) : DeviceIdentity{};
            if (!knowsAnything(id)) continue;
            for (auto& label : identityLabels(id)) labels.push_back(std::move(label));
            out += metrics::sampleLine(f.name, labels, flag(true));
        } else if (const auto value = portValue(f.family, s, n)) {
            out += metrics::sampleLine(f.name, labels, *value);
        }
    }
    return out;
}

int mappedPorts(const SurveyFigures& s) {
    int mapped = 0;
    for (int n = survey::kFirstPort; n <= survey::kLastPort; ++n)
        if (s.device && s.device(n)) ++mapped;
    return mapped;
}

QString surveySample(const metrics::FamilyText& f, const SurveyFigures& s) {
    switch (f.family) {
        case Family::SurveyDurationSeconds:
            return metrics::sampleLine(f.name, {}, metrics::seconds(s.duration));
        case Family::SurveyComplete:
            return metrics::sampleLine(f.name, {}, flag(s.complete));
        case Family::SurveyLastRunTimestampSeconds:
            return metrics::sampleLine(f.name, {}, metrics::seconds(s.endedAt));
        case Family::SurveyPorts:
            return metrics::sampleLine(f.name, {}, QString::number(mappedPorts(s)));
        default:
            return portSamples(f, s);
    }
}

}  // namespace

QByteArray renderMetrics(const SurveyFigures& survey) {
    QString out;
    if (survey.cells.cols() < survey::kCols) return {};
    for (const metrics::FamilyText& f : metrics::kFamilies) {
        const QString samples = surveySample(f, survey);
        if (!samples.isEmpty())
            out += metrics::familyHeader(f.name, f.help, metrics::kType) + samples;
    }
    return out.toUtf8();
}

}  // namespace qelv
