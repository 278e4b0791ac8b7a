#include "Fonts.h"

#include <QFile>
#include <QFontDatabase>

namespace Fonts {
namespace {

QStringList &tahomaFiles()
{
#ifdef Q_OS_WIN
    static QStringList files; // part of the system
#else
    static QStringList files = {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")};
#endif
    return files;
}

bool tried = false;
int loadedFont = -1;

void loadTahoma()
{
    if (tried)
        return;
    tried = true;
    for (const QString &file : tahomaFiles()) {
        if (QFile::exists(file)) {
            loadedFont = QFontDatabase::addApplicationFont(file);
            if (loadedFont >= 0)
                return;
        }
    }
}

} // namespace

void setTahomaFiles(const QStringList &files)
{
    if (loadedFont >= 0)
        QFontDatabase::removeApplicationFont(loadedFont);
    loadedFont = -1;
    tried = false;
    tahomaFiles() = files;
}

QFont dialogFont()
{
    loadTahoma();
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont titleFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(27.75);
    font.setWeight(QFont::Bold);
    font.setStyleHint(QFont::Serif);
    return font;
}

} // namespace Fonts
