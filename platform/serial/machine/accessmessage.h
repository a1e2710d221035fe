#pragma once

#include <QString>

namespace qelv {

// What decides whether a user may open a device, as far as its mode and groups go.
struct AccessFacts {
    QString path;                  // absolute
    QString mode;                  // "crw-rw----"; empty when the device could not be looked at
    QString owner;                 // user name of the device's owner
    QString group;                 // name of the device's group
    QString user;                  // who runs the program
    bool userInGroup = false;      // the group database puts the user in `group`
    bool sessionHasGroup = false;  // this process runs with `group` among its groups
};

// The message for a refused open. Names the device's mode and owner:group. Suggests joining
// the group only when that group may read and write the device and is not root's, and says
// to log in again instead when the user is in it but this login does not have it yet.
QString permissionMessage(const AccessFacts& facts);

// The facts for `path` and the user running this process.
AccessFacts accessFactsOf(const QString& path);

}  // namespace qelv
