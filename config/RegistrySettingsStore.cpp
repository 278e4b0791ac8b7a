#include "RegistrySettingsStore.h"

#include "WindowsFiles.h"

#include <windows.h>

#include <string>

namespace {

using FileIo::Windows::reasonFor;
using FileIo::Windows::wide;

// Each name is one key of the path: no empty name, no backslash, no NUL.
bool isKeyName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

} // namespace

RegistrySettingsStore::RegistrySettingsStore(const QString &base)
    : m_base(base)
{ }

QString RegistrySettingsStore::keyOf(const QString &application, const QString &section) const
{
    if (!isKeyName(application) || !isKeyName(section))
        return {};
    return m_base + QLatin1Char('\\') + application + QLatin1Char('\\') + section;
}

QString RegistrySettingsStore::readSetting(
    const QString &application, const QString &section, const QString &key, QString &problem) const
{
    problem.clear();
    const QString where = keyOf(application, section);
    if (where.isEmpty() || key.isEmpty() || key.contains(QChar(0)))
        return {};
    const std::wstring subkey = wide(where);
    const std::wstring name = wide(key);
    const QString shown = QStringLiteral("HKEY_CURRENT_USER\\%1, value \"%2\"").arg(where, key);
    // The value may grow between asking its size and reading it: ask again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(),
            RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return {};
        if (status != ERROR_SUCCESS) {
            problem = QStringLiteral("%1 could not be read: %2").arg(shown, reasonFor(status));
            return {};
        }
        if (type != REG_SZ) {
            problem = QStringLiteral("%1 is not text (REG_SZ)").arg(shown);
            return {};
        }
        if (size > MaxValueBytes + sizeof(wchar_t)) { // the text and its terminator
            problem
                = QStringLiteral("%1 is larger than 1 MB, more than any setting holds").arg(shown);
            return {};
        }
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = DWORD(value.size() * sizeof(wchar_t));
        status = RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ,
            nullptr, value.data(), &got);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status == ERROR_FILE_NOT_FOUND)
            return {};
        if (status != ERROR_SUCCESS) {
            problem = QStringLiteral("%1 could not be read: %2").arg(shown, reasonFor(status));
            return {};
        }
        value.resize(got / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0')
            value.pop_back(); // the terminator (or terminators) of REG_SZ
        return QString::fromStdWString(value);
    }
    problem = QStringLiteral("%1 kept changing while it was read").arg(shown);
    return {};
}

WriteResult RegistrySettingsStore::WriteSetting(
    const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString where = keyOf(application, section);
    if (where.isEmpty() || key.isEmpty() || key.contains(QChar(0))) {
        return WriteResult::failure(
            QStringLiteral("Could not save the setting \"%1/%2/%3\": the name cannot be used as a "
                           "registry name.")
                .arg(application, section, key));
    }
    const QString shown = QStringLiteral("HKEY_CURRENT_USER\\%1").arg(where);
    auto failed = [&](const QString &reason) {
        return WriteResult::failure(
            QStringLiteral("Could not write the value \"%1\" of \"%2\": %3.")
                .arg(key, shown, reason));
    };
    // REG_SZ ends at the first NUL: the sender would read less than was saved.
    if (value.contains(QChar(0)))
        return failed(QStringLiteral("the text holds a NUL character, which a registry text "
                                     "value cannot carry"));
    if (qint64(value.size()) * qint64(sizeof(wchar_t)) > MaxValueBytes)
        return failed(QStringLiteral("the text is larger than 1 MB"));
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, wide(where).c_str(), 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS)
        return failed(reasonFor(status));
    const std::wstring data = value.toStdWString();
    // One call sets the whole value: a reader sees the old text or the new.
    status = RegSetValueExW(opened, wide(key).c_str(), 0, REG_SZ,
        reinterpret_cast<const BYTE *>(data.c_str()), DWORD((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS)
        return failed(reasonFor(status));
    return WriteResult::success();
}

std::unique_ptr<SettingsStore> userSettingsStore()
{
    return std::make_unique<RegistrySettingsStore>();
}
