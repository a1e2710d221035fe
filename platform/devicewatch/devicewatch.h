#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSocketNotifier;

namespace qelv {

// What the kernel said about one device.
struct DeviceEvent {
    QString action;  // "add", "remove", "change", ...
    QString node;    // "/dev/ttyUSB0"; empty for a device without one
};

// Where device events come from: a descriptor that turns readable when one is waiting.
class DeviceEventSource {
public:
    virtual ~DeviceEventSource() = default;
    virtual int descriptor() const = 0;
    // The next event waiting; nothing when none is. Never blocks.
    virtual std::optional<DeviceEvent> next() = 0;
};

// udev's events for ttys, sent once its rules have run (so the /dev/serial links are there).
// Null when udev cannot be listened to (no netlink socket, as in some containers).
std::unique_ptr<DeviceEventSource> udevTtyEvents();

// Listens to a source in Qt's event loop, reading nothing but the events: it opens no device.
// A null source is never heard from.
class DeviceWatch final : public QObject {
    Q_OBJECT

public:
    explicit DeviceWatch(std::unique_ptr<DeviceEventSource> source, QObject* parent = nullptr);
    ~DeviceWatch() override;

signals:
    // Devices came, went or changed: once for all the events waiting together (plugging an
    // adapter in sends several).
    void devicesChanged();

private:
    void readEvents();

    std::unique_ptr<DeviceEventSource> m_source;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace qelv
