#include "atrender.h"

#include "textescape.h"

namespace qelv {

QString renderAtEnding(const AtEnding& ending, bool json) {
    const QString code = QString::number(ending.code);
    if (json) {
        const QString reply =
            ending.reply ? jsonStringLiteral(*ending.reply) : QStringLiteral("null");
        return QStringLiteral("{\"reply\": ") + reply + QStringLiteral(", \"code\": ") + code +
               QStringLiteral("}\n");
    }
    QString text;
    if (ending.reply) text = QStringLiteral("reply: ") + escapeForTerminal(*ending.reply) + u'\n';
    return text + QStringLiteral("code: ") + code + u'\n';
}

}  // namespace qelv
