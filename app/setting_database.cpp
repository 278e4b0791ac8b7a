// File > Test Connection: does the user database open with the values in the
// User DB boxes, as the sender will open it? And the data sources of this
// machine, suggested in the data-source box.

#include "setting.h"

#include "ConnectionAttempt.h"
#include "DataSourceSuggestions.h"
#include "PasswordBox.h"
#include "UserDatabase.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>

namespace {

QString inPlainWords(const UserDatabase::Outcome &outcome, bool passwordEmpty,
    const QString &passwordBox, int timeoutSeconds)
{
    using Kind = UserDatabase::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::Connected:
        break;
    case Kind::NoSuchDataSource: {
        const QStringList known = UserDatabase::dataSources();
        return QStringLiteral("there is no data source of that name on this machine.\n")
            + (known.isEmpty() ? QStringLiteral("No data source is set up on this machine.")
                               : QStringLiteral("The data sources here are: %1.")
                                     .arg(known.join(QStringLiteral(", "))));
    }
    case Kind::LoginRefused:
        return QStringLiteral("the database refused the login.\n")
            + (passwordEmpty ? QStringLiteral("The \"%1\" box is empty, and the data source asks "
                                              "for a password: type it, then test again.")
                                   .arg(passwordBox)
                             : QStringLiteral("Check the user and the password."));
    case Kind::Unreachable:
        return QStringLiteral("the database server could not be reached.\nCheck that it is "
                              "running, and where the data source points.");
    case Kind::TimedOut:
        return QStringLiteral("the database server did not answer within %1 seconds.\nCheck that "
                              "it is running, and where the data source points.")
            .arg(timeoutSeconds);
    case Kind::Failed:
        return QStringLiteral("the driver reported a problem.");
    }
    return QString();
}

} // namespace

void setting::offerDataSources()
{
    DataSourceSuggestions::install(m_text6, &UserDatabase::dataSources);
}

void setting::testConnection()
{
    if (m_attempt)
        return; // one at a time
    const QString dataSource = m_text6->text();
    const QString user = m_text7->text();
    const QString password = m_text8->text();
    const QString passwordBox = m_text8->accessibleName();
    if (dataSource.isEmpty()) {
        showBox(QMessageBox::Warning,
            QStringLiteral("The \"%1\" box is empty: type the name of the data source the sender "
                           "uses (Discover copies it from Zentaro.ini), then test again.")
                .arg(m_text6->accessibleName()));
        return;
    }
    // Discover found no password in Zentaro.ini and asked for it: the
    // database is not troubled with one that is known to be missing.
    const bool asked = m_text8->background() == askingForPassword();
    if (password == passwordPlaceholder() || (password.isEmpty() && asked)) {
        showBox(QMessageBox::Warning,
            QStringLiteral("Zentaro.ini does not show the password (it holds \"+@\" in its place): "
                           "type the password in the \"%1\" box, then test again. No connection "
                           "was tried.")
                .arg(passwordBox));
        m_text8->setFocus();
        return;
    }

    m_attempt = new ConnectionAttempt(dataSource, user, password, LoginTimeoutSeconds, this);
    connect(m_attempt, &ConnectionAttempt::finished, this,
        [this, dataSource, user, empty = password.isEmpty()](const UserDatabase::Outcome &outcome) {
            endConnectionAttempt();
            showConnectionOutcome(outcome, dataSource, user, empty);
        });
    m_testConnection->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    // Shown only when the answer takes longer than a second.
    m_connecting = new QProgressDialog(
        QStringLiteral("Connecting to the data source \"%1\" as the user \"%2\"...")
            .arg(dataSource, user),
        QStringLiteral("Cancel"), 0, 0, this);
    m_connecting->setObjectName(QStringLiteral("connecting"));
    m_connecting->setWindowTitle(applicationName());
    m_connecting->setWindowModality(Qt::WindowModal);
    m_connecting->setAutoReset(false);
    m_connecting->setAutoClose(false);
    m_connecting->setMinimumDuration(1000);
    connect(m_connecting, &QProgressDialog::canceled, this, &setting::endConnectionAttempt);
}

void setting::endConnectionAttempt()
{
    if (!m_attempt)
        return;
    // Given up or done: whatever the attempt's thread says from now on goes
    // nowhere.
    m_attempt->disconnect(this);
    m_attempt->deleteLater();
    m_attempt = nullptr;
    m_connecting->disconnect(this);
    m_connecting->hide();
    m_connecting->deleteLater();
    m_connecting = nullptr;
    QApplication::restoreOverrideCursor();
    m_testConnection->setEnabled(true);
}

void setting::showConnectionOutcome(const UserDatabase::Outcome &outcome, const QString &dataSource,
    const QString &user, bool passwordEmpty)
{
    const QString values
        = QStringLiteral("the data source \"%1\" as the user \"%2\"").arg(dataSource, user);
    if (outcome.kind == UserDatabase::Outcome::Kind::Connected) {
        QString text = QStringLiteral("Connected to %1, with the password in the \"%2\" box.")
                           .arg(values, m_text8->accessibleName());
        if (!outcome.product.isEmpty())
            text += QStringLiteral("\nThe database: %1.").arg(outcome.product);
        text += QStringLiteral("\nThe sender opens the user database with these values once Save "
                               "Configuration has stored them.");
        showBox(QMessageBox::Information, text);
        return;
    }
    QString text = QStringLiteral("Could not connect to %1: %2")
                       .arg(values,
                           inPlainWords(outcome, passwordEmpty, m_text8->accessibleName(),
                               LoginTimeoutSeconds));
    if (!outcome.diagnostics.isEmpty()) {
        text += QStringLiteral("\n\nWhat the driver said:");
        for (const UserDatabase::Diagnostic &d : outcome.diagnostics) {
            text += QStringLiteral("\n") + d.text.trimmed();
            if (!d.state.isEmpty())
                text += QStringLiteral(" (SQLSTATE %1)").arg(d.state);
        }
    }
    showBox(QMessageBox::Warning, text);
}
