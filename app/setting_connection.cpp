// The Setting tab's commands: finding Zentaro's INI file, taking the user
// database settings out of it, and saving the configuration.

#include "setting.h"

#include "AccountingCommand.h"
#include "FileDialog.h"
#include "INI_Files.h"
#include "PasswordBox.h"
#include "SettingsStore.h"
#include "SystemText.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <optional>

namespace {

// The value as text, or nothing where it is not valid in the system's text:
// shown with replacement characters, a password would be saved wrongly.
std::optional<QString> odbcValue(const QByteArray &contents, const StoreEntry &entry)
{
    return SystemText::decode(INI_Files::valueIn(contents, "ODBC", entry.key));
}

} // namespace

std::array<setting::DatabaseBox, 3> setting::databaseBoxes() const
{
    return {{{Store::DataSource, m_text6}, {Store::LoginUser, m_text7},
        {Store::LoginPassword, m_text8}}};
}

void setting::browse()
{
    m_cd1->setFileName(m_iniFilePath->text());
    m_cd1->setFilter(QStringLiteral("Zentaro.ini (Zentaro.ini)"));
    // A cancel, like any failure to choose, leaves the path as it was.
    if (const std::optional<QString> chosen = m_cd1->showOpen(); chosen && !chosen->isEmpty())
        m_iniFilePath->setText(*chosen);
}

void setting::discover()
{
    const QString path = m_iniFilePath->text();
    QStringList errors;
    write(Store::IniFilePath, path, m_iniFilePath, errors);
    QString unreadable;
    const QByteArray contents = INI_Files::readIniFile(path, unreadable);
    for (const DatabaseBox &v : databaseBoxes()) {
        const std::optional<QString> value = odbcValue(contents, v.entry);
        v.box->setText(value.value_or(QString()));
        if (!value) {
            errors.append(QStringLiteral("The value of %1 in \"%2\" is not %3 text (it may be "
                                         "in another encoding), so the \"%4\" box was left "
                                         "empty rather than show it wrongly.")
                              .arg(QLatin1String(v.entry.key), path, SystemText::name(),
                                  v.box->accessibleName()));
        }
    }
    showErrors(errors);
    if (!unreadable.isEmpty()) {
        // Empty boxes must never pass for empty values read from the file.
        const QString what = path.isEmpty()
            ? QStringLiteral("The \"%1\" box is empty: there is no file to read.")
                  .arg(m_iniFilePath->accessibleName())
            : QStringLiteral("Could not read \"%1\": %2.").arg(path, unreadable);
        showBox(QMessageBox::Warning,
            what
                + QStringLiteral("\nThe User DB boxes were emptied: they hold nothing read from "
                                 "Zentaro.ini."));
        return;
    }

    if (m_text8->text() == passwordPlaceholder()) {
        m_text8->clear();
        m_text8->setBackground(askingForPassword());
        showBox(QMessageBox::Critical, QStringLiteral("Enter Login Password !"));
        m_text8->setFocus();
    }
}

void setting::saveConfiguration()
{
    QStringList errors;
    QStringList saved;
    for (const DatabaseBox &v : databaseBoxes()) {
        if (write(v.entry, v.box->text(), v.box, errors))
            saved.append(operatorName(v.box));
    }
    if (write(Store::IspName, m_text9->text(), m_text9, errors))
        saved.append(operatorName(m_text9));

    const QString notChanged = QStringLiteral("Zentaro.ini was not changed");
    QString sender; // the program Zentaro now runs, once the line is written
    const AccountingCommand command
        = AccountingCommand::forFolder(m_programFolder, QDir::separator());
    if (m_iniFilePath->text().isEmpty()) {
        errors.append(QStringLiteral("%1: the \"%2\" box is empty.")
                          .arg(notChanged, m_iniFilePath->accessibleName()));
    } else if (!command.error.isEmpty()) {
        errors.append(QStringLiteral("%1. %2").arg(notChanged, command.error));
    } else if (const std::optional<QByteArray> line = SystemText::encode(command.line); !line) {
        errors.append(QStringLiteral("%1. The program's folder \"%2\" has characters that %3 "
                                     "cannot hold, in which Zentaro.ini is written.")
                          .arg(notChanged, m_programFolder.display(), SystemText::name()));
    } else {
        const WriteResult written
            = INI_Files::WriteIniValue(m_iniFilePath->text(), "Options", "AccountingScript", *line);
        if (!written.ok())
            errors.append(QStringLiteral("%1. %2").arg(notChanged, written.error));
        else
            sender = command.sender;
    }

    // Every Save Configuration ends the highlight that asked for the password;
    // a failure is told in its box.
    m_text8->setBackground(QColor(255, 255, 255));
    if (!errors.isEmpty()) {
        if (saved.isEmpty())
            errors.append(QStringLiteral("None of the settings was saved."));
        else if (saved.size() == 1)
            errors.append(QStringLiteral("%1 was saved.").arg(saved.first()));
        else
            errors.append(
                QStringLiteral("%1 and %2 were saved.")
                    .arg(saved.mid(0, saved.size() - 1).join(QStringLiteral(", ")), saved.last()));
        showErrors(errors);
    }
    if (!sender.isEmpty())
        warnWhenSenderIsMissing(sender);
}

void setting::warnWhenSenderIsMissing(const QString &sender)
{
    // Zentaro runs the line it was given for every accounting event; a sender
    // that is not there fails each time, far from this window.
    const QFileInfo file(sender);
    QString problem;
    if (!file.exists())
        problem = QStringLiteral("there is no such file");
    else if (!file.isFile())
        problem = QStringLiteral("that is not a file");
    else if (!file.isExecutable())
        problem = QStringLiteral("that file may not be run as a program");
    if (problem.isEmpty())
        return;
    showBox(QMessageBox::Warning,
        QStringLiteral("The configuration was saved, but Zentaro will not find the sender: it "
                       "will run \"%1\" for every accounting event, and %2.\nPut the sender, %3, "
                       "there, in the folder that holds Welcora.")
            .arg(sender, problem, file.fileName()));
}
