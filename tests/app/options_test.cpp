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

}  // namespace

namespace {

TEST(Options, MetricsIsASurveyModeAndOutputNeedsAPrintedOne) {
    struct Row {
        QStringList args;
        RunMode mode;
        Output output;
        QString file;
    };
    const Row good[] = {
        {{"--metrics"}, RunMode::Survey, Output::Metrics, {}},
        {{"--parallel", "--metrics", "--ports", "/p"}, RunMode::Survey, Output::Metrics, {}},
        {{"--metrics", "--output", "/var/lib/x.prom"},
         RunMode::Survey,
         Output::Metrics,
         "/var/lib/x.prom"},
        {{"--output=t.txt", "--text"}, RunMode::Survey, Output::Text, "t.txt"},
        {{"--json", "--output", "s.json", "--parallel"}, RunMode::Survey, Output::Json, "s.json"},
        {{"--list", "--output", "l.txt"}, RunMode::List, Output::Text, "l.txt"},
        {{"--output", "l.json", "--list", "--json"}, RunMode::List, Output::Json, "l.json"},
        {{"--demo", "--text", "--output", "d.txt"}, RunMode::Demo, Output::Text, "d.txt"},
    };
    for (const Row& row : good) {
        const Options options = parseOptions(row.args);
        EXPECT_TRUE(options.error.isEmpty())
            << row.args.join(' ').toStdString() << ": " << options.error.toStdString();
        EXPECT_EQ(options.mode, row.mode) << row.args.join(' ').toStdString();
        EXPECT_EQ(options.output, row.output) << row.args.join(' ').toStdString();
        EXPECT_EQ(options.outputFile, row.file) << row.args.join(' ').toStdString();
    }
    const QStringList clashes[] = {
        {"--metrics", "--text"},
        {"--json", "--metrics"},
        {"--metrics", "--list"},
        {"--metrics", "--demo"},
        {"--read-log", "f", "--output", "x"},
    };
    for (const QStringList& args : clashes)
        EXPECT_TRUE(parseOptions(args).error.contains("exclude each other"))
            << args.join(' ').toStdString();
    const QStringList noPrintedMode[] = {
        {"--output", "x"}, {"--demo", "--output", "x"}, {"--parallel", "--output=x"}};
    for (const QStringList& args : noPrintedMode)
        EXPECT_EQ(parseOptions(args).error, "--output needs --text, --json, --metrics or --list")
            << args.join(' ').toStdString();
    EXPECT_EQ(parseOptions({"--text", "--output"}).error, "--output needs a value");
    EXPECT_EQ(parseOptions({"--text", "--output="}).error, "--output needs a file name");
    for (const char* option : {"--metrics", "--output", "check "})
        EXPECT_TRUE(helpText().contains(option)) << option;
}

}  // namespace
