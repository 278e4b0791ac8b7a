#pragma once

#include <QColor>
#include <QLineEdit>

// A password box: one '*' per character, and no input method, so nothing
// typed into it passes through (or is remembered by) a composition window.
class PasswordBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit PasswordBox(QWidget *parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // A background of its own, painted over whatever the skin says; an
    // invalid colour returns the box to the skin's.
    void setBackground(const QColor &colour);
    QColor background() const { return m_background; }

private:
    void restyle();

    QColor m_background;
};
