#include "AccountingCommand.h"

AccountingCommand AccountingCommand::forFolder(QString folder, QChar separator)
{
    AccountingCommand command;
    if (folder.contains(QLatin1Char('\r')) || folder.contains(QLatin1Char('\n'))
        || folder.contains(QChar(0))) {
        command.error = QStringLiteral("The program's folder \"%1\" contains a line break, which "
                                       "cannot be written into Zentaro's configuration.")
                            .arg(folder);
        return command;
    }
    // A folder at the root already ends with its separator.
    while (folder.endsWith(separator))
        folder.chop(1);
    QString program = folder + separator + QStringLiteral("kovrapost");
    // Unquoted, the host would split the path at the blank and run something else.
    if (program.contains(QLatin1Char(' ')) || program.contains(QLatin1Char('\t')))
        program = QLatin1Char('"') + program + QLatin1Char('"');
    command.line = program + QStringLiteral("  $type $user $nas");
    return command;
}
