#include "script/ScriptParser.h"

#include <QRegularExpression>

namespace ScriptParser {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The escapes a quoted text understands, as (written, meant) pairs.
constexpr struct {
    char16_t written;
    char16_t meant;
} kEscapes[] = {{u'"', u'"'}, {u'\\', u'\\'}, {u'r', u'\r'}, {u'n', u'\n'}, {u't', u'\t'}};

// The whole text, to its very end: "$" alone would also match before a last
// line end, and a quoted text can hold one ("12\n").
QRegularExpression anchored(const QString& pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern));
}

} // namespace

ScriptLine splitLine(QStringView line, int number)
{
    ScriptLine result;
    result.number = number;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = line[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (c == u'#') {
            // At the start of a line '#' always begins a comment.
            if (!result.tokens.isEmpty() && i + 1 < n && line[i + 1].isDigit()) {
                qsizetype end = i + 1;
                while (end < n && !isBlank(line[end]))
                    ++end;
                result.tokens.append({ScriptToken::Index, line.mid(i + 1, end - i - 1).toString()});
                i = end;
                continue;
            }
            break; // comment to the end of the line
        }
        if (c == u'"') {
            const qsizetype start = i;
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar d = line[i];
                if (d == u'"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == u'\\') {
                    if (i + 1 >= n) break;
                    const QChar e = line[i + 1];
                    bool known = false;
                    for (const auto& esc : kEscapes) {
                        if (e == QChar(esc.written)) {
                            text.append(QChar(esc.meant));
                            known = true;
                            break;
                        }
                    }
                    if (!known) {
                        result.error =
                            QStringLiteral("unknown escape \\%1 in quoted text (column %2)")
                                .arg(e)
                                .arg(i + 1);
                        return result;
                    }
                    i += 2;
                    continue;
                }
                text.append(d);
                ++i;
            }
            if (!closed) {
                result.error =
                    QStringLiteral("quoted text opened at column %1 is not closed").arg(start + 1);
                return result;
            }
            if (i < n && !isBlank(line[i]) && line[i] != u'#') {
                result.error =
                    QStringLiteral("a blank must follow the quoted text (column %1)").arg(i + 1);
                return result;
            }
            result.tokens.append({ScriptToken::Text, text});
            continue;
        }
        qsizetype end = i;
        while (end < n && !isBlank(line[end])) {
            if (line[end] == u'"') {
                result.error =
                    QStringLiteral("a quote inside a word (column %1); quote the whole text")
                        .arg(end + 1);
                return result;
            }
            ++end;
        }
        result.tokens.append({ScriptToken::Word, line.mid(i, end - i).toString()});
        i = end;
    }
    return result;
}

QList<ScriptLine> splitScript(const QString& source)
{
    QList<ScriptLine> lines;
    int number = 0;
    for (QStringView line : QStringView(source).split(u'\n')) {
        ++number;
        ScriptLine split = splitLine(line, number);
        if (!split.tokens.isEmpty() || !split.error.isEmpty()) lines.append(std::move(split));
    }
    return lines;
}

std::optional<qint64> toInteger(const QString& word)
{
    static const QRegularExpression hex = anchored(QStringLiteral("0[xX]([0-9A-Fa-f]{1,15})"));
    static const QRegularExpression dec = anchored(QStringLiteral("[+-]?[0-9]{1,18}"));
    if (const auto m = hex.match(word); m.hasMatch()) return m.captured(1).toLongLong(nullptr, 16);
    if (dec.match(word).hasMatch()) return word.toLongLong(nullptr, 10);
    return std::nullopt;
}

std::optional<double> toNumber(const QString& word)
{
    if (const auto whole = toInteger(word)) return static_cast<double>(*whole);
    static const QRegularExpression dec =
        anchored(QStringLiteral("[+-]?([0-9]{1,15}(\\.[0-9]*)?|\\.[0-9]+)"));
    if (!dec.match(word).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        bool escaped = false;
        for (const auto& esc : kEscapes) {
            if (c == QChar(esc.meant)) {
                out.append(u'\\');
                out.append(QChar(esc.written));
                escaped = true;
                break;
            }
        }
        if (!escaped) out.append(c);
    }
    out.append(u'"');
    return out;
}

} // namespace ScriptParser
