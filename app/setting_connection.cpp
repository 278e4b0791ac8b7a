// The Setting tab's commands: finding Zentaro's INI file, taking the user
// database settings out of it, and saving the configuration.

#include "setting.h"

#include "AccountingCommand.h"
#include "FileDialog.h"
#include "INI_Files.h"
#include "PasswordBox.h"
#include "SettingsStore.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>

namespace {

// What Zentaro writes where it does not show the password.
const QString PasswordPlaceholder = QStringLiteral("+@");

QString readHostIni(const QString &path, const char *key)
{
    return QString::fromUtf8(INI_Files::ReadIniValue(path, "ODBC", key));
}

} // namespace

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
    write(QStringLiteral("setting"), QStringLiteral("IniFilePath"), path, errors);
    m_text6->setText(readHostIni(path, "UserDBDatasource"));
    m_text7->setText(readHostIni(path, "UserDBLoginUser"));
    m_text8->setText(readHostIni(path, "UserDBLoginPasswd"));
    showErrors(errors);

    if (m_text8->text() == PasswordPlaceholder) {
        m_text8->clear();
        m_text8->setBackground(QColor(255, 255, 0));
        QMessageBox box(QMessageBox::Critical, applicationName(),
            QStringLiteral("Enter Login Password !"), QMessageBox::Ok, this);
        box.exec();
        m_text8->setFocus();
    }
}

void setting::saveConfiguration()
{
    QStringList errors;
    write(QStringLiteral("ODBC"), QStringLiteral("UserDBDatasource"), m_text6->text(), errors);
    write(QStringLiteral("ODBC"), QStringLiteral("UserDBLoginUser"), m_text7->text(), errors);
    write(QStringLiteral("ODBC"), QStringLiteral("UserDBLoginPasswd"), m_text8->text(), errors);
    write(QStringLiteral("setting"), QStringLiteral("ISPName"), m_text9->text(), errors);

    const AccountingCommand command
        = AccountingCommand::forFolder(m_programFolder, QDir::separator());
    if (!command.error.isEmpty()) {
        errors.append(command.error);
    } else {
        const WriteResult written = INI_Files::WriteIniValue(
            m_iniFilePath->text(), "Options", "AccountingScript", command.line.toUtf8());
        if (!written.ok())
            errors.append(written.error);
    }

    // White says "saved": only when everything was.
    if (errors.isEmpty())
        m_text8->setBackground(QColor(255, 255, 255));
    showErrors(errors);
}
