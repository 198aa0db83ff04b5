#include "CashTicketFixture.h"

#include "../reports/PdfText.h"
#include "reports/ReportOutput.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QTemporaryDir>

// "Print" on the cash ticket screen: the check, the stored row, the printed copies and
// the screen made ready for the next customer, on every configured server.
class TestCashTicketSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void gate_data()
    {
        QTest::addColumn<QString>("clerk");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QStringList>("typing"); // field, text, ...
        QTest::addColumn<bool>("saved");
        QTest::addColumn<double>("total");
        QTest::newRow("lines adding up to exactly 0 are refused")
            << "JD"
            << "WALK IN" << QStringList{"txtDieselGallons", "100", "txtDieselPriceEach", "0.05"} << false << 0.0;
        QTest::newRow("no clerk is refused") << ""
                                             << "WALK IN" << QStringList{"txtOil", "10"} << false << 0.0;
        QTest::newRow("no customer is refused") << "JD"
                                                << "" << QStringList{"txtOil", "10"} << false << 0.0;
        QTest::newRow("a clerk ID of one blank is a clerk ID") << " "
                                                               << "WALK IN" << QStringList{"txtOil", "10"} << true << 10.82;
        QTest::newRow("a negative total from the discount alone is stored")
            << "JD"
            << "WALK IN" << QStringList{"txtDieselGallons", "120", "txtDieselPriceEach", "0"} << true << -6.0;
    }
    void gate()
    {
        QFETCH(QString, clerk);
        QFETCH(QString, customer);
        QFETCH(QStringList, typing);
        QFETCH(bool, saved);
        QFETCH(double, total);
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type("txtClerk", clerk);
        f.enterCustomer(customer);
        for (int i = 0; i < typing.size(); i += 2) {
            f.amount(typing[i])->setPlainText(QString());
            f.type(typing[i], typing[i + 1]);
        }
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (saved) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(f.ticketCount(), 1);
            QCOMPARE(f.scalar("SELECT Total FROM CashTickets").toDouble(), total);
            QCOMPARE(f.printed.size(), 1);
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].title, QStringLiteral("Not Enough Information"));
            QCOMPARE(shown[0].text, QStringLiteral("You must select a Customer, Clerk, and some dollar amount before "
                                                   "saving/printing this record."));
            QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
            QCOMPARE(f.ticketCount(), 0);
            QVERIFY(f.printed.isEmpty());
            // The screen is as it was.
            QCOMPARE(f.text("txtClerk"), clerk);
            QCOMPARE(f.text("cmbCustomer"), customer);
        }
    }

    // The server restarted while the screen was open: Print makes the connection again,
    // stores the ticket once and says so. A server that stays away leaves the ticket on
    // the screen with a message, nothing stored, and the next Print stores it.
    void serverRestartedUnderTheScreen()
    {
        QFETCH_GLOBAL(QString, server);
        if (server == QLatin1String("SQLite"))
            QSKIP("An SQLite file has no connection to lose.");
        CashTicketFixture f;
        QVERIFY(f.open());
        QCOMPARE(f.base.statusLine(), QString());
        Db::setReconnectPauses({0, 100, 200});
        const auto restoredPauses = qScopeGuard([] { Db::setReconnectPauses({}); });
        // The server's side of a restart: every connection to the test's database is
        // ended, from a connection to another database on the server.
        const QString database = f.scalar("SELECT current_database()").toString();
        auto other = Db::open(qEnvironmentVariable("AMS_TEST_PG") + QStringLiteral("PWD=QZ;"));
        const auto restart = [&] {
            other->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = ?"), {database});
        };
        const auto letIn = [&](bool allowed) {
            other->exec(QStringLiteral("ALTER DATABASE %1 WITH ALLOW_CONNECTIONS %2").arg(database, allowed ? "true" : "false"));
        };
        const auto restoredDatabase = qScopeGuard([&] { letIn(true); });

        f.type("txtClerk", "JD");
        f.enterCustomer("WALK IN");
        f.type("txtOil", "10");
        restart();
        f.click("btnSave");
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(f.ticketCount(), 1);
        const int first = f.scalar("SELECT MAX(ID) FROM CashTickets").toInt();
        QCOMPARE(f.base.statusLine(), QStringLiteral("Connection to the database lost; reconnected. Cash ticket %1 saved for "
                                                     "WALK IN: $10.82, printed 3 copies")
                                          .arg(first));

        f.type("txtClerk", "JD");
        f.enterCustomer("WALK IN TWO");
        f.type("txtOil", "20");
        letIn(false);
        restart();
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("The connection to the database was lost and could not be made again "
                                                         "in 3 tries")),
                 qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.endsWith(QStringLiteral("Nothing was saved; save the entry again once the database answers.")),
                 qPrintable(shown[0].text));
        QCOMPARE(f.base.statusLine(), QStringLiteral("Connection to the database lost; not reconnected"));
        // The ticket is still on the screen, and nothing of it was stored or printed.
        QCOMPARE(f.text("cmbCustomer"), QStringLiteral("WALK IN TWO"));
        QCOMPARE(f.text("txtOil"), QStringLiteral("20"));
        QCOMPARE(f.printed.size(), 1);

        letIn(true);
        f.click("btnSave");
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(f.ticketCount(), 2);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM CashTickets WHERE Customer = 'WALK IN TWO'").toInt(), 1);
        QCOMPARE(f.printed.size(), 2);
        QVERIFY2(f.base.statusLine().startsWith(QStringLiteral("Connection to the database lost; reconnected. Cash ticket ")),
                 qPrintable(f.base.statusLine()));
    }

    void storedRowHoldsTheScreen()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type("txtClerk", "MARIA");
        f.enterCustomer("O'NEIL TRUCKING");
        f.typeAll({"txtAddress1", "1 PIER RD", "txtTruckNo", "T-1", "txtDriverID", "D 7", "txtTrailer", "TR 9", "txtGasGallons",
                   "40", "txtGasPriceEach", "2.5", "txtOil", "10", "txtDEFGallons", "0.3333"});
        // Without a DEF price the DEF line adds nothing, and its gallons are stored as typed.
        f.amount("txtDEFPriceEach")->setPlainText(QString());
        QCOMPARE(f.text("txtTotal"), QStringLiteral("110.825"));
        f.click("btnSave");
        const auto row = f.db->firstRow("SELECT * FROM CashTickets");
        QVERIFY(row);
        QCOMPARE(row->value("Customer").toString(), QStringLiteral("O'NEIL TRUCKING"));
        QCOMPARE(row->value("Address1").toString(), QStringLiteral("1 PIER RD"));
        QCOMPARE(row->value("Clerk").toString(), QStringLiteral("MARIA"));
        QCOMPARE(row->value("DriverID").toString(), QStringLiteral("D 7"));
        QCOMPARE(row->value("Trailer").toString(), QStringLiteral("TR 9"));
        // Empty boxes are stored as empty texts, never NULL.
        for (const char *column : {"Address2", "Mileage", "License", "Trip"}) {
            QVERIFY2(!row->value(column).isNull(), column);
            QCOMPARE(row->value(column).toString(), QString());
        }
        // Line amounts as read, unrounded; subtotal, tax and total each rounded from its own field.
        QCOMPARE(row->value("GasPriceExt").toDouble(), 100.0);
        QCOMPARE(row->value("DEFGallons").toDouble(), 0.3333);
        QCOMPARE(row->value("DieselPriceEach").toDouble(), 3.9);
        QCOMPARE(row->value("OilPriceExt").toDouble(), 10.0);
        QCOMPARE(row->value("Subtotal").toDouble(), 110.0);
        QCOMPARE(row->value("Tax").toDouble(), 0.82);
        QCOMPARE(row->value("Total").toDouble(), 110.82);
        QCOMPARE(row->value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(row->value("Location").toInt(), 1);
        const QDateTime entered = f.db->dialect().readDateTime(row->value("DateEntered"));
        QVERIFY(qAbs(entered.secsTo(QDateTime::currentDateTime())) < 60);
        QCOMPARE(f.printed, (QList<QPair<int, bool>>{{row->value("ID").toInt(), true}}));
        // A cash sale touches no account.
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Tickets").toInt(), 0);
        QCOMPARE(f.scalar("SELECT COUNT(*) FROM Customer").toInt(), 0);
    }

    void afterPrintTheScreenWaitsForTheNextCustomer()
    {
        CashTicketFixture f;
        f.addTicket("ADAMS");
        f.addTicket("ZED");
        QVERIFY(f.open());
        f.find<QRadioButton>("optDontPrint")->click();
        f.typeOilSale("MILLER");
        // Another workstation sells to a new name while this ticket is written.
        f.addTicket("BAKER");
        f.click("btnSave");
        QCOMPARE(f.listed(), (QStringList{"ADAMS", "BAKER", "MILLER", "ZED"}));
        QCOMPARE(f.text("txtClerk"), QString());
        QCOMPARE(f.text("cmbCustomer"), QString());
        QCOMPARE(f.text("txtOil"), QString());
        QCOMPARE(f.text("txtTotal"), QStringLiteral("0"));
        QCOMPARE(f.text("txtDieselPriceEach"), QStringLiteral("3.9"));
        QCOMPARE(f.focused(), QStringLiteral("cmbCustomer"));
        // The print option is kept for the next ticket.
        QVERIFY(f.find<QRadioButton>("optDontPrint")->isChecked());
        QCOMPARE(f.printed.constFirst().second, false);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);

        // The next ticket completes the name just sold to.
        f.typeOn("mi");
        QCOMPARE(f.text("cmbCustomer"), QStringLiteral("MILLER"));
    }

    void aFailedPrintIsOfferedAgainAndTheTicketStaysStored_data()
    {
        QTest::addColumn<QList<bool>>("results");
        QTest::addColumn<QList<MessageBox::Answer>>("answers");
        QTest::addColumn<QString>("ending"); // of the status line
        using A = MessageBox::Answer;
        QTest::newRow("No gives up after the first failure") << QList<bool>{false} << QList<A>{A::No} << "not printed";
        QTest::newRow("Yes prints again until it prints")
            << QList<bool>{false, false, true} << QList<A>{A::Yes, A::Yes} << "printed 3 copies";
    }
    void aFailedPrintIsOfferedAgainAndTheTicketStaysStored()
    {
        QFETCH(QList<bool>, results);
        QFETCH(QList<MessageBox::Answer>, answers);
        QFETCH(QString, ending);
        CashTicketFixture f;
        QCOMPARE(f.base.statusLine(), QString());
        QVERIFY(f.open());
        f.typeOilSale();
        f.printResults = results;
        for (MessageBox::Answer a : answers)
            MessageBox::queueAnswer(a);
        f.click("btnSave");
        // Every attempt prints the one stored ticket; each failure asks.
        const int id = f.scalar("SELECT ID FROM CashTickets").toInt();
        const QList<QPair<int, bool>> attempts(results.size(), qMakePair(id, true));
        QCOMPARE(f.printed, attempts);
        QStringList asked;
        for (const MessageBox::Shown &s : MessageBox::takeShown())
            asked << s.title + QStringLiteral(": ") + s.text;
        QCOMPARE(asked, QStringList(answers.size(), QStringLiteral("Error Printing: There was an error printing the "
                                                                   "Ticket. Would you like to retry?")));
        // Stored once whatever the printer did, and the screen ready for the next customer.
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.listed(), QStringList{"WALK IN"});
        QCOMPARE(f.text("cmbCustomer"), QString());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // The main window says what became of the ticket.
        QCOMPARE(f.base.statusLine(), QStringLiteral("Cash ticket %1 saved for WALK IN: $5.41, %2").arg(id).arg(ending));
    }

    void aNameWithAnApostropheIsStoredListedAndRecalled()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type("txtClerk", "JD");
        f.enterCustomer("O'NEIL TRUCKING");
        f.type("txtAddress1", "1 PIER RD");
        f.type("txtOil", "5");
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        QCOMPARE(f.listed(), QStringList{"O'NEIL TRUCKING"});
        f.typeOn("o'");
        QCOMPARE(f.text("cmbCustomer"), QStringLiteral("O'NEIL TRUCKING"));
        f.press(Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(f.text("txtAddress1"), QStringLiteral("1 PIER RD"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void amountsThatCannotBeStoredAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("caption");
        QTest::newRow("gallons beyond any tank") << "txtGasGallons"
                                                 << "1e300"
                                                 << "Gas Gallons";
        QTest::newRow("a merchandise amount past the largest") << "txtTobacco"
                                                               << "1000000000"
                                                               << "Tobacco";
    }
    void amountsThatCannotBeStoredAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, caption);
        CashTicketFixture f;
        QVERIFY(f.open());
        f.typeOilSale();
        f.amount("txtGasPriceEach")->setPlainText("1");
        f.type(field, typed);
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Amount Cannot Be Saved"));
        QVERIFY2(shown[0].text.startsWith(caption), qPrintable(shown[0].text));
        QCOMPARE(f.ticketCount(), 0);
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("cmbCustomer"), QStringLiteral("WALK IN"));
    }

    void aListedNameLongerThanTheTicketHoldsIsRefused()
    {
        // Stored by an older program; the printed ticket holds 250 characters.
        CashTicketFixture f;
        const QString longName = QStringLiteral("LONG ") + QString(250, QLatin1Char('N'));
        f.addTicket(longName);
        QVERIFY(f.open());
        f.type("txtClerk", "JD");
        f.enterCustomer("long");
        QCOMPARE(f.text("cmbCustomer"), longName);
        f.type("txtOil", "5");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Text Cannot Be Saved"));
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.focused(), QStringLiteral("cmbCustomer"));
    }

    void aFailedInsertKeepsTheTicketOnScreen()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.typeOilSale();
        f.db->exec("ALTER TABLE CashTickets RENAME TO CashTicketsAway");
        auto back = qScopeGuard([&f] { f.db->exec("ALTER TABLE CashTicketsAway RENAME TO CashTickets"); });
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("cmbCustomer"), QStringLiteral("WALK IN"));
        QCOMPARE(f.text("txtOil"), QStringLiteral("5"));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // Pressing Print again, once the database is back, stores it.
        back.dismiss();
        f.db->exec("ALTER TABLE CashTicketsAway RENAME TO CashTickets");
        f.click("btnSave");
        QCOMPARE(f.ticketCount(), 1);
    }

    void aStoredTicketLeavesTheScreenEvenWhenTheListCannotBeRead()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.typeOilSale();
        f.whilePrinting = [&f] { f.db->exec("ALTER TABLE CashTickets RENAME TO CashTicketsAway"); };
        // Back under its name for the count below and for the next test's fresh database.
        auto back = qScopeGuard([&f] { f.db->exec("ALTER TABLE CashTicketsAway RENAME TO CashTickets"); });
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        // Stored and printed once; a second Print has nothing left to store twice.
        QCOMPARE(f.printed.size(), 1);
        QCOMPARE(f.text("cmbCustomer"), QString());
        QCOMPARE(f.text("txtOil"), QString());
        QCOMPARE(f.focused(), QStringLiteral("cmbCustomer"));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        back.dismiss();
        f.db->exec("ALTER TABLE CashTicketsAway RENAME TO CashTickets");
        QCOMPARE(f.ticketCount(), 1);
    }

    void printsThreeCopiesWithOrWithoutTheDate_data()
    {
        QTest::addColumn<bool>("withDate");
        QTest::newRow("Print Date and Time") << true;
        QTest::newRow("DO NOT Print Date and Time") << false;
    }
    void printsThreeCopiesWithOrWithoutTheDate()
    {
        QFETCH(bool, withDate);
        CashTicketFixture f;
        appContext().company.Name = QStringLiteral("Lone Star Fuel & Go");
        Printers::reset();
        QTemporaryDir out;
        ReportOutput::setPrintTarget(ReportOutput::PrintTarget::PdfFiles, out.path());
        const auto back = qScopeGuard([] { ReportOutput::setPrintTarget(ReportOutput::PrintTarget::DefaultPrinter); });
        QVERIFY(f.open());
        if (!withDate)
            f.find<QRadioButton>("optDontPrint")->click();
        f.typeOilSale("DALE'S TOWING");
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        const QStringList files = PdfText::files(out.path());
        QCOMPARE(files.size(), 3);
        const QString today = QDate::currentDate().toString(QStringLiteral("M/d/yyyy"));
        for (const QString &file : files) {
            const QString text = PdfText::squeezed(PdfText::of(file));
            QVERIFY2(text.contains(QStringLiteral("DALE'S TOWING")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("Oil $5.00")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("Lone Star Fuel & Go")), qPrintable(text));
            QCOMPARE(text.contains(QStringLiteral("Date / Time")), withDate);
            QCOMPARE(text.contains(today), withDate);
        }
        // The row keeps when it was written either way.
        QVERIFY(!f.scalar("SELECT DateEntered FROM CashTickets").isNull());
    }
};

QTEST_MAIN(TestCashTicketSave)
#include "tst_cashticketsave.moc"
