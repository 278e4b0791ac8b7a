#pragma once

#include "WriteResult.h"

#include <QString>

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
};
