#pragma once

#include "SettingsStore.h"

// The settings store in the per-user registry area of the Windows
// application-settings functions, where a sender that reads with them finds
// the values: HKEY_CURRENT_USER\<base>\<application>\<section>, one REG_SZ
// value named <key>. Written and read as UTF-16 through the Unicode API.
class RegistrySettingsStore : public SettingsStore
{
public:
    // The base key of the application-settings functions.
    static QString defaultBase() { return QStringLiteral("Software\\VB and VBA Program Settings"); }
    explicit RegistrySettingsStore(const QString &base = defaultBase());

    // A template is a few kilobytes; a larger value (in UTF-16 bytes) is
    // neither saved nor loaded.
    static constexpr qint64 MaxValueBytes = 1024 * 1024;

    // The key that holds a section's values, below HKEY_CURRENT_USER; empty
    // when a name cannot be one key of the path.
    QString keyOf(const QString &application, const QString &section) const;

    using SettingsStore::readSetting;
    using SettingsStore::WriteSetting;
    QString readSetting(const QString &application, const QString &section, const QString &key,
        QString &problem) const override;
    WriteResult WriteSetting(const QString &application, const QString &section, const QString &key,
        const QString &value) override;

private:
    QString m_base;
};
