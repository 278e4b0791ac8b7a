#include "AccountingCommand.h"

#include <QStringDecoder>

AccountingCommand AccountingCommand::forFolder(const FilePath &where, QChar separator)
{
    AccountingCommand command;
    auto refuse = [&command, &where](const QString &why) {
        command.error = QStringLiteral("The program's folder \"%1\" %2, which cannot be written "
                                       "into Zentaro's configuration.")
                            .arg(where.display(), why);
        return command;
    };
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString folder = decoder.decode(where.native());
    if (decoder.hasError())
        return refuse(QStringLiteral("has bytes that are not valid in the file system's "
                                     "encoding (UTF-8)"));
    if (folder.contains(QLatin1Char('\r')) || folder.contains(QLatin1Char('\n'))
        || folder.contains(QChar(0)))
        return refuse(QStringLiteral("contains a line break"));
    if (folder.contains(QLatin1Char('"')))
        return refuse(QStringLiteral("contains a double quote (\"), which the command line "
                                     "cannot quote"));
    // Zentaro puts its own values in place of $type, $user and $nas anywhere
    // in the line, the program's path included.
    if (folder.contains(QLatin1Char('$')))
        return refuse(QStringLiteral("contains \"$\", which Zentaro would replace with one of "
                                     "its own values"));
    // A folder at the root already ends with its separator.
    while (folder.endsWith(separator))
        folder.chop(1);
    QString program = folder + separator + QStringLiteral("kovrapost");
    command.sender = folder + separator + FileIo::programFileName(QStringLiteral("kovrapost"));
    // Unquoted, the host would split the path at the blank and run something else.
    if (program.contains(QLatin1Char(' ')) || program.contains(QLatin1Char('\t')))
        program = QLatin1Char('"') + program + QLatin1Char('"');
    command.line = program + QStringLiteral("  $type $user $nas");
    return command;
}
