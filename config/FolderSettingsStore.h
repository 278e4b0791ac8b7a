#pragma once

#include "SettingsStore.h"

// The settings store as plain files: <root>/<application>/<section>/<key>,
// each file holding exactly the value's UTF-8 bytes. Any program can read a
// value by reading one file. Folders are private (0700), files 0600, since the
// store holds the database password: a store folder that is a link or belongs
// to another user is refused, one that is open to others is closed again, and
// a value file that is a link is neither read nor written through.
class FolderSettingsStore : public SettingsStore
{
public:
    explicit FolderSettingsStore(const QString &root);

    // $XDG_CONFIG_HOME, or ~/.config; "" when neither variable is set.
    static QString defaultRoot();

    // A template is a few kilobytes; a larger value is not loaded.
    static constexpr qint64 MaxValueBytes = 1024 * 1024;

    // Where a value lives; empty when a name cannot safely be a file name.
    QString pathOf(const QString &application, const QString &section, const QString &key) const;

    using SettingsStore::readSetting;
    using SettingsStore::WriteSetting;
    QString readSetting(const QString &application, const QString &section, const QString &key,
        QString &problem) const override;
    WriteResult WriteSetting(const QString &application, const QString &section, const QString &key,
        const QString &value) override;

private:
    QString m_root;
};
