#include "progressline.h"

#include "surveyshape.h"

#include <unistd.h>

namespace qelv {

namespace {
constexpr int kPortsPerPass = survey::kPorts;
}

ProgressLine::ProgressLine(std::FILE* stream)
    : m_stream(stream), m_enabled(::isatty(::fileno(stream)) == 1) {}

void ProgressLine::setSimpleText(const QString& text) {
    MemoryStatusBar::setSimpleText(text);
    draw();
}

void ProgressLine::setProgress(int value, int max) {
    MemoryStatusBar::setProgress(value, max);
    draw();
}

void ProgressLine::draw() {
    if (!m_enabled) return;
    if (progressMax() <= 0) {
        std::fputs("\r\x1b[K", m_stream);
    } else {
        const int step = std::min(progress(), progressMax() - 1);
        const QString line = QStringLiteral("\r\x1b[K[%1/%2] COM%3  %4")
                                 .arg(step / kPortsPerPass + 1)
                                 .arg(progressMax() / kPortsPerPass)
                                 .arg(step % kPortsPerPass + 1)
                                 .arg(simpleText());
        std::fputs(line.toUtf8().constData(), m_stream);
    }
    std::fflush(m_stream);
}

}  // namespace qelv
