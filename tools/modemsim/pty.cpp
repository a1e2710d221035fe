#include "pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace qelv::modemsim {

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

UniqueFd openMaster() {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.valid()) throwErrno("posix_openpt");
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) throwErrno("unlockpt");
    const int flags = ::fcntl(master.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        throwErrno("fcntl O_NONBLOCK");
    return master;
}

void makeRaw(int fd, const std::string& path) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) throwErrno("tcgetattr " + path);
    ::cfmakeraw(&settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) throwErrno("tcsetattr " + path);
}

}  // namespace

RawPty openRawPty() {
    RawPty pty;
    pty.master = openMaster();
    char name[128];
    if (::ptsname_r(pty.master.get(), name, sizeof name) != 0) throwErrno("ptsname_r");
    pty.slavePath = name;
    pty.slave = UniqueFd(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.slave.valid()) throwErrno("open " + pty.slavePath);
    makeRaw(pty.slave.get(), pty.slavePath);
    return pty;
}

void replaceSymlink(const std::string& target, const std::filesystem::path& link) {
    std::filesystem::path temporary = link;
    temporary += ".new" + std::to_string(::getpid());
    std::filesystem::remove(temporary);
    std::filesystem::create_symlink(target, temporary);
    // rename replaces an existing link in one step, so a reader never finds comN missing.
    std::filesystem::rename(temporary, link);
}

void removeSymlinkTo(const std::filesystem::path& link, const std::string& target) noexcept {
    std::error_code error;
    if (std::filesystem::read_symlink(link, error) == target && !error)
        std::filesystem::remove(link, error);
}

UniqueFd createAppendOnlyFile(const std::filesystem::path& path) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
    if (!fd.valid()) throwErrno("open " + path.string());
    return fd;
}

void writeAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) throwErrno("write");
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

}  // namespace qelv::modemsim
