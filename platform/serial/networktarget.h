#pragma once

/// \file
/// NetworkTarget, a serial port reached over TCP, and its URL form.

#include "qelvexport.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qelv {

/// How the bytes of a network serial port travel.
enum class NetworkProtocol {
    Rfc2217,  ///< telnet with the Com Port Control Option: line settings travel with the data
    Socket    ///< the bytes as they are, over plain TCP; the server's own line settings apply
};

/// A serial port behind a terminal server: rfc2217://HOST:PORT or socket://HOST:PORT.
struct NetworkTarget {
    NetworkProtocol protocol = NetworkProtocol::Rfc2217;  ///< which of the two schemes
    QString host;            ///< a name, an IPv4 address, or an IPv6 address without brackets
    std::uint16_t port = 0;  ///< 1 to 65535

    /// Equal when every field is.
    friend bool operator==(const NetworkTarget&, const NetworkTarget&) = default;
};

/// Whether `target` is written as a URL (letters, then "://") rather than as a device path.
/// Says nothing of whether the URL is well formed: parseNetworkTarget tells that.
QELV_EXPORT bool looksLikeUrl(const QString& target);

/// The target `url` names. The scheme is rfc2217 or socket (in any case); HOST is a name
/// (letters, digits, '-', '_', dot-separated labels), a dotted IPv4 address or an IPv6
/// address in brackets; PORT a decimal number from 1 to 65535. Nothing may follow the port.
/// Pure: nothing is looked up. Returns nothing for anything else and, when `problem` is
/// given, says there why (in English, for a usage error).
QELV_EXPORT std::optional<NetworkTarget> parseNetworkTarget(const QString& url,
                                                            QString* problem = nullptr);

/// HOST:PORT, with an IPv6 address in brackets: how the server is named to the user.
QELV_EXPORT QString formatServer(const NetworkTarget& target);

/// The URL parseNetworkTarget reads back, with the scheme in lower case.
QELV_EXPORT QString formatNetworkTarget(const NetworkTarget& target);

}  // namespace qelv
