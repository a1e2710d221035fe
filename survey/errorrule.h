#pragma once

#include "modemerror.h"

#include <QString>

#include <utility>

namespace qelv {

// The passes' continue-on-error rule: every step is attempted in order; a step that fails
// records its error number (replacing any earlier one) and the pass goes on with the next.
// Only ModemError is absorbed: a request to end the program passes straight through.
class ErrorRule {
public:
    template <typename Step>
    void step(Step&& action) {
        try {
            std::forward<Step>(action)();
        } catch (const ModemError& error) {
            m_number = error.number();
            m_message = error.message();
            m_failure = error.openFailure();
        }
    }

    void clear() {
        m_number = 0;
        m_message.clear();
        m_failure = OpenFailure::None;
    }
    int number() const { return m_number; }
    const QString& message() const { return m_message; }
    OpenFailure failure() const { return m_failure; }

private:
    int m_number = 0;
    QString m_message;
    OpenFailure m_failure = OpenFailure::None;
};

}  // namespace qelv
