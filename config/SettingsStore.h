#pragma once

#include "StoreEntries.h"
#include "WriteResult.h"

#include <QString>

#include <memory>

// The per-user store of string values that this program shares with the
// sender. Values are addressed by application, section and key, exactly as
// given (names are case-sensitive). A value never written reads as "".
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    QString ReadSetting(
        const QString &application, const QString &section, const QString &key) const
    {
        QString ignored;
        return readSetting(application, section, key, ignored);
    }
    // The same; a value that is there but cannot be used (too large, not
    // text, not a plain file) reads as "" and problem says why in plain words.
    virtual QString readSetting(const QString &application, const QString &section,
        const QString &key, QString &problem) const = 0;
    virtual WriteResult WriteSetting(const QString &application, const QString &section,
        const QString &key, const QString &value)
        = 0;

    // One of this program's own entries, under its application name.
    QString ReadSetting(const StoreEntry &entry) const
    {
        return ReadSetting(Store::application(), entry.sectionName(), entry.keyName());
    }
    QString readSetting(const StoreEntry &entry, QString &problem) const
    {
        return readSetting(Store::application(), entry.sectionName(), entry.keyName(), problem);
    }
    WriteResult WriteSetting(const StoreEntry &entry, const QString &value)
    {
        return WriteSetting(Store::application(), entry.sectionName(), entry.keyName(), value);
    }
};

// This user's store, the one the sender reads: folders under
// $XDG_CONFIG_HOME on Linux (FolderSettingsStore), the registry area of the
// application-settings functions on Windows (RegistrySettingsStore). The
// build picks the platform's.
std::unique_ptr<SettingsStore> userSettingsStore();
