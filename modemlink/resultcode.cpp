#include "resultcode.h"

#include "resultwords.h"

#include <QStringView>

namespace qelv {

int classifyResult(const QString& reply) {
    // Scanning from the end lets the first hit stand for "last match wins".
    for (auto row = resultwords::kResultCodes.rbegin(); row != resultwords::kResultCodes.rend();
         ++row) {
        if (reply.contains(row->text, Qt::CaseSensitive)) return row->code;
    }
    return -1;
}

}  // namespace qelv
