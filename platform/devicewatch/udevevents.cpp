// The thin libudev side of the device watch.

#include "devicewatch.h"

#include <libudev.h>

namespace qelv {

namespace {

class UdevTtyEvents final : public DeviceEventSource {
public:
    UdevTtyEvents(udev* context, udev_monitor* monitor) : m_udev(context), m_monitor(monitor) {}
    ~UdevTtyEvents() override {
        udev_monitor_unref(m_monitor);
        udev_unref(m_udev);
    }
    UdevTtyEvents(const UdevTtyEvents&) = delete;
    UdevTtyEvents& operator=(const UdevTtyEvents&) = delete;

    int descriptor() const override { return udev_monitor_get_fd(m_monitor); }

    std::optional<DeviceEvent> next() override {
        // The monitor's socket does not block: nothing waiting gives null.
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (!device) return std::nullopt;
        const auto text = [](const char* value) { return QString::fromUtf8(value ? value : ""); };
        DeviceEvent event{text(udev_device_get_action(device)),
                          text(udev_device_get_devnode(device))};
        udev_device_unref(device);
        return event;
    }

private:
    udev* m_udev;
    udev_monitor* m_monitor;
};

}  // namespace

std::unique_ptr<DeviceEventSource> udevTtyEvents() {
    udev* context = udev_new();
    if (!context) return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor) udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevTtyEvents>(context, monitor);
}

}  // namespace qelv
