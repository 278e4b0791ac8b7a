#pragma once

#include <QFont>
#include <QStringList>

// The window's fonts. Tahoma is the dialog font the layout was drawn with; on
// Linux it comes from Wine's font folder, which fontconfig does not search.
namespace Fonts {

QFont dialogFont(); // Tahoma 8.25 pt, or the closest the system has
QFont titleFont(); // Times New Roman 27.75 pt bold

// Where Tahoma may be found; tests empty it to see the window without it.
void setTahomaFiles(const QStringList &files);

} // namespace Fonts
