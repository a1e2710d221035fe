#include "networktarget.h"

#include <gtest/gtest.h>

using namespace qelv;

namespace {

struct Row {
    const char* url;
    NetworkProtocol protocol;
    const char* host;
    int port;
};

TEST(NetworkTarget, WellFormedUrlsParse) {
    const Row rows[] = {
        {"rfc2217://ts1:4001", NetworkProtocol::Rfc2217, "ts1", 4001},
        {"RFC2217://ts1.lab.example:1", NetworkProtocol::Rfc2217, "ts1.lab.example", 1},
        {"socket://192.168.0.7:65535", NetworkProtocol::Socket, "192.168.0.7", 65535},
        {"Socket://[::1]:2000", NetworkProtocol::Socket, "::1", 2000},
        {"rfc2217://[fe80::1:2]:23", NetworkProtocol::Rfc2217, "fe80::1:2", 23},
        {"rfc2217://[::ffff:10.0.0.1]:23", NetworkProtocol::Rfc2217, "::ffff:10.0.0.1", 23},
        {"rfc2217://my_host-2:00080", NetworkProtocol::Rfc2217, "my_host-2", 80},
        {"socket://0.0.0.0:9", NetworkProtocol::Socket, "0.0.0.0", 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        QString problem;
        const auto target = parseNetworkTarget(QString::fromUtf8(row.url), &problem);
        ASSERT_TRUE(target) << problem.toStdString();
        EXPECT_EQ(target->protocol, row.protocol);
        EXPECT_EQ(target->host, QString::fromUtf8(row.host));
        EXPECT_EQ(target->port, row.port);
        EXPECT_TRUE(problem.isEmpty());
        EXPECT_EQ(parseNetworkTarget(formatNetworkTarget(*target)), target);
    }
}

TEST(NetworkTarget, MalformedUrlsDoNotParseAndSayWhy) {
    const std::pair<const char*, const char*> rows[] = {
        {"rfc2217://ts1", "no port"},
        {"rfc2217://ts1:", "no port"},
        {"rfc2217://[::1]", "no port"},
        {"rfc2217://[::1]:", "no port"},
        {"rfc2217://ts1:0", "1 to 65535"},
        {"rfc2217://ts1:65536", "1 to 65535"},
        {"rfc2217://ts1:123456", "1 to 65535"},
        {"rfc2217://ts1:-1", "1 to 65535"},
        {"rfc2217://ts1:+80", "1 to 65535"},
        {"rfc2217://ts1:80/", "1 to 65535"},
        {"rfc2217://ts1:80?logging=debug", "1 to 65535"},
        {"rfc2217://ts1: 80", "1 to 65535"},
        {"rfc2217://ts1:８０", "1 to 65535"},
        {"rfc2217://:4001", "host is empty"},
        {"socket://[]:4001", "host is empty"},
        {"telnet://ts1:23", "unknown scheme"},
        {"rfc2217x://ts1:23", "unknown scheme"},
        {"serial://ts1:23", "unknown scheme"},
        {"rfc2217://::1:80", "in brackets"},
        {"rfc2217://[::1:80", "no port"},
        {"rfc2217://[ts1]:80", "no IPv6"},
        {"rfc2217://[10.0.0.1]:80", "no IPv6"},
        {"rfc2217://10.0.0:80", "no IPv4"},
        {"rfc2217://10.0.0.256:80", "no IPv4"},
        {"rfc2217://010.0.0.1:80", "no IPv4"},
        {"rfc2217://4001:80", "no IPv4"},
        {"rfc2217://user@ts1:80", "no host name"},
        {"rfc2217://ts 1:80", "no host name"},
        {"rfc2217://-ts1:80", "no host name"},
        {"rfc2217://ts1.:80", "no host name"},
        {"rfc2217://ts..1:80", "no host name"},
        {"rfc2217://tś1:80", "no host name"},
        {"rfc2217:/ts1:80", "not a URL"},
        {"/dev/ttyUSB0", "not a URL"},
        {"", "not a URL"},
    };
    for (const auto& [url, why] : rows) {
        SCOPED_TRACE(url);
        QString problem;
        EXPECT_FALSE(parseNetworkTarget(QString::fromUtf8(url), &problem));
        EXPECT_TRUE(problem.contains(QLatin1String(why))) << problem.toStdString();
    }
    // A NUL inside an address must not end it early for the system's parser.
    EXPECT_FALSE(
        parseNetworkTarget(QStringLiteral("rfc2217://[::1") + QChar(0) + QStringLiteral("x]:80")));
    EXPECT_FALSE(parseNetworkTarget(QStringLiteral("rfc2217://") + QString(254, u'a') +
                                    QStringLiteral(":80")));
    EXPECT_FALSE(parseNetworkTarget(QStringLiteral("rfc2217://") + QString(64, u'a') +
                                    QStringLiteral(".b:80")));
}

TEST(NetworkTarget, UrlsAreToldFromDevicePaths) {
    for (const char* url : {"rfc2217://x", "socket://", "ftp://h:1", "a+b.c-d://"})
        EXPECT_TRUE(looksLikeUrl(QString::fromUtf8(url))) << url;
    for (const char* path :
         {"/dev/ttyUSB0", "ttyS0", "./rfc2217://x", "rfc2217:/x", "1a://x", "", "://x", "COM3"})
        EXPECT_FALSE(looksLikeUrl(QString::fromUtf8(path))) << path;
}

TEST(NetworkTarget, TheServerIsNamedWithAnIpv6AddressInBrackets) {
    EXPECT_EQ(formatServer({NetworkProtocol::Rfc2217, "::1", 4001}), "[::1]:4001");
    EXPECT_EQ(formatServer({NetworkProtocol::Socket, "ts1", 23}), "ts1:23");
    EXPECT_EQ(formatNetworkTarget({NetworkProtocol::Socket, "10.1.2.3", 23}),
              "socket://10.1.2.3:23");
}

}  // namespace
