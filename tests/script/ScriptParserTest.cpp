#include <gtest/gtest.h>

#include <QLocale>
#include <QString>
#include <clocale>
#include <string>
#include <vector>

#include "support/AppTestSupport.h"
#include "script/ScriptParser.h"
#include "script/ScriptSession.h"

namespace {

using Kind = ScriptToken::Kind;

struct SplitCase {
    const char* line;
    std::vector<ScriptToken> tokens;
};

class ScriptSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ScriptSplit, GivesTheTokensOfTheLine)
{
    const SplitCase& c = GetParam();
    const ScriptLine line = ScriptParser::splitLine(QString::fromUtf8(c.line), 7);
    EXPECT_EQ(line.error, QString());
    EXPECT_EQ(line.number, 7);
    ASSERT_EQ(line.tokens.size(), static_cast<qsizetype>(c.tokens.size())) << c.line;
    for (size_t i = 0; i < c.tokens.size(); ++i) {
        EXPECT_EQ(line.tokens[static_cast<qsizetype>(i)].kind, c.tokens[i].kind)
            << c.line << " #" << i;
        EXPECT_EQ(line.tokens[static_cast<qsizetype>(i)].text, c.tokens[i].text)
            << c.line << " #" << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptSplit,
    ::testing::Values(
        SplitCase{"click BtnWrAlarm", {{Kind::Word, "click"}, {Kind::Word, "BtnWrAlarm"}}},
        SplitCase{"  \tclick   BtnA  ", {{Kind::Word, "click"}, {Kind::Word, "BtnA"}}},
        SplitCase{"expect status 1 \" USB: Active\"",
                  {{Kind::Word, "expect"},
                   {Kind::Word, "status"},
                   {Kind::Word, "1"},
                   {Kind::Text, " USB: Active"}}},
        SplitCase{
            "expect X text \"\"",
            {{Kind::Word, "expect"}, {Kind::Word, "X"}, {Kind::Word, "text"}, {Kind::Text, ""}}},
        // Escapes: quote, backslash, the adapter's carriage return, newline, tab.
        SplitCase{
            R"(expect box "a \"b\" \\ c\rd\ne\tf")",
            {{Kind::Word, "expect"}, {Kind::Word, "box"}, {Kind::Text, "a \"b\" \\ c\rd\ne\tf"}}},
        SplitCase{"tick # one more poll", {{Kind::Word, "tick"}}},
        SplitCase{"type Edit \"# not a comment\"#but this is",
                  {{Kind::Word, "type"}, {Kind::Word, "Edit"}, {Kind::Text, "# not a comment"}}},
        SplitCase{"select DeviceSel #12",
                  {{Kind::Word, "select"}, {Kind::Word, "DeviceSel"}, {Kind::Index, "12"}}},
        SplitCase{"select DeviceSel #note", {{Kind::Word, "select"}, {Kind::Word, "DeviceSel"}}},
        SplitCase{"#1 is a comment at the start of a line", {}}, SplitCase{"# comment", {}},
        SplitCase{"sim poke 0xA2 0x07 255",
                  {{Kind::Word, "sim"},
                   {Kind::Word, "poke"},
                   {Kind::Word, "0xA2"},
                   {Kind::Word, "0x07"},
                   {Kind::Word, "255"}}},
        SplitCase{"expect P00 colour \"#A6CAF0\"",
                  {{Kind::Word, "expect"},
                   {Kind::Word, "P00"},
                   {Kind::Word, "colour"},
                   {Kind::Text, "#A6CAF0"}}},
        SplitCase{"type Edit \"Grüße\"",
                  {{Kind::Word, "type"}, {Kind::Word, "Edit"}, {Kind::Text, "Grüße"}}}));

struct BadLine {
    const char* line;
    const char* error;
};

class ScriptSplitError : public ::testing::TestWithParam<BadLine> {};

TEST_P(ScriptSplitError, NamesWhatIsWrong)
{
    const ScriptLine line = ScriptParser::splitLine(QString::fromUtf8(GetParam().line), 1);
    EXPECT_EQ(line.error, QString::fromUtf8(GetParam().error));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptSplitError,
    ::testing::Values(
        BadLine{"type Edit \"abc", "quoted text opened at column 11 is not closed"},
        BadLine{"type Edit \"abc\\", "quoted text opened at column 11 is not closed"},
        BadLine{"expect box \"a\\qb\"", "unknown escape \\q in quoted text (column 14)"},
        BadLine{"type Edit ab\"c\"", "a quote inside a word (column 13); quote the whole text"},
        BadLine{"type Edit \"ab\"c", "a blank must follow the quoted text (column 15)"}));

TEST(ScriptSplitScript, KeepsLineNumbersAndLeavesOutBlankAndCommentLines)
{
    const QList<ScriptLine> lines = ScriptParser::splitScript(
        QStringLiteral("# heading\n\nclick A\r\n   \n  # indented comment\ntype B \"x\n tick\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].tokens.size(), 2); // the Windows line end is a blank
    EXPECT_EQ(lines[1].number, 6);
    EXPECT_FALSE(lines[1].error.isEmpty());
    EXPECT_EQ(lines[2].number, 7);
    EXPECT_EQ(lines[2].tokens.front().text, QStringLiteral("tick"));
}

struct NumberCase {
    const char* word;
    std::optional<qint64> integer;
    std::optional<double> number;
};

class ScriptNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ScriptNumbers, ReadDecimalAndHexadecimal)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(ScriptParser::toInteger(QString::fromLatin1(c.word)), c.integer) << c.word;
    EXPECT_EQ(ScriptParser::toNumber(QString::fromLatin1(c.word)), c.number) << c.word;
}

INSTANTIATE_TEST_SUITE_P(
    Words, ScriptNumbers,
    ::testing::Values(
        NumberCase{"12", 12, 12.0}, NumberCase{"0", 0, 0.0}, NumberCase{"-3", -3, -3.0},
        NumberCase{"+4", 4, 4.0}, NumberCase{"0x1F", 31, 31.0}, NumberCase{"0XfF", 255, 255.0},
        NumberCase{"0.11", std::nullopt, 0.11}, NumberCase{"-2.5", std::nullopt, -2.5},
        NumberCase{".5", std::nullopt, 0.5}, NumberCase{"0x", std::nullopt, std::nullopt},
        NumberCase{"0x1G", std::nullopt, std::nullopt},
        NumberCase{"1e5", std::nullopt, std::nullopt},
        NumberCase{"inf", std::nullopt, std::nullopt},
        NumberCase{"nan", std::nullopt, std::nullopt},
        NumberCase{"12a", std::nullopt, std::nullopt}, NumberCase{"", std::nullopt, std::nullopt},
        NumberCase{"-0x10", std::nullopt, std::nullopt},
        // A line end after the number (a quoted text can hold one) is no number.
        NumberCase{"12\n", std::nullopt, std::nullopt},
        NumberCase{"0x1F\n", std::nullopt, std::nullopt},
        NumberCase{"2.5\n", std::nullopt, std::nullopt},
        // Too long to hold: refused, never wrapped round.
        NumberCase{"9999999999999999999", std::nullopt, std::nullopt},
        NumberCase{"0x10000000000000000", std::nullopt, std::nullopt},
        NumberCase{"1234567890123456.5", std::nullopt, std::nullopt}));

// A user whose locale writes a decimal comma (and a point between thousands)
// runs the same scripts: numbers are read as the C locale writes them.
class DecimalCommaLocale {
  public:
    DecimalCommaLocale() : qtBefore_(QLocale())
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (const char* c = std::setlocale(LC_ALL, nullptr)) cBefore_ = c;
        // The C library's own, where the machine has one.
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
            if (std::setlocale(LC_ALL, name)) break;
        }
    }
    ~DecimalCommaLocale()
    {
        QLocale::setDefault(qtBefore_);
        std::setlocale(LC_ALL, cBefore_.c_str());
    }

  private:
    QLocale qtBefore_;
    std::string cBefore_ = "C";
};

TEST(ScriptNumbersInTheUsersLocale, AreReadAsTheCLocaleWritesThem)
{
    const DecimalCommaLocale german;
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    EXPECT_EQ(ScriptParser::toNumber(QStringLiteral("2.5")), 2.5);
    EXPECT_EQ(ScriptParser::toNumber(QStringLiteral("1.000")), 1.0);
    EXPECT_EQ(ScriptParser::toNumber(QStringLiteral("-0.11")), -0.11);
    EXPECT_EQ(ScriptParser::toNumber(QStringLiteral("2,5")), std::nullopt);
    EXPECT_EQ(ScriptParser::toInteger(QStringLiteral("1.000")), std::nullopt);
    EXPECT_EQ(ScriptParser::toInteger(QStringLiteral("-12")), -12);

    // As a script's steps take them.
    const Script script = ScriptLanguage::compile(
        QStringLiteral("t.rtcs"),
        QStringLiteral("pctime \"2024-03-01 12:00:05\"\nsim temp -12.5\nadvance 1.000\n"));
    ASSERT_TRUE(script.runnable());
    EXPECT_EQ(script.startTime, QDateTime(QDate(2024, 3, 1), QTime(12, 0, 5)));
    EXPECT_EQ(script.steps[1].args.number, -12.5);
    EXPECT_EQ(script.steps[2].args.number, 1.0);
    const Script comma =
        ScriptLanguage::compile(QStringLiteral("t.rtcs"), QStringLiteral("sim vdd 2,5"));
    ASSERT_TRUE(comma.steps.front().error.has_value());
    EXPECT_EQ(comma.steps.front().error->found,
              QStringLiteral("\"2,5\" where VOLTS (0 to 6) belongs"));
}

TEST(ScriptQuoted, SplitsBackToTheSameText)
{
    for (const QString& text : {QStringLiteral("plain"), QStringLiteral(" lead and trail "),
                                QStringLiteral("Communication error Occured\rNo such board"),
                                QStringLiteral("say \"hi\" \\ # tab\there\n")}) {
        const QString line = QStringLiteral("expect box ") + ScriptParser::quoted(text);
        const ScriptLine split = ScriptParser::splitLine(line, 1);
        ASSERT_TRUE(split.error.isEmpty()) << line.toStdString();
        ASSERT_EQ(split.tokens.size(), 3);
        EXPECT_EQ(split.tokens[2].text, text);
    }
}

} // namespace
