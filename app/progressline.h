#pragma once

#include "memorywidgets.h"

#include <cstdio>

namespace qelv {

// The headless modes' status bar: keeps what it is told like the in-memory one and, when
// `stream` is a terminal, shows the running pass and port on one line that it rewrites,
// and clears it when the survey ends. Scripts that capture stderr get nothing.
class ProgressLine final : public MemoryStatusBar {
public:
    explicit ProgressLine(std::FILE* stream);
    void setSimpleText(const QString& text) override;
    void setProgress(int value, int max) override;

private:
    void draw();

    std::FILE* m_stream;
    bool m_enabled;
};

}  // namespace qelv
