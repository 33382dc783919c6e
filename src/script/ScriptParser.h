// Lines of a scenario script split into words, quoted texts and #index tokens.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

struct ScriptToken {
    enum Kind {
        Word,  // a run of non-blank characters
        Text,  // "quoted text", escapes resolved
        Index, // #N, an entry's position (the number, without '#', is in text)
    };
    Kind kind = Word;
    QString text;

    bool operator==(const ScriptToken&) const = default;
};

struct ScriptLine {
    int number = 0; // 1-based line in the file
    QList<ScriptToken> tokens;
    QString error; // why the line cannot be split; empty when it could
};

namespace ScriptParser {

// Splits one line. Blanks separate words; "..." holds blanks and the escapes
// \" \\ \r \n \t; a '#' that starts a word begins a comment, except that after
// the first word "#" and a digit start an #index.
ScriptLine splitLine(QStringView line, int number);

// Every line that holds a command or an error; blank and comment lines are left out.
QList<ScriptLine> splitScript(const QString& source);

// Numbers are read as the C locale writes them, whatever the user's locale
// ("2.5", never "2,5"): the same script means the same on every machine.
// Decimal ("12", "-3") or hexadecimal ("0x1F") whole numbers.
std::optional<qint64> toInteger(const QString& word);
// Whole numbers as above, or decimals with a fraction ("0.11", "-2.5").
std::optional<double> toNumber(const QString& word);

// The text as a script would write it: quoted, with the escapes above.
QString quoted(const QString& text);

} // namespace ScriptParser
