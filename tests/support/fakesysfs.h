#pragma once

#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace qelv::test {

// A sysfs tree of the test's own making, for the device facts: class/tty/NAME and
// dev/char/MAJOR:MINOR lead to devices/.../tty/NAME as in the kernel's.
class FakeSysfs {
public:
    struct Tty {
        QString name;
        QString driver;               // empty: no hardware behind the tty (a virtual console)
        std::optional<int> portType;  // the serial core's `type` attribute
        QString console;              // the `console` attribute ("Y", "N"), empty for none
        bool serialBase = false;      // the tty device sits on the serial-base bus (Linux 6.5+)
    };

    QString root() const { return m_dir.path(); }
    // Adds the tty; `deviceNumber` ("136:4") makes dev/char lead to it too.
    void add(const Tty& tty, const QString& deviceNumber = {});
    void setActiveConsoles(const QString& names);

private:
    QTemporaryDir m_dir;
};

}  // namespace qelv::test
