#include "ButtonKeys.h"

#include <QKeyEvent>
#include <QPushButton>

void ButtonKeys::install(QPushButton *button)
{
    button->installEventFilter(new ButtonKeys(button));
}

bool ButtonKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool returnKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::KeypadModifier;
    if (!returnKey || others != Qt::NoModifier || key->isAutoRepeat())
        return false;
    auto *button = static_cast<QPushButton *>(watched);
    if (!button->isEnabled())
        return false;
    button->click();
    return true;
}
