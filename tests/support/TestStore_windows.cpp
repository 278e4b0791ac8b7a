#include "TestStore.h"

#include "RegistrySettingsStore.h"

#include <QUuid>

#include <windows.h>

namespace {

// Below a key of the tests' own, never the real one the sender reads.
class ScratchRegistryStore : public RegistrySettingsStore
{
public:
    explicit ScratchRegistryStore(const QString &base)
        : RegistrySettingsStore(base)
        , m_base(base)
    { }
    ~ScratchRegistryStore() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_base.toStdWString().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, m_base.toStdWString().c_str());
    }

private:
    QString m_base;
};

} // namespace

std::unique_ptr<SettingsStore> makeTestStore(const QString &)
{
    return std::make_unique<ScratchRegistryStore>(QStringLiteral("Software\\Welcora tests\\")
        + QUuid::createUuid().toString(QUuid::WithoutBraces));
}
