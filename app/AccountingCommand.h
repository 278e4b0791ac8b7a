#pragma once

#include <QChar>
#include <QString>

// The command line Zentaro runs for every accounting event: the sender, which
// sits beside this program, and the tokens Zentaro fills in.
struct AccountingCommand
{
    QString line; // empty when the folder cannot be used
    QString error; // why not, in plain words

    // folder: where the sender is, as the system reports it; separator: the
    // platform's own ('/' here, '\\' on Windows).
    static AccountingCommand forFolder(QString folder, QChar separator);
};
