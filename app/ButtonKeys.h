#pragma once

#include <QObject>

class QPushButton;

// Return and Enter click the button that has the keyboard focus, as Space
// does. No button becomes a default button, so Return typed in a text box
// still belongs to the text box.
class ButtonKeys : public QObject
{
    Q_OBJECT

public:
    static void install(QPushButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
