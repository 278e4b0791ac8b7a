#include "PlaceholderHighlighter.h"

#include <QRegularExpression>
#include <QTextBlock>

#include <algorithm>
#include <numeric>

namespace {

// A word between two % signs, as the sender would look for it.
const QRegularExpression &placeholderPattern()
{
    static const QRegularExpression pattern(QStringLiteral("%[A-Za-z0-9_]+%"));
    return pattern;
}

// Case-insensitive edit distance: "%timeLeft%" is one step from "%timeleft%".
int editDistance(const QString &a, const QString &b)
{
    const QString x = a.toLower(), y = b.toLower();
    QList<int> row(y.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= x.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const int above = row[j];
            row[j]
                = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

} // namespace

PlaceholderHighlighter::PlaceholderHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{ }

const QStringList &PlaceholderHighlighter::knownPlaceholders()
{
    static const QStringList known {QStringLiteral("%username%"), QStringLiteral("%IP%"),
        QStringLiteral("%TimeInit%"), QStringLiteral("%timeleft%")};
    return known;
}

QString PlaceholderHighlighter::nearestPlaceholder(const QString &word)
{
    const QStringList &known = knownPlaceholders();
    return *std::min_element(known.begin(), known.end(), [&](const QString &a, const QString &b) {
        return editDistance(word, a) < editDistance(word, b);
    });
}

QString PlaceholderHighlighter::adviceAt(const QTextBlock &block, int positionInBlock) const
{
    QRegularExpressionMatchIterator it = placeholderPattern().globalMatch(block.text());
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (positionInBlock < match.capturedStart() || positionInBlock >= match.capturedEnd())
            continue;
        const QString word = match.captured();
        if (knownPlaceholders().contains(word))
            return {};
        return tr("The sender does not fill in %1. Did you mean %2?")
            .arg(word, nearestPlaceholder(word));
    }
    return {};
}

void PlaceholderHighlighter::highlightBlock(const QString &text)
{
    QTextCharFormat known;
    known.setForeground(placeholderColour());
    QTextCharFormat unknown;
    unknown.setForeground(warningColour().darker(130));
    unknown.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    unknown.setUnderlineColor(warningColour());

    QRegularExpressionMatchIterator it = placeholderPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const bool isKnown = knownPlaceholders().contains(match.captured());
        setFormat(
            int(match.capturedStart()), int(match.capturedLength()), isKnown ? known : unknown);
    }
}
