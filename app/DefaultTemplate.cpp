#include "DefaultTemplate.h"

#include <QStringList>

QString defaultTemplate()
{
    const QString indent(3, QLatin1Char(' '));
    const QStringList lines = {
        QString(),
        QString(),
        indent + QStringLiteral("Hi") + QString(121, QLatin1Char(' ')),
        indent + QStringLiteral("Dear  %username%"),
        QString(),
        indent + QStringLiteral("Thanks for your choice"),
        QString(),
        QString(),
        indent + QStringLiteral("Your assigned IP is : %IP%"),
        indent + QStringLiteral("Your Total credits  time is :  %TimeInit% Mins."),
        indent + QStringLiteral("Time Left credits is : %timeleft%"),
        QString(),
        indent,
        indent + QStringLiteral("Please visit our web site : www.welcora.example"),
        QString(),
        QString(),
        QString(),
        QString(52, QLatin1Char(' ')) + QStringLiteral("Have a good time"),
    };
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}
