#pragma once

#include <QString>

#include <cstdint>

namespace qelv {

struct VersionNumbers {
    std::int16_t major = 1;
    std::int16_t minor = 1;
    std::int16_t revision = 0;
};

// "Tobelune   QEL-V ver 1.1 Rev0": three blanks between the words, numbers without leading
// zeros or blanks, none between "Rev" and the revision.
QString formatCaption(const VersionNumbers& version);

}  // namespace qelv
