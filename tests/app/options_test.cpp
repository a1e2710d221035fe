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
    // Help and version do not hide a word that is no option, before or after them.
    for (const QStringList& args : {QStringList{"--help", "--bogus"},
                                    {"--bogus", "--help"},
                                    {"-V", "--txt"},
                                    {"--help", "--ports"}})
        EXPECT_FALSE(parseOptions(args).error.isEmpty()) << args.join(' ').toStdString();
    EXPECT_EQ(parseOptions({"--help", "--version"}).mode, RunMode::Help);
    EXPECT_EQ(parseOptions({"-V", "--help"}).mode, RunMode::Version);
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

TEST(Options, PortNamesADeviceOrANetworkPortForOneComNumber) {
    const Options options =
        parseOptions({"--port", "COM3=rfc2217://ts1:4001", "--text", "--port=com16=/dev/ttyUSB0",
                      "--port", "COM1=socket://[::1]:7", "--parallel"});
    EXPECT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_EQ(options.mode, RunMode::Survey);
    EXPECT_EQ(
        options.portTargets,
        (PortTargets{{1, "socket://[::1]:7"}, {3, "rfc2217://ts1:4001"}, {16, "/dev/ttyUSB0"}}));
    for (const QStringList& args :
         {QStringList{"--port", "COM2=/dev/x"}, QStringList{"--list", "--port", "COM2=/dev/x"},
          QStringList{"--port", "COM2=/dev/x", "--json", "--ports", "/p"}})
        EXPECT_TRUE(parseOptions(args).error.isEmpty()) << args.join(' ').toStdString();

    const std::pair<QStringList, const char*> bad[] = {
        {{"--port"}, "needs a value"},
        {{"--port", "COM0=/dev/x"}, "COM0=/dev/x"},
        {{"--port", "COM17=/dev/x"}, "COM17=/dev/x"},
        {{"--port", "COM3"}, "COMn=TARGET"},
        {{"--port", "3=/dev/x"}, "COMn=TARGET"},
        {{"--port", "COM3="}, "no device or URL"},
        {{"--port", "COM3=rfc2217://ts1"}, "rfc2217://ts1 is no network port: no port"},
        {{"--port", "COM3=rfc2217://ts1:0"}, "1 to 65535"},
        {{"--port", "COM3=rfc2217://ts1:65536"}, "1 to 65535"},
        {{"--port", "COM3=rfc2217://:4001"}, "host is empty"},
        {{"--port", "COM3=ftp://ts1:21"}, "unknown scheme ftp://"},
        {{"--port", "COM3=/dev/a", "--port", "com3=/dev/b"}, "COM3 is given twice"},
        {{"--port", "COM3=/dev/a", "--demo"}, "exclude each other"},
        {{"--read-log", "f", "--port", "COM3=/dev/a"}, "exclude each other"},
    };
    for (const auto& [args, why] : bad) {
        const QString error = parseOptions(args).error;
        EXPECT_TRUE(error.contains(QLatin1String(why)))
            << args.join(' ').toStdString() << ": " << error.toStdString();
    }
    EXPECT_TRUE(helpText().contains("--port COMn=TARGET"));
    EXPECT_TRUE(helpText().contains("rfc2217://HOST:PORT"));
}

}  // namespace
