// The export dialog over the folder of the program's SQLite database: listing the folder
// must leave the connection's locks where they were, so that another workstation still
// sees this one at work, and what this one saves afterwards reaches the others.

#include "SampleReports.h"
#include "TestDb.h"

#include "app/FileDialogs.h"
#include "db/DatabaseTool.h"
#include "db/Db.h"
#include "reports/Viewer.h"
#include "tickets/TicketSaving.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString binary(const QString &name) { return QDir(qEnvironmentVariable("AMS_BIN_DIR")).filePath(name); }

// Runs amsdb as another workstation would; its exit status and what it printed.
std::pair<int, QString> amsdb(const QStringList &args)
{
    QProcess p;
    p.start(binary(QStringLiteral("amsdb")), args);
    if (!p.waitForFinished(240000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

QString databaseFile(const QString &connectionText)
{
    static const QRegularExpression source(QStringLiteral("Data Source=([^;]*);"));
    return source.match(connectionText).captured(1);
}

// The POSIX locks this process holds on the file, as the kernel lists them:
// "1: POSIX  ADVISORY  READ 1234 08:01:5678 128 128" (pid, then device:inode, range).
// None when the file or the list cannot be read.
QStringList locksHeldOn(const QString &path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pid = QByteArray::number(::getpid());
    const QByteArray inode = QByteArray::number(quint64(st.st_ino));
    QStringList held;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 8 && fields[1] == "POSIX" && fields[4] == pid && fields[5].split(':').value(2) == inode)
            held << QString::fromLatin1(fields.mid(1).join(' ')); // without the list's own ordinal
    }
    return held;
}

// The locks on the database and its -shm file, one line each.
QStringList locksHeld(const QString &database) { return locksHeldOn(database) + locksHeldOn(database + QStringLiteral("-shm")); }

// The file dialog open now, once it is up.
QFileDialog *openFileDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

TicketRecord ticketFor(const QString &customer)
{
    TicketRecord ticket;
    ticket.customerId = customer;
    ticket.cardNo = QStringLiteral("01");
    ticket.details.clerk = QStringLiteral("EXPORT");
    ticket.amounts.fuel[TicketLines::Diesel].gallons = QStringLiteral("41");
    ticket.amounts.fuel[TicketLines::Diesel].priceEach = QStringLiteral("3.899");
    TicketLines::figure(ticket.amounts, 0.0825);
    return ticket;
}

} // namespace

class tst_ExportDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { FileDialogs::guardAll(); }
    void exportDialogOnTheDatabaseFolderKeepsTheLocks_data();
    void exportDialogOnTheDatabaseFolderKeepsTheLocks();
};

void tst_ExportDialog::exportDialogOnTheDatabaseFolderKeepsTheLocks_data()
{
    QTest::addColumn<bool>("viaViewer");
    QTest::newRow("the viewer's Export PDF dialog") << true;
    QTest::newRow("any other file dialog the program opens") << false;
}

void tst_ExportDialog::exportDialogOnTheDatabaseFolderKeepsTheLocks()
{
    QFETCH(bool, viaViewer);
    auto db = TestDb::fresh(QStringLiteral("SQLite"));
    Db::setCurrent(db.get());
    DatabaseTool::fillDemo(*db, QDate::currentDate());
    const QString text = TestDb::connectionText(QStringLiteral("SQLite"));
    const QString database = databaseFile(text);
    const QString folder = QFileInfo(database).absolutePath();
    QVERIFY2(QFileInfo::exists(database + QStringLiteral("-shm")), qPrintable(database));
    const QStringList before = locksHeld(database);
    QVERIFY2(!before.isEmpty(), "the connection holds no locks to begin with");

    // The dialog is turned to the database's folder and left there until every file in
    // it is listed with its type, then cancelled.
    bool listed = false;
    QString startedIn;
    QTimer::singleShot(0, this, [&] {
        QFileDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = openFileDialog()) != nullptr);
        startedIn = dialog->directory().absolutePath();
        dialog->setDirectory(folder);
        auto *model = dialog->findChild<QFileSystemModel *>();
        auto fileListed = [&] {
            const QModelIndex file = model->index(database);
            return file.isValid() && !model->type(file).isEmpty() && model->index(database + QStringLiteral("-shm")).isValid();
        };
        QTRY_VERIFY_WITH_TIMEOUT(fileListed(), 20000);
        // Types and icons are filled in by later rounds of the event loop.
        QTest::qWait(1500);
        listed = true;
        dialog->reject();
    });
    std::unique_ptr<QFileDialog> plain;
    if (viaViewer) {
        Viewer *viewer = Viewer::showReport(SampleReports::listing(false));
        QVERIFY(viewer);
        viewer->findChild<QAction *>(QStringLiteral("actExport"))->trigger();
        viewer->close();
        QCOMPARE(startedIn, QDir(FileDialogs::startFolder()).absolutePath());
    } else {
        // As Qt's print dialog opens its output file chooser: a dialog of Qt's own.
        plain = std::make_unique<QFileDialog>(nullptr, QStringLiteral("Print To File ..."));
        plain->exec();
    }
    QVERIFY(listed);
    // Every lock the connection held is held still (a listing that opened a file would
    // have dropped them all).
    const QStringList after = locksHeld(database);
    for (const QString &lock : before)
        QVERIFY2(after.contains(lock), qPrintable(QStringLiteral("locks before:\n%1\nlocks after:\n%2")
                                                      .arg(before.join(QLatin1Char('\n')), after.join(QLatin1Char('\n')))));

    // Another workstation comes and goes; this one saves a ticket afterwards, which a
    // backup taken while this one still runs must hold.
    const auto [checked, checkOutput] = amsdb({QStringLiteral("check"), text});
    QVERIFY2(checked == 0, qPrintable(checkOutput));
    QVERIFY2(QFileInfo::exists(database + QStringLiteral("-wal")), "the other workstation removed the write-ahead log");
    const TicketSaving::Outcome saved =
        TicketSaving::save(*db, ticketFor(QStringLiteral("1001")), {QStringLiteral("WS9"), 1, QDateTime::currentDateTime()});
    QVERIFY(saved.posted);
    QTemporaryDir copies;
    const QString backup = copies.filePath(QStringLiteral("backup.db"));
    const auto [backedUp, backupOutput] = amsdb({QStringLiteral("backup"), text, backup});
    QVERIFY2(backedUp == 0, qPrintable(backupOutput));
    {
        auto copy = Db::open(QStringLiteral("Provider=SQLite;Data Source=%1;").arg(backup));
        const auto row = copy->firstRow(QStringLiteral("SELECT COUNT(*) FROM Tickets WHERE ID = ?"), {saved.id});
        QVERIFY(row);
        QCOMPARE(row->value(0).toInt(), 1);
    }
    Db::setCurrent(nullptr);
}

QTEST_MAIN(tst_ExportDialog)
#include "tst_exportdialog.moc"
