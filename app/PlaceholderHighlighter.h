#pragma once

#include <QSyntaxHighlighter>

// Colours the placeholders the sender fills in, and marks every other
// %word% as a likely typo: the sender leaves those as they are, and the
// customer would see them. Only the look changes, never the text.
class PlaceholderHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit PlaceholderHighlighter(QTextDocument *document);

    static const QStringList &knownPlaceholders();
    // The known placeholder closest to word (which includes its % signs).
    static QString nearestPlaceholder(const QString &word);
    // Advice for the operator about the %word% at this place, or "".
    QString adviceAt(const QTextBlock &block, int positionInBlock) const;

    static QColor placeholderColour() { return {0, 110, 40}; }
    static QColor warningColour() { return {220, 0, 0}; }

protected:
    void highlightBlock(const QString &text) override;
};
