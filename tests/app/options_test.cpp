#include "options.h"

#include <gtest/gtest.h>

using namespace qelv;

namespace {

TEST(Options, ModesPortsAndWhatIsNotUnderstood) {
    EXPECT_EQ(parseOptions({}).mode, RunMode::Window);
    const Options json = parseOptions({"--json", "--ports", "/tmp/p"});
    EXPECT_EQ(json.mode, RunMode::Survey);
    EXPECT_EQ(json.output, Output::Json);
    EXPECT_EQ(json.portsDir, "/tmp/p");
    EXPECT_EQ(parseOptions({"--ports=/x", "--text"}).portsDir, "/x");
    EXPECT_EQ(parseOptions({"--ports=/x"}).mode, RunMode::Window);
    EXPECT_EQ(parseOptions({"--text", "--help"}).mode, RunMode::Help);
    EXPECT_EQ(parseOptions({"--text", "--json", "--version"}).mode, RunMode::Version);
    EXPECT_EQ(parseOptions({"-V"}).mode, RunMode::Version);
    EXPECT_FALSE(parseOptions({"--ports"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"--read-log"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"--txt"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"COM1"}).error.isEmpty());
}

TEST(Options, ModesThatGoTogetherAndTheOnesThatExcludeEachOther) {
    struct Row {
        QStringList args;
        RunMode mode;
        Output output;
    };
    const Row good[] = {
        {{"--text"}, RunMode::Survey, Output::Text},
        {{"--demo"}, RunMode::Demo, Output::Window},
        {{"--demo", "--json"}, RunMode::Demo, Output::Json},
        {{"--text", "--demo"}, RunMode::Demo, Output::Text},
        {{"--list"}, RunMode::List, Output::Text},
        {{"--json", "--list", "--ports", "/p"}, RunMode::List, Output::Json},
        {{"--json", "--json"}, RunMode::Survey, Output::Json},
        {{"--read-log", "f.log"}, RunMode::ReadLog, Output::Window},
        {{"--read-log=f.log"}, RunMode::ReadLog, Output::Window},
    };
    for (const Row& row : good) {
        const Options options = parseOptions(row.args);
        EXPECT_TRUE(options.error.isEmpty()) << options.error.toStdString();
        EXPECT_EQ(options.mode, row.mode) << row.args.join(' ').toStdString();
        EXPECT_EQ(options.output, row.output) << row.args.join(' ').toStdString();
    }
    EXPECT_EQ(parseOptions({"--read-log", "f.log"}).logFile, "f.log");
    const QStringList bad[] = {
        {"--text", "--json"},
        {"--list", "--text"},
        {"--list", "--demo"},
        {"--demo", "--text", "--json"},
        {"--read-log", "f", "--list"},
        {"--demo", "--ports", "/p"},
        {"--read-log", "f", "--ports", "/p"},
    };
    for (const QStringList& args : bad)
        EXPECT_TRUE(parseOptions(args).error.contains("exclude each other"))
            << args.join(' ').toStdString();
}

TEST(Options, VersionCarriesTheNumbersAndTheRecordsTexts) {
    const QString text = versionText();
    EXPECT_TRUE(text.startsWith("qel-v 1.1.0 "));
    EXPECT_TRUE(text.contains("1.1.0.0"));
    EXPECT_TRUE(text.contains("1.01"));
    EXPECT_TRUE(text.contains("Qel_V"));
    EXPECT_TRUE(text.contains("COMポートの起動状態・接続状態・機器名を取得するツール"));
    for (const char* option :
         {"--text", "--json", "--demo", "--list", "--ports", "--read-log", "at "})
        EXPECT_TRUE(helpText().contains(option)) << option;
}

}  // namespace

namespace {

TEST(Options, ParallelGoesWithEverySurveyAndWithNothingElse) {
    for (const QStringList& args :
         {QStringList{"--parallel"}, QStringList{"--parallel", "--text"},
          QStringList{"--json", "--parallel"}, QStringList{"--demo", "--parallel"},
          QStringList{"--parallel", "--ports", "/tmp/p", "--json"}}) {
        const Options options = parseOptions(args);
        EXPECT_TRUE(options.error.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(options.parallel) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(parseOptions({"--text"}).parallel);
    EXPECT_FALSE(parseOptions({"--parallel", "--list"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"--read-log", "x", "--parallel"}).error.isEmpty());
}

TEST(Options, IdentifyGoesWithEverySurveyAndWithNothingElse) {
    for (const QStringList& args :
         {QStringList{"--identify"}, QStringList{"--identify", "--text"},
          QStringList{"--json", "--identify", "--parallel"}, QStringList{"--demo", "--identify"},
          QStringList{"--identify", "--ports", "/tmp/p"}}) {
        const Options options = parseOptions(args);
        EXPECT_TRUE(options.error.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(options.identify) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(parseOptions({"--parallel", "--text"}).identify);
    EXPECT_FALSE(parseOptions({"--identify", "--list"}).error.isEmpty());
    EXPECT_FALSE(parseOptions({"--read-log", "x", "--identify"}).error.isEmpty());
    EXPECT_TRUE(helpText().contains("--identify"));
}

}  // namespace
