#include "options.h"

#include <gtest/gtest.h>

using namespace qelv;

namespace {

TEST(Options, ModesPortsAndWhatIsNotUnderstood) {
    EXPECT_EQ(parseOptions({}).mode, RunMode::Window);
    const Options json = parseOptions({"--json", "--ports", "/tmp/p"});
    EXPECT_EQ(json.mode, RunMode::Json);
    EXPECT_EQ(json.portsDir, "/tmp/p");
    EXPECT_EQ(parseOptions({"--ports=/x", "--text"}).portsDir, "/x");
    EXPECT_EQ(parseOptions({"--text", "--help"}).mode, RunMode::Help);
    EXPECT_EQ(parseOptions({"-V"}).mode, RunMode::Version);
    EXPECT_EQ(parseOptions({"--demo"}).mode, RunMode::Demo);
    EXPECT_FALSE(parseOptions({"--ports"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"--txt"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"COM1"}).error.isEmpty());
}

TEST(Options, VersionCarriesTheNumbersAndTheRecordsTexts) {
    const QString text = versionText();
    EXPECT_TRUE(text.startsWith("qel-v 1.1.0 "));
    EXPECT_TRUE(text.contains("1.1.0.0"));
    EXPECT_TRUE(text.contains("1.01"));
    EXPECT_TRUE(text.contains("Qel_V"));
    EXPECT_TRUE(text.contains("COMポートの起動状態・接続状態・機器名を取得するツール"));
    for (const char* option : {"--text", "--json", "--demo", "--ports", "--read-log", "at "})
        EXPECT_TRUE(helpText().contains(option)) << option;
}

}  // namespace
