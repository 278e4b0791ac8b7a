#include "TestStore.h"

#include "FolderSettingsStore.h"

std::unique_ptr<SettingsStore> makeTestStore(const QString &folder)
{
    return std::make_unique<FolderSettingsStore>(folder);
}
