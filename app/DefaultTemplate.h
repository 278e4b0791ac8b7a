#pragma once

#include <QString>

// The welcome message the template box holds until one is saved. Its
// placeholders are filled in by the sender, never here.
QString defaultTemplate();
