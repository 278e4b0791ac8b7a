#pragma once

#include <QPlainTextEdit>

class PlaceholderHighlighter;

// The template box. It shows the template with its lines broken where the
// stored text breaks them, and gives back exactly the text it was given plus
// the operator's edits: the editor underneath turns no-break spaces into
// spaces and every kind of line end into one, so the exact text is kept here.
//
// A CR LF is a line of the editor and a line typed with Return is stored as
// CR LF. Any other line end in a stored template (a lone CR or LF, U+2029,
// and the two characters the editor reserves for frames) is shown as a line
// separator carrying a mark of what it stands for, and is stored back as it
// was. A line separator of the template's own carries no mark.
class TemplateBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TemplateBox(QWidget *parent = nullptr);

    void setTemplate(const QString &text);
    QString templateText() const;

protected:
    bool viewportEvent(QEvent *event) override;

private:
    PlaceholderHighlighter *m_highlighter;
};
