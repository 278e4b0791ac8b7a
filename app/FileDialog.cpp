#include "FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// Windows has a dialog of its own, which its operators know; elsewhere Qt's
// own dialog behaves the same on every desktop.
#ifdef Q_OS_WIN
constexpr bool NativeDialog = true;
#else
constexpr bool NativeDialog = false;
#endif

} // namespace

FileDialog::FileDialog(const QString &title, QWidget *parent)
    : QObject(parent)
    , m_title(title)
{ }

std::optional<QString> FileDialog::showOpen()
{
    if (m_chooser)
        return m_chooser(m_title, m_fileName, m_filter);
    return runDialog();
}

std::optional<QString> FileDialog::runDialog()
{
    QFileDialog dialog(qobject_cast<QWidget *>(parent()), m_title);
    dialog.setObjectName(QStringLiteral("CD1dialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, !NativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The filter names a file; match it whatever its letter case (zentaro.ini).
    dialog.setNameFilter(m_filter);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!m_fileName.isEmpty()) {
        const QFileInfo initial(m_fileName);
        if (initial.dir().exists())
            dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}
