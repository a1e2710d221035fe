#include "tcpconnect.h"

#include "linetime.h"
#include "networktexts.h"
#include "shutdown.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qelv {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a wait looks for a request to end the program: a signal does not cut a wait
// short on its own (poll is restarted after it).
constexpr milliseconds kLook{50};

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

// One lookup, shared with the thread that runs it: a lookup that outlives its limit finishes
// on its own and is forgotten.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int code = 0;
    std::vector<Address> addresses;
};

void runLookup(const std::shared_ptr<Lookup>& lookup, const std::string& host,
               const std::string& service, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    const int code = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    std::vector<Address> addresses;
    for (const addrinfo* a = found; code == 0 && a; a = a->ai_next) {
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        address.family = a->ai_family;
        addresses.push_back(address);
    }
    if (found) ::freeaddrinfo(found);
    const std::lock_guard lock(lookup->mutex);
    lookup->code = code;
    lookup->addresses = std::move(addresses);
    lookup->finished = true;
    lookup->done.notify_all();
}

std::vector<Address> resolve(const NetworkTarget& target, Clock::time_point deadline, int limitMs) {
    auto lookup = std::make_shared<Lookup>();
    const std::string host = target.host.toStdString();
    const std::string service = std::to_string(target.port);
    // An address needs no name server and must never ask one.
    runLookup(lookup, host, service, AI_NUMERICHOST | AI_NUMERICSERV);
    if (lookup->code == EAI_NONAME) {
        lookup = std::make_shared<Lookup>();
        std::thread(runLookup, lookup, host, service, AI_NUMERICSERV).detach();
        std::unique_lock lock(lookup->mutex);
        while (!lookup->finished) {
            lock.unlock();
            shutdown::throwIfRequested();
            lock.lock();
            if (msUntil(deadline) == 0)
                throw connectError(ConnectFailure::LookupTimeout, target, limitMs);
            lookup->done.wait_for(lock, std::min(milliseconds(msUntil(deadline)), kLook));
        }
    }
    if (lookup->code != 0)
        throw connectError(classifyLookupError(lookup->code), target, limitMs,
                           QString::fromLocal8Bit(::gai_strerror(lookup->code)));
    return lookup->addresses;
}

// 0 once connected, else the errno of the failure (ETIMEDOUT when the deadline came).
int connectOne(int fd, const Address& address, Clock::time_point deadline) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
        return 0;
    if (errno != EINPROGRESS) return errno;
    for (;;) {
        shutdown::throwIfRequested();
        const milliseconds wait = std::min(milliseconds(msUntil(deadline)), kLook);
        pollfd writable{fd, POLLOUT, 0};
        const int ready = ::poll(&writable, 1, static_cast<int>(wait.count()));
        if (ready < 0 && errno != EINTR) return errno;
        if (ready > 0) {
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
            return error;
        }
        if (msUntil(deadline) == 0) return ETIMEDOUT;
    }
}

}  // namespace

ConnectFailure classifyConnectErrno(int error) {
    switch (error) {
        case ECONNREFUSED:
            return ConnectFailure::Refused;
        case ETIMEDOUT:
            return ConnectFailure::Timeout;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
        case EHOSTDOWN:
            return ConnectFailure::Unreachable;
        default:
            return ConnectFailure::Other;
    }
}

ConnectFailure classifyLookupError(int code) {
    switch (code) {
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
        case EAI_FAMILY:
            return ConnectFailure::NoSuchHost;
        default:
            return ConnectFailure::LookupFailed;
    }
}

ModemError connectError(ConnectFailure failure, const NetworkTarget& target, int limitMs,
                        const QString& detail) {
    using namespace networktexts;
    const QString server = formatServer(target);
    QString reason;
    switch (failure) {
        case ConnectFailure::NoSuchHost:
            reason = kNoSuchHost.arg(target.host);
            break;
        case ConnectFailure::LookupFailed:
            reason = kLookupFailed.arg(target.host, detail);
            break;
        case ConnectFailure::LookupTimeout:
            reason = kLookupTimeout.arg(target.host).arg(limitMs);
            break;
        case ConnectFailure::Refused:
            reason = kRefused.arg(server);
            break;
        case ConnectFailure::Timeout:
            reason = kConnectTimeout.arg(server).arg(limitMs);
            break;
        case ConnectFailure::Unreachable:
            reason = kUnreachable.arg(server);
            break;
        case ConnectFailure::Other:
            reason = kCannotConnect.arg(server, detail);
            break;
    }
    return ModemError(errc::kPortOpenFailed, reason, OpenFailure::Other);
}

int connectTcp(const NetworkTarget& target, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    const int limitMs = static_cast<int>(limit.count());
    int lastError = ETIMEDOUT;
    for (const Address& address : resolve(target, deadline, limitMs)) {
        const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        try {
            lastError = connectOne(fd, address, deadline);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (lastError == 0) {
            // An AT command is a few bytes written at once; Nagle's algorithm would hold a
            // second small write back until the first is acknowledged.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return fd;
        }
        ::close(fd);
        if (msUntil(deadline) == 0) break;
    }
    throw connectError(classifyConnectErrno(lastError), target, limitMs,
                       QString::fromLocal8Bit(std::strerror(lastError)));
}

}  // namespace qelv
