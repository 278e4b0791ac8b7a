#include "Skin.h"

#include <QFile>
#include <QWidget>

Skin::Skin(QObject *parent)
    : QObject(parent)
{ }

void Skin::apply(QWidget *window)
{
    QFile sheet(QStringLiteral(":/skin/welcora.qss"));
    if (sheet.open(QIODevice::ReadOnly))
        window->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    ++m_applied;
}
