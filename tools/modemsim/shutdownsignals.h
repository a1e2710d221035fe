#pragma once

#include "uniquefd.h"

namespace qelv::modemsim {

// Turns SIGTERM, SIGINT and SIGHUP into a readable pipe, so the poll loop notices them wherever
// it waits. Ignores SIGPIPE: a parent that stopped reading must not kill the simulator before
// it has removed its links. One instance per process.
class ShutdownSignals {
public:
    // Throws std::system_error.
    ShutdownSignals();
    ~ShutdownSignals();
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    int fd() const { return m_readEnd.get(); }

private:
    UniqueFd m_readEnd;
    UniqueFd m_writeEnd;
};

}  // namespace qelv::modemsim
