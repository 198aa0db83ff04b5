#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/MainWindow.h"
#include "db/Db.h"
#include "setup/CompanyStore.h"

#include <QCoreApplication>

#include <memory>

namespace {

// The program's one connection, from OpenDatabase to ExitApplication.
std::unique_ptr<Db> &connection()
{
    static std::unique_ptr<Db> db;
    return db;
}

} // namespace

void ReadConfigFile(const QString &path)
{
    appContext().config = ConfigFile::read(path.isEmpty() ? ConfigFile::defaultPath() : path);
}

void OpenDatabase(const QString &baseDir)
{
    // The password is the program's own; the configured text ends with ";" so the two
    // join without a separator. One that does not end so runs its last keyword into it.
    const QString connectionText = appContext().config.ConnectionInfo + QStringLiteral("PWD=QZ;");
    auto db = Db::open(connectionText, baseDir.isEmpty() ? QCoreApplication::applicationDirPath() : baseDir);
    connection() = std::move(db);
    Db::setCurrent(connection().get());
}

bool LoadCompanySettings()
{
    const auto settings = CompanyStore::settings(Db::current(), appContext().config.LocationID);
    if (!settings) {
        if (MainWindow *window = MainWindow::instance())
            window->openScreen(QStringLiteral("CompanyInfo"));
        return false;
    }
    appContext().company = *settings;
    if (MainWindow *window = MainWindow::instance())
        window->showWorkplace();
    return true;
}

void ApplyWorkstationRights(MainWindow &window)
{
    if (!appContext().config.isAdminWorkstation())
        window.disableAdministrationCommands();
}

void ExitApplication()
{
    if (Db::hasCurrent())
        Db::current().close();
    Db::setCurrent(nullptr);
    connection().reset();
    QCoreApplication::exit(0);
}
