#include "UserDatabase.h"

#include "OdbcApi.h"

#include <QElapsedTimer>

#include <cstdint>

namespace UserDatabase {

namespace {

// Both driver managers speak UTF-16 through their wide functions, as QString holds it.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC's wide characters are UTF-16");

SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<ushort *>(text.utf16()));
}

QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

// One ODBC handle, freed when it goes.
class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent)
        : m_type(type)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle)))
            m_handle = SQL_NULL_HANDLE;
    }
    ~Handle()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(m_type, m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    SQLHANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// An ODBC 3 environment, the start of every call.
class Environment : public Handle
{
public:
    Environment()
        : Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
    {
        if (get() != SQL_NULL_HANDLE)
            SQLSetEnvAttr(get(), SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(std::intptr_t(SQL_OV_ODBC3)), 0);
    }
};

QList<Diagnostic> diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle)
{
    QList<Diagnostic> found;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        QList<SQLWCHAR> text(1024);
        SQLSMALLINT length = 0;
        SQLRETURN r = SQLGetDiagRecW(
            type, handle, record, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= text.size()) {
            // The whole text, however long the driver's words.
            text.resize(length + 1);
            r = SQLGetDiagRecW(type, handle, record, state, &native, text.data(),
                SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(r))
            break;
        found.append(
            {fromWide(state, 5), fromWide(text.data(), qMin<qsizetype>(length, text.size() - 1))});
    }
    return found;
}

QString infoText(SQLHANDLE connection, SQLUSMALLINT what)
{
    SQLWCHAR text[256] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, what, text, SQLSMALLINT(sizeof text), &bytes)))
        return QString();
    return fromWide(text, qMin<qsizetype>(bytes / qsizetype(sizeof(SQLWCHAR)), 255));
}

bool mentionsAny(const QList<Diagnostic> &diagnostics, std::initializer_list<const char *> words)
{
    for (const Diagnostic &d : diagnostics) {
        for (const char *word : words) {
            if (d.text.contains(QLatin1String(word), Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

// What a failed login means, from the SQLSTATEs and, where drivers answer
// every failure with the same state (08001), from their words.
Outcome::Kind kindOf(const QList<Diagnostic> &diagnostics, bool tookTheWholeTimeout)
{
    auto has = [&diagnostics](const char *prefix) {
        for (const Diagnostic &d : diagnostics) {
            if (d.state.startsWith(QLatin1String(prefix)))
                return true;
        }
        return false;
    };
    if (has("IM002"))
        return Outcome::Kind::NoSuchDataSource;
    if (has("HYT0") || (tookTheWholeTimeout && has("08"))
        || mentionsAny(diagnostics, {"timeout expired", "timed out"}))
        return Outcome::Kind::TimedOut;
    if (has("28")
        || mentionsAny(diagnostics,
            {"authentication failed", "password", "role", "login failed", "access denied",
                "not permitted to log in", "does not exist"}))
        return Outcome::Kind::LoginRefused;
    if (has("08"))
        return Outcome::Kind::Unreachable;
    return Outcome::Kind::Failed;
}

} // namespace

Outcome connect(
    const QString &dataSource, const QString &user, const QString &password, int timeoutSeconds)
{
    Outcome outcome;
    Environment environment;
    if (!environment) {
        outcome.diagnostics.append(
            {QString(), QStringLiteral("The ODBC driver manager could not be started.")});
        return outcome;
    }
    Handle connection(SQL_HANDLE_DBC, environment.get());
    if (!connection) {
        outcome.diagnostics = diagnosticsOf(SQL_HANDLE_ENV, environment.get());
        return outcome;
    }
    SQLSetConnectAttrW(connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(std::intptr_t(timeoutSeconds)), 0);

    QElapsedTimer took;
    took.start();
    // Exact lengths rather than NUL-terminated: every character as typed.
    const SQLRETURN r
        = SQLConnectW(connection.get(), wide(dataSource), SQLSMALLINT(dataSource.size()),
            wide(user), SQLSMALLINT(user.size()), wide(password), SQLSMALLINT(password.size()));
    outcome.diagnostics = diagnosticsOf(SQL_HANDLE_DBC, connection.get());
    if (!SQL_SUCCEEDED(r)) {
        outcome.kind = kindOf(outcome.diagnostics, took.elapsed() >= timeoutSeconds * 1000);
        return outcome;
    }
    outcome.kind = Outcome::Kind::Connected;
    const QString name = infoText(connection.get(), SQL_DBMS_NAME);
    const QString version = infoText(connection.get(), SQL_DBMS_VER);
    outcome.product = (name + QLatin1Char(' ') + version).trimmed();
    SQLDisconnect(connection.get());
    return outcome;
}

QStringList dataSources()
{
    QStringList names;
    Environment environment;
    if (!environment)
        return names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
        SQLWCHAR description[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN r = SQLDataSourcesW(environment.get(), direction, name,
            SQLSMALLINT(SQL_MAX_DSN_LENGTH + 1), &nameLength, description, SQLSMALLINT(512),
            &descriptionLength);
        if (!SQL_SUCCEEDED(r))
            break;
        names.append(fromWide(name, qMin<qsizetype>(nameLength, SQL_MAX_DSN_LENGTH)));
        direction = SQL_FETCH_NEXT;
    }
    names.removeDuplicates(); // a user and a system data source may share a name
    return names;
}

} // namespace UserDatabase
