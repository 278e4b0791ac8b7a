#include "TemplateBox.h"

#include "PlaceholderHighlighter.h"

#include <QHelpEvent>
#include <QTextBlock>
#include <QToolTip>

namespace {

// The character format property that marks a shown line separator as a
// stand-in for another line end; its value is the character stood in for.
constexpr int StoodInFor = QTextFormat::UserProperty + 1;

// What the editor breaks a line at, besides CR LF.
bool breaksLine(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator
        || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

} // namespace

TemplateBox::TemplateBox(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_highlighter(new PlaceholderHighlighter(document()))
{
    // Text typed beside a stand-in must not take its mark.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!textCursor().hasSelection() && currentCharFormat().hasProperty(StoodInFor))
            setCurrentCharFormat(QTextCharFormat());
    });
}

void TemplateBox::setTemplate(const QString &text)
{
    // Lines end at CR LF only; every other line end is shown as a line
    // separator and remembered in its format.
    QString shown;
    shown.reserve(text.size());
    QList<QPair<int, QChar>> standIns;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            shown.append(QLatin1Char('\n'));
            ++i;
        } else if (breaksLine(c)) {
            standIns.append({int(shown.size()), c});
            shown.append(QChar::LineSeparator);
        } else {
            shown.append(c);
        }
    }
    setPlainText(shown);
    if (standIns.isEmpty())
        return;
    // Positions in the document count each line break as one character, as
    // 'shown' does.
    const bool undo = document()->isUndoRedoEnabled();
    document()->setUndoRedoEnabled(false);
    QTextCursor cursor(document());
    for (const auto &[position, original] : standIns) {
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        QTextCharFormat mark;
        mark.setProperty(StoodInFor, QString(original));
        cursor.mergeCharFormat(mark);
    }
    document()->setUndoRedoEnabled(undo);
    document()->setModified(false);
}

QString TemplateBox::templateText() const
{
    QString text;
    text.reserve(document()->characterCount() + document()->blockCount());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin())
            text.append(QLatin1String("\r\n"));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString part = fragment.text();
            const QString original = fragment.charFormat().stringProperty(StoodInFor);
            if (original.size() == 1)
                part.replace(QChar::LineSeparator, original.at(0));
            text.append(part);
        }
    }
    return text;
}

bool TemplateBox::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QTextCursor at = cursorForPosition(help->pos());
        const QString tip = m_highlighter->adviceAt(at.block(), at.positionInBlock());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}
