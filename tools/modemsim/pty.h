#pragma once

#include "uniquefd.h"

#include <filesystem>
#include <string>

namespace qelv::modemsim {

struct RawPty {
    UniqueFd master;  // non-blocking
    UniqueFd slave;   // held open, never read
    std::string slavePath;
};

// A pseudo-terminal whose slave is in raw mode. The slave stays open for the pty's life: while
// any slave fd is open the master never reports a hang-up, and the raw settings survive clients
// that come and go. Throws std::system_error.
RawPty openRawPty();

// Points `link` at `target`, replacing whatever link was there. Throws std::system_error.
void replaceSymlink(const std::string& target, const std::filesystem::path& link);
// Removes `link` only while it still points at `target`, so a newer owner's link survives.
void removeSymlinkTo(const std::filesystem::path& link, const std::string& target) noexcept;

// Opened for appending, emptied first. Throws std::system_error.
UniqueFd createAppendOnlyFile(const std::filesystem::path& path);
// Writes all of `bytes`. Throws std::system_error.
void writeAll(int fd, const char* bytes, std::size_t size);

}  // namespace qelv::modemsim
