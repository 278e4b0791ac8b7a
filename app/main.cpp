#include "DisplayCheck.h"
#include "SettingsStore.h"
#include "Version.h"
#include "setting.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (!DisplayCheck::displayUsable())
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(setting::applicationName());
    QApplication::setApplicationVersion(displayVersion());

    const std::unique_ptr<SettingsStore> store = userSettingsStore();
    setting window(*store);
    window.show();
    return app.exec();
}
