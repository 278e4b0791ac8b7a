#pragma once

#include <QString>

// The version as the program shows it: major.minor with two digits, "1.00".
inline QString displayVersion()
{
    return QStringLiteral(WELCORA_DISPLAY_VERSION);
}
