#include "FolderSettingsStore.h"

#include "FileIo.h"

#include <QStandardPaths>

namespace {

// A name becomes one path component, so it must not be able to name anything
// else: no empty name, no "." or "..", no separator, no NUL.
bool isSafeName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// Generous for a template, and small enough that a stray huge file cannot
// exhaust memory.
constexpr qint64 MaxValueSize = 64 * 1024 * 1024;

} // namespace

FolderSettingsStore::FolderSettingsStore(const QString &root)
    : m_root(root)
{ }

QString FolderSettingsStore::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString FolderSettingsStore::pathOf(
    const QString &application, const QString &section, const QString &key) const
{
    if (!isSafeName(application) || !isSafeName(section) || !isSafeName(key))
        return {};
    return m_root + QLatin1Char('/') + application + QLatin1Char('/') + section + QLatin1Char('/')
        + key;
}

QString FolderSettingsStore::ReadSetting(
    const QString &application, const QString &section, const QString &key) const
{
    const QString path = pathOf(application, section, key);
    QByteArray bytes;
    if (path.isEmpty()
        || FileIo::readRegularFile(path, bytes, MaxValueSize) != FileIo::ReadStatus::Ok)
        return {};
    return QString::fromUtf8(bytes);
}

WriteResult FolderSettingsStore::WriteSetting(
    const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString path = pathOf(application, section, key);
    if (path.isEmpty()) {
        return WriteResult::failure(
            QStringLiteral("Could not save the setting \"%1/%2/%3\": the name cannot be used as a "
                           "file name.")
                .arg(application, section, key));
    }
    if (m_root.isEmpty())
        return WriteResult::failure(
            QStringLiteral("Could not save settings: there is no configuration folder."));
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')));
    if (WriteResult made = FileIo::makeFolder(folder, 0700); !made.ok())
        return made;
    FileIo::AtomicWriteOptions options;
    options.forcedMode = 0600;
    // The store's files are ours: a value is replaced (and its file made 0600
    // again) whatever its permission bits say.
    options.respectFilePermissions = false;
    return FileIo::writeAtomically(path, value.toUtf8(), options);
}
