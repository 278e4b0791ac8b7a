#pragma once

// A settings store of the platform's own kind that only one test sees: a
// temporary folder on Linux, a registry key of its own on Windows (removed
// when the store goes).

#include "SettingsStore.h"

#include <QString>

#include <memory>

std::unique_ptr<SettingsStore> makeTestStore(const QString &folder);
