#include "app/Application.h"

#include "app/AppContext.h"
#include "app/ConfigFile.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SingleCopy.h"
#include "app/Startup.h"
#include "db/Db.h"
#include "db/DbError.h"
#include "reports/ReportCommand.h"

#include <QApplication>
#include <QStyle>
#include <QTextStream>

#include <memory>

namespace Application {

namespace {

const QString kTitle = QStringLiteral("Account Management Software");

// The configuration file named on the command line, or "" for the default. Sets ok to
// false for an option without its file or an unknown option.
QString configOption(const QStringList &args, bool &ok)
{
    ok = true;
    QString path;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--config")) {
            if (i + 1 >= args.size()) {
                ok = false;
                return {};
            }
            path = args[++i];
        } else if (arg.startsWith(QLatin1String("--config="))) {
            path = arg.mid(9);
        } else {
            ok = false;
            return {};
        }
    }
    return path;
}

} // namespace

int run(int argc, char *argv[])
{
    // A report written to a file shows no window and so may run beside the program.
    if (ReportCommand::requested(argc, argv))
        return ReportCommand::run(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);
    QApplication::setApplicationVersion(QStringLiteral(AMS_VERSION));
    QApplication::setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));

    bool optionsOk = false;
    const QString configPath = configOption(QApplication::arguments(), optionsOk);
    if (!optionsOk) {
        QTextStream(stderr) << "usage: ams [--config FILE]\n";
        return 2;
    }

    std::unique_ptr<MainWindow> window;
    SingleCopy singleCopy;
    try {
        ReadConfigFile(configPath);
        OpenDatabase();
        // The main window exists, hidden, from here on: a location without company
        // settings opens the company information screen in it, and a counter
        // workstation's commands are disabled in its menu.
        window = std::make_unique<MainWindow>();
        LoadCompanySettings();
        ApplyWorkstationRights(*window);
    } catch (const ConfigError &error) {
        MessageBox::ok(nullptr, error.text(), kTitle, MessageBox::Icon::Critical);
        return 1;
    } catch (const DbError &error) {
        window.reset();
        MessageBox::ok(nullptr, error.serverText(), kTitle, MessageBox::Icon::Critical);
        return 1;
    }

    // The second copy has read its file, connected and loaded its settings by now; it
    // says so and ends without showing a window.
    if (!singleCopy.acquire()) {
        window.reset();
        MessageBox::ok(nullptr, QStringLiteral("This application is already running."),
                       QStringLiteral("Application Already Running"));
        return 0;
    }

    window->show();
    const int status = app.exec();
    window.reset();
    if (Db::hasCurrent())
        Db::current().close();
    return status;
}

} // namespace Application
