#include "WindowLayout.h"

#include <algorithm>

namespace WindowLayout {

const QList<Control> &controls()
{
    // clang-format off
    static const QList<Control> table = {
        // name         kind               page         caption                  left  top   width height order names         autoSize
        {"message",     Kind::TemplateBox, MessagePage, "",                      120,  600,  6135, 3435,  1,  nullptr,       false},
        {"savebtn",     Kind::Button,      MessagePage, "Save",                  5100, 4140, 1155, 315,   2,  nullptr,       false},
        {"reloadbtn",   Kind::Button,      MessagePage, "Reload",                3690, 4140, 1155, 315,   3,  nullptr,       false},
        {"testbtn",     Kind::Button,      MessagePage, "Test",                  2280, 4140, 1155, 315,   4,  nullptr,       false},
        {"Label9",      Kind::Label,       SettingPage, "Zentaro.ini Path:",     180,  600,  1230, 195,   19, "IniFilePath", true},
        {"IniFilePath", Kind::TextBox,     SettingPage, "",                      1500, 540,  3795, 315,   5,  nullptr,       false},
        {"Brows",       Kind::Button,      SettingPage, "Brows",                 5400, 540,  855,  315,   6,  nullptr,       false},
        {"update",      Kind::Button,      SettingPage, "Discover",              2280, 900,  1875, 315,   7,  nullptr,       false},
        {"Label6",      Kind::Label,       SettingPage, "User DB Data Source:",  180,  1560, 1590, 195,   8,  "Text6",       true},
        {"Text6",       Kind::TextBox,     SettingPage, "",                      1800, 1500, 3495, 315,   13, nullptr,       false},
        {"Label7",      Kind::Label,       SettingPage, "User DB Login User:",   180,  1920, 1455, 195,   11, "Text7",       true},
        {"Text7",       Kind::TextBox,     SettingPage, "",                      1800, 1860, 3495, 315,   9,  nullptr,       false},
        {"Label8",      Kind::Label,       SettingPage, "User DB Login PWD:",    180,  2280, 1515, 195,   12, "Text8",       true},
        {"Text8",       Kind::PasswordBox, SettingPage, "",                      1800, 2220, 3495, 315,   10, nullptr,       false},
        {"Label1",      Kind::Label,       SettingPage, "ISP Name",              180,  2640, 720,  195,   15, "Text9",       true},
        {"Text9",       Kind::TextBox,     SettingPage, "",                      1800, 2580, 3495, 315,   16, nullptr,       false},
        {"save",        Kind::Button,      SettingPage, "Save",                  2280, 4080, 1875, 315,   14, nullptr,       false},
        {"Label2",      Kind::Label,       AboutPage,   "Welcora",               300,  600,  3135, 735,   17, nullptr,       false},
        {"Label5",      Kind::Label,       AboutPage,   "For more information please visit www.welcora.example",
                                                                                 360,  2760, 4875, 255,   18, nullptr,       false},
    };
    // clang-format on
    return table;
}

QStringList focusChain()
{
    QList<Control> focusable;
    for (const Control &c : controls()) {
        if (c.kind != Kind::Label)
            focusable.append(c);
    }
    std::sort(focusable.begin(), focusable.end(),
        [](const Control &a, const Control &b) { return a.order < b.order; });
    QStringList names;
    for (const Control &c : focusable)
        names.append(QString::fromLatin1(c.name));
    return names;
}

} // namespace WindowLayout
