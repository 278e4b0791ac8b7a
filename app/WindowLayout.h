#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

// The window's fixed layout, in twips as it was designed (15 twips to a pixel
// at 96 dpi). Positions of controls on the tabs are measured from the tab
// control's top-left corner, tab row included.
namespace WindowLayout {

enum class Kind { Label, TextBox, TemplateBox, PasswordBox, Button };
enum Page { MessagePage = 0, SettingPage = 1, AboutPage = 2 };

struct Control
{
    const char *name;
    Kind kind;
    Page page;
    const char *caption; // or initial text
    int left, top, width, height;
    int order; // focus order; 0 for none
    const char *names; // the box a label names, if any
    bool autoSize; // a label that sizes itself to its caption
};

const QList<Control> &controls();

constexpr int twipsPerPixel = 15;
constexpr int pixels(int twips)
{
    return (twips * 2 + twipsPerPixel) / (2 * twipsPerPixel);
}
inline QRect pixels(const Control &c)
{
    return {pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height)};
}

// The client area under the menu bar, and the tab control within it.
constexpr QSize clientSize(458, 360);
constexpr QRect tabControl(pixels(218), pixels(353), pixels(6435), pixels(4695));
// 520 hundredths of a millimetre.
constexpr int tabRowHeight = 20;

// Controls that take the focus, in focus order.
QStringList focusChain();

} // namespace WindowLayout
