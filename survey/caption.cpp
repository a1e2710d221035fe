#include "caption.h"

namespace qelv {

QString formatCaption(const VersionNumbers& version) {
    return QStringLiteral("Tobelune   QEL-V ver ") + QString::number(version.major) +
           QLatin1Char('.') + QString::number(version.minor) + QStringLiteral(" Rev") +
           QString::number(version.revision);
}

}  // namespace qelv
