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

    virtual QString ReadSetting(
        const QString &application, const QString &section, const QString &key) const = 0;
    virtual WriteResult WriteSetting(const QString &application, const QString &section,
        const QString &key, const QString &value)
        = 0;
};
