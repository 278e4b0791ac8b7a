#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The user database as the sender opens it for every accounting event:
// through ODBC, with a data source name, a login user and a password. These
// calls may block for as long as the login timeout; the window makes them
// from a thread of their own (ConnectionAttempt).
namespace UserDatabase {

// One record of what the driver manager or the driver said.
struct Diagnostic
{
    QString state; // the SQLSTATE, such as "08001"
    QString text; // their own words, as given
};

struct Outcome
{
    enum class Kind {
        Connected,
        NoSuchDataSource, // no data source of that name on this machine
        LoginRefused, // the server answered and refused the user or password
        Unreachable, // no server answered where the data source points
        TimedOut, // nothing came back within the login timeout
        Failed, // anything else the driver reported
    };
    Kind kind = Kind::Failed;
    QString product; // when connected: the database's name and version
    QList<Diagnostic> diagnostics;
};

// Connects with exactly these values, waiting at most timeoutSeconds for the
// login, reads the database's name and version, and disconnects.
Outcome connect(
    const QString &dataSource, const QString &user, const QString &password, int timeoutSeconds);

// The names of the data sources this machine defines (user and system ones),
// sorted as the driver manager gives them.
QStringList dataSources();

} // namespace UserDatabase
