#pragma once

#include <QString>

#include <array>

// The six values this program shares with the sender, by the names the
// sender reads them with: application "Welcora", then section and key,
// exactly as written here (case included).
struct StoreEntry
{
    const char *section;
    const char *key;

    QString sectionName() const { return QString::fromLatin1(section); }
    QString keyName() const { return QString::fromLatin1(key); }
};

namespace Store {

inline QString application()
{
    return QStringLiteral("Welcora");
}

inline constexpr StoreEntry Message {"setting", "message"};
inline constexpr StoreEntry IniFilePath {"setting", "IniFilePath"};
inline constexpr StoreEntry IspName {"setting", "ISPName"};
inline constexpr StoreEntry DataSource {"ODBC", "UserDBDatasource"};
inline constexpr StoreEntry LoginUser {"ODBC", "UserDBLoginUser"};
inline constexpr StoreEntry LoginPassword {"ODBC", "UserDBLoginPasswd"};

inline constexpr std::array<StoreEntry, 6> All {
    Message, IniFilePath, IspName, DataSource, LoginUser, LoginPassword};

} // namespace Store
