#include "okline.h"

namespace qelv::survey {

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

}  // namespace

bool okStandsAlone(QStringView reply) {
    for (qsizetype at = reply.indexOf(u"OK"); at >= 0; at = reply.indexOf(u"OK", at + 1)) {
        const bool openBefore = at == 0 || isLineEnd(reply[at - 1]);
        const bool openAfter = at + 2 == reply.size() || isLineEnd(reply[at + 2]);
        if (openBefore && openAfter) return true;
    }
    return false;
}

}  // namespace qelv::survey
