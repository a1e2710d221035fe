#pragma once

#include <QByteArray>
#include <QString>

namespace qelv::test {

// What `promtool check metrics` says of an exposition: its exit status and everything it
// printed (errors and lint warnings alike). promtool comes with Debian's prometheus package
// (scripts/deps.sh); without it the status is -1 and the text says so.
struct PromtoolVerdict {
    int exitCode = -1;
    QString said;
};
PromtoolVerdict promtoolCheck(const QByteArray& exposition);

}  // namespace qelv::test
