#pragma once

#include "FileIo.h"

#include <QChar>
#include <QString>

// The command line Zentaro runs for every accounting event: the sender, which
// sits beside this program, and the tokens Zentaro fills in.
struct AccountingCommand
{
    QString line; // empty when the folder cannot be used
    QString error; // why not, in plain words
    QString sender; // the file Zentaro will run, in the platform's spelling

    // folder: where the sender is, as the file system spells it; separator:
    // the platform's own ('/' here, '\\' on Windows). A folder the command
    // line cannot carry exactly is refused.
    static AccountingCommand forFolder(const FilePath &folder, QChar separator);
};
