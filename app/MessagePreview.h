#pragma once

#include <QString>

class QWidget;

// Shows the template as the sender will start from it: a modal message box
// titled "Test Message" with the text unchanged, one OK button and no icon.
// Lines are shown as they are, never wrapped, and a text larger than the
// screen scrolls inside the box, which always fits the screen it opens on.
void showMessagePreview(const QString &text, QWidget *parent);
