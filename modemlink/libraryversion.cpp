#include "qelvversion.h"

namespace qelv {

const char* modemLinkVersion() noexcept {
    return QELV_MODEMLINK_VERSION_STRING;
}

}  // namespace qelv
