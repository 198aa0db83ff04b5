#include "app/Startup.h"

#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/MainWindow.h"
#include "db/Db.h"

#include <QCoreApplication>
#include <QSqlRecord>

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
    Db &db = Db::current();
    // The location is compared as the configured text; the server reads it as the key.
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Company WHERE ID = ?"), {appContext().config.LocationID});
    if (!row) {
        if (MainWindow *window = MainWindow::instance())
            window->openScreen(QStringLiteral("CompanyInfo"));
        return false;
    }
    // A NULL column reads as "" or 0, the values the settings start with.
    CompanySettings &c = appContext().company;
    c.Name = row->value("Name").toString();
    c.Address1 = row->value("Address1").toString();
    c.City = row->value("City").toString();
    c.State = row->value("State").toString();
    c.Zip = row->value("Zip").toString();
    c.KeyPressDelay = row->value("KeyPressDelay").toDouble();
    c.DieselPricePerGallon = row->value("DieselPricePerGallon").toDouble();
    c.ReeferPricePerGallon = row->value("ReeferPricePerGallon").toDouble();
    c.DiscountPricePerGallon = row->value("DiscountPricePerGallon").toDouble();
    c.DefPricePerGallon = row->value("DefPricePerGallon").toDouble();
    c.Tax = row->value("Tax").toDouble();
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
