#include "FolderSettingsStore.h"

#include "FileIo.h"
#include "PosixFiles.h"

#include <QStringDecoder>

namespace {

// A name becomes one path component, so it must not be able to name anything
// else: no empty name, no "." or "..", no separator, no NUL.
bool isSafeName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

} // namespace

FolderSettingsStore::FolderSettingsStore(const QString &root)
    : m_root(root)
{ }

QString FolderSettingsStore::defaultRoot()
{
    return FileIo::userFolder("XDG_CONFIG_HOME", ".config");
}

QString FolderSettingsStore::pathOf(
    const QString &application, const QString &section, const QString &key) const
{
    if (!isSafeName(application) || !isSafeName(section) || !isSafeName(key))
        return {};
    return m_root + QLatin1Char('/') + application + QLatin1Char('/') + section + QLatin1Char('/')
        + key;
}

QString FolderSettingsStore::readSetting(
    const QString &application, const QString &section, const QString &key, QString &problem) const
{
    problem.clear();
    const QString path = pathOf(application, section, key);
    if (path.isEmpty() || m_root.isEmpty())
        return {};
    QByteArray bytes;
    int error = 0;
    const FileIo::ReadStatus status
        = FileIo::readRegularFile(path, bytes, MaxValueBytes, error, FileIo::Links::Refuse);
    if (status == FileIo::ReadStatus::Missing)
        return {};
    if (status == FileIo::ReadStatus::TooLarge) {
        problem
            = QStringLiteral("\"%1\" is larger than 1 MB, more than any setting holds").arg(path);
        return {};
    }
    if (status != FileIo::ReadStatus::Ok) {
        problem = QStringLiteral("\"%1\" could not be read: %2")
                      .arg(path, FileIo::reasonFor(status, error));
        return {};
    }
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString value = utf8.decode(bytes);
    if (utf8.hasError()) {
        problem = QStringLiteral("\"%1\" is not UTF-8 text").arg(path);
        return {};
    }
    return value;
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
            QStringLiteral("Could not save settings: there is no configuration folder (neither "
                           "XDG_CONFIG_HOME nor HOME is set)."));
    if (WriteResult made = FileIo::makePrivateFolders(m_root); !made.ok())
        return made;
    for (const QString &folder : {m_root + QLatin1Char('/') + application,
             m_root + QLatin1Char('/') + application + QLatin1Char('/') + section}) {
        if (WriteResult made = FileIo::makePrivateFolder(folder); !made.ok())
            return made;
    }
    FileIo::AtomicWriteOptions options;
    options.ownerOnly = true;
    options.followLinks = false;
    // The store's files are ours: a value is replaced (and its file made 0600
    // again) whatever its permission bits say.
    options.respectFilePermissions = false;
    return FileIo::writeAtomically(path, value.toUtf8(), options);
}

std::unique_ptr<SettingsStore> userSettingsStore()
{
    return std::make_unique<FolderSettingsStore>(FolderSettingsStore::defaultRoot());
}
