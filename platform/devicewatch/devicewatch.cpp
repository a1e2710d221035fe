#include "devicewatch.h"

#include <QSocketNotifier>

namespace qelv {

DeviceWatch::DeviceWatch(std::unique_ptr<DeviceEventSource> source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {
    if (!m_source) return;
    m_notifier = new QSocketNotifier(m_source->descriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DeviceWatch::readEvents);
}

DeviceWatch::~DeviceWatch() = default;

void DeviceWatch::readEvents() {
    bool any = false;
    while (m_source->next()) any = true;
    if (any) emit devicesChanged();
}

}  // namespace qelv
