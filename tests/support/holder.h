#pragma once

#include <QString>

#include <sys/types.h>
#include <initializer_list>

namespace qelv::test {

// Another process using a device: a child that keeps only the given descriptors of ours,
// optionally opens `path` itself (and puts it in exclusive mode), and waits to be killed.
class Holder {
public:
    explicit Holder(std::initializer_list<int> keep, const QString& path = {},
                    bool exclusive = false);
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    pid_t pid() const { return m_pid; }
    // Ends it with SIGKILL, the way a crashed program ends, and reaps it.
    void kill();

private:
    pid_t m_pid = -1;
};

}  // namespace qelv::test
