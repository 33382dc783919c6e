// The scenario-script parser: how a script splits into lines and tokens, and
// how its words read as numbers.
//
// - Lines come in file order, numbered within the file, each with tokens or
//   with an error; a line of the script splits alone as it does in the script.
// - Words hold no blank and no quote and never start with '#'; an index is
//   digits onward; a line written again from its tokens (texts quoted) splits
//   into the same tokens.
// - A word read as a whole number reads as the same number; a number is the
//   value the C library's own reader gives the same text, whatever the
//   user's locale (the process runs under a decimal-comma one).
#include <QLocale>
#include <QString>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "script/ScriptParser.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The C library's reading of a whole text: base 10 or 16, or a double.
template <typename T> std::optional<T> fromChars(const std::string& text, int base = 10)
{
    T value{};
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, value, base);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return value;
}

std::optional<double> fromCharsReal(std::string text)
{
    if (!text.empty() && text.front() == '+') text.erase(0, 1);
    double value = 0;
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, value);
    if (r.ec != std::errc() || r.ptr != last) return std::nullopt;
    return value;
}

void checkNumbers(const QString& word)
{
    const std::string text = word.toStdString();
    const std::optional<qint64> whole = ScriptParser::toInteger(word);
    const std::optional<double> number = ScriptParser::toNumber(word);
    if (whole) {
        FUZZ_CHECK(number && *number == static_cast<double>(*whole));
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        std::string digits = hex ? text.substr(2) : text;
        if (!hex && !digits.empty() && digits.front() == '+') digits.erase(0, 1);
        const auto expected = fromChars<int64_t>(digits, hex ? 16 : 10);
        FUZZ_CHECK(expected && *expected == *whole);
        return;
    }
    if (!number) return;
    FUZZ_CHECK(std::isfinite(*number));
    const std::optional<double> expected = fromCharsReal(text);
    FUZZ_CHECK(expected && *expected == *number);
}

// The line written again from its tokens.
QString rewritten(const ScriptLine& line)
{
    QStringList parts;
    for (const ScriptToken& token : line.tokens) {
        switch (token.kind) {
        case ScriptToken::Word:
            parts << token.text;
            break;
        case ScriptToken::Text:
            parts << ScriptParser::quoted(token.text);
            break;
        case ScriptToken::Index:
            parts << QStringLiteral("#") + token.text;
            break;
        }
    }
    return parts.join(u' ');
}

void checkLine(const ScriptLine& line)
{
    FUZZ_CHECK(!line.tokens.isEmpty() || !line.error.isEmpty());
    for (qsizetype i = 0; i < line.tokens.size(); ++i) {
        const ScriptToken& token = line.tokens[i];
        switch (token.kind) {
        case ScriptToken::Word:
            FUZZ_CHECK(!token.text.isEmpty() && token.text[0] != u'#' &&
                       !token.text.contains(u'"'));
            for (QChar c : token.text)
                FUZZ_CHECK(!isBlank(c));
            checkNumbers(token.text);
            break;
        case ScriptToken::Index:
            FUZZ_CHECK(i > 0 && !token.text.isEmpty() && token.text[0].isDigit());
            for (QChar c : token.text)
                FUZZ_CHECK(!isBlank(c));
            break;
        case ScriptToken::Text: {
            // Alone on a line of its own it is the same text again.
            const ScriptLine alone = ScriptParser::splitLine(ScriptParser::quoted(token.text), 1);
            FUZZ_CHECK(alone.error.isEmpty() && alone.tokens.size() == 1 &&
                       alone.tokens[0] == token);
            break;
        }
        }
    }
    if (!line.error.isEmpty()) return;
    const ScriptLine again = ScriptParser::splitLine(rewritten(line), line.number);
    FUZZ_CHECK(again.error.isEmpty() && again.tokens == line.tokens);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString source =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<ScriptLine> lines = ScriptParser::splitScript(source);
    const QStringList fileLines = source.split(u'\n');
    int previous = 0;
    for (const ScriptLine& line : lines) {
        FUZZ_CHECK(line.number > previous && line.number <= fileLines.size());
        previous = line.number;
        const ScriptLine alone = ScriptParser::splitLine(fileLines[line.number - 1], line.number);
        FUZZ_CHECK(alone.number == line.number && alone.tokens == line.tokens &&
                   alone.error == line.error);
        checkLine(line);
    }
    // Every line left out is blank or a comment.
    std::vector<bool> listed(static_cast<size_t>(fileLines.size()), false);
    for (const ScriptLine& line : lines)
        listed[static_cast<size_t>(line.number - 1)] = true;
    for (qsizetype n = 0; n < fileLines.size(); ++n) {
        if (listed[static_cast<size_t>(n)]) continue;
        const ScriptLine skipped = ScriptParser::splitLine(fileLines[n], static_cast<int>(n + 1));
        FUZZ_CHECK(skipped.tokens.isEmpty() && skipped.error.isEmpty());
    }
    // The whole input as one word, where numbers are more likely than in a script.
    checkNumbers(source);
    return 0;
}
