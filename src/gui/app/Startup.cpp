#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/MainWindow.h"
#include "db/ConnectionText.h"
#include "db/Db.h"
#include "db/SchemaUpgrade.h"
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

// Where a relative SQLite file of the configuration read lies; empty until one is read.
QString &databaseFolder()
{
    static QString folder;
    return folder;
}

} // namespace

void ReadConfigFile(const QString &path)
{
    const QString file = ConfigFile::locate(path);
    appContext().config = ConfigFile::read(file);
    databaseFolder() = ConfigFile::databaseFolder(file);
}

void OpenDatabase(const QString &baseDir)
{
    // Without a password of its own the configured text gets the program's, joined
    // without a separator (the text ends with ";"; one that does not runs its last keyword
    // into it). A PWD in config.txt wins, so each installation can have its own.
    const QString connectionText = ConnectionText::withProgramPassword(appContext().config.ConnectionInfo);
    QString folder = baseDir;
    if (folder.isEmpty())
        folder = databaseFolder().isEmpty() ? QCoreApplication::applicationDirPath() : databaseFolder();
    auto db = Db::open(connectionText, folder);
    // A database of another schema version is refused before anything is read from it or
    // written to it: the program's statements are made for its own version's tables.
    SchemaUpgrade::requireCurrent(*db, appContext().config.ConnectionInfo);
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
