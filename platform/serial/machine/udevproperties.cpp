// The thin libudev side of the device facts: the properties udev's rules gave a tty.

#include "devicefacts.h"

#include <libudev.h>

#include <memory>

namespace qelv {

UdevProperties udevPropertiesOf(const QString& kernelName) {
    UdevProperties properties;
    const std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
    if (!context) return properties;
    const std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
        udev_device_new_from_subsystem_sysname(context.get(), "tty",
                                               kernelName.toLocal8Bit().constData()),
        udev_device_unref);
    if (!device) return properties;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device.get())) {
        properties.insert(QString::fromUtf8(udev_list_entry_get_name(entry)),
                          QString::fromUtf8(udev_list_entry_get_value(entry)));
    }
    return properties;
}

}  // namespace qelv
