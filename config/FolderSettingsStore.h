#pragma once

#include "SettingsStore.h"

// The settings store as plain files: <root>/<application>/<section>/<key>,
// each file holding exactly the value's UTF-8 bytes. Any program can read a
// value by reading one file. Folders are private (0700), files 0600, since the
// store holds the database password.
class FolderSettingsStore : public SettingsStore
{
public:
    explicit FolderSettingsStore(const QString &root);

    // $XDG_CONFIG_HOME, or ~/.config.
    static QString defaultRoot();

    // Where a value lives; empty when a name cannot safely be a file name.
    QString pathOf(const QString &application, const QString &section, const QString &key) const;

    QString ReadSetting(
        const QString &application, const QString &section, const QString &key) const override;
    WriteResult WriteSetting(const QString &application, const QString &section, const QString &key,
        const QString &value) override;

private:
    QString m_root;
};
