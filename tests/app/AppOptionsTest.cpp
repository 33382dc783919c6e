#include <gtest/gtest.h>

#include "app/AppOptions.h"

namespace {

struct OptionsCase {
    QStringList args;
    bool wide;
    const char* settings;
    const char* script;
};

class CommandLine : public testing::TestWithParam<OptionsCase> {};

TEST_P(CommandLine, ParsesSwitchAndFiles)
{
    const OptionsCase& c = GetParam();
    AppOptions options;
    QString error;
    ASSERT_TRUE(ParseCommandLine(c.args, &options, &error)) << error.toStdString();
    EXPECT_EQ(options.wideBusList, c.wide);
    EXPECT_EQ(options.settingsFile, QString(c.settings));
    EXPECT_EQ(options.scriptFile, QString(c.script));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    testing::Values(
        OptionsCase{{}, false, "", ""}, OptionsCase{{"-r"}, true, "", ""},
        OptionsCase{{"-R"}, false, "", ""}, OptionsCase{{"-r "}, false, "", ""},
        OptionsCase{{"--r"}, false, "", ""}, OptionsCase{{"x", "-r"}, false, "", ""},
        OptionsCase{{"--script", "a.rtcs", "-r"}, false, "", "a.rtcs"},
        OptionsCase{{"-r", "--settings", "/tmp/s.ini"}, true, "/tmp/s.ini", ""},
        OptionsCase{{"--settings=/tmp/s.ini", "--script=b.rtcs"}, false, "/tmp/s.ini", "b.rtcs"},
        OptionsCase{{"-r", "--unknown", "--script", "c.rtcs"}, true, "", "c.rtcs"},
        OptionsCase{{"--settings", "one.ini", "--settings", "two.ini"}, false, "two.ini", ""}));

TEST(CommandLine, OptionWithoutFileIsAnErrorAndChangesNothing)
{
    const QStringList lines[] = {
        {"--script"},  {"--settings"},     {"-r", "--settings", "--script", "x"},
        {"--script="}, {"--settings", ""},
    };
    for (const QStringList& args : lines) {
        AppOptions options;
        options.settingsFile = "kept.ini";
        QString error;
        EXPECT_FALSE(ParseCommandLine(args, &options, &error)) << args.join(' ').toStdString();
        EXPECT_TRUE(error.contains("needs a file name")) << error.toStdString();
        EXPECT_EQ(options.settingsFile, "kept.ini");
        EXPECT_FALSE(options.wideBusList);
    }
}

} // namespace
