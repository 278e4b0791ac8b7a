#include "PasswordBox.h"

PasswordBox::PasswordBox(QWidget *parent)
    : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    restyle();
}

void PasswordBox::setBackground(const QColor &colour)
{
    m_background = colour;
    restyle();
}

void PasswordBox::restyle()
{
    // 42 is '*': the mask character does not depend on the skin.
    QString sheet = QStringLiteral("QLineEdit { lineedit-password-character: 42;");
    if (m_background.isValid())
        sheet += QStringLiteral(" background-color: %1;").arg(m_background.name());
    setStyleSheet(sheet + QStringLiteral(" }"));
}

QVariant PasswordBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}
