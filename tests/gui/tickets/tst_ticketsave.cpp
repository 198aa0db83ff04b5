#include "TicketFixture.h"

#include "app/Numbers.h"

#include <QGuiApplication>

// Saving, posting, printing and browsing charge tickets, on every configured server.
class TestTicketSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void saveGate_data()
    {
        QTest::addColumn<QString>("clerk");
        QTest::addColumn<QStringList>("typing"); // field, text, ...
        QTest::addColumn<bool>("saved");
        QTest::addColumn<double>("total");
        QTest::newRow("a total of 0 is refused") << "JD" << QStringList{"txtGasGallons", "10"} << false << 0.0;
        QTest::newRow("no clerk is refused") << "" << QStringList{"txtOil", "10"} << false << 0.0;
        QTest::newRow("a negative total from the discount alone is accepted")
            << "JD" << QStringList{"txtDieselGallons", "120", "txtDieselPriceEach", "0"} << true << -6.0;
        QTest::newRow("a total of 52.5 is stored and posted")
            << "JD" << QStringList{"txtGasGallons", "15", "txtGasPriceEach", "3.5"} << true << 52.5;
    }
    void saveGate()
    {
        QFETCH(QString, clerk);
        QFETCH(QStringList, typing);
        QFETCH(bool, saved);
        QFETCH(double, total);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.type("txtClerk", clerk);
        f.replaceAll(typing);
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (saved) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(f.ticketCount(), 1);
            QCOMPARE(f.scalar("SELECT Total FROM Tickets").toDouble(), total);
            QCOMPARE(f.balance(), 100 + total);
            QCOMPARE(f.printed.size(), 1);
            // Ready for the next ticket.
            QCOMPARE(f.text("txtAcctNo"), QString());
            QCOMPARE(f.text("txtID"), QString());
            QCOMPARE(f.text("txtTotal"), QStringLiteral("0"));
            QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
            QVERIFY(!f.group("Purchase Info")->isEnabled());
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].title, QStringLiteral("Not Enough Information"));
            QCOMPARE(shown[0].text, QStringLiteral("You must select an Account, Clerk, and some dollar amount before "
                                                   "saving/printing this record."));
            QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
            QCOMPARE(f.ticketCount(), 0);
            QCOMPARE(f.balance(), 100.0);
            QVERIFY(f.printed.isEmpty());
            QCOMPARE(f.text("txtAcctNo"), QStringLiteral("1234AB"));
        }
    }

    void aWholeTicketByKeyboard()
    {
        TicketFixture f;
        f.addStandardAccount();
        QVERIFY(f.open());
        // What the clerk types into each field before Enter, in the order Enter walks.
        const QStringList keys = {"1234AB", "JD", "T-1", "", "",    "", "", "", "10", "3", "", "",
                                  "",       "",   "",    "", "5+5", "", "", "", "",   "",  ""};
        for (const QString &k : keys) {
            QWidget *w = QApplication::focusWidget();
            QTest::keyClicks(w, k);
            QTest::keyClick(w, Qt::Key_Return);
        }
        QCOMPARE(f.focused(), QStringLiteral("btnSave"));
        QCOMPARE(f.ticketCount(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.scalar("SELECT OilPriceExt FROM Tickets").toDouble(), 10.0);
        QCOMPARE(f.scalar("SELECT TruckNumber FROM Tickets").toString(), QStringLiteral("T-1"));
        QCOMPARE(f.scalar("SELECT Total FROM Tickets").toDouble(), 40.82);
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
    }

    // After a save the screen is a blank ticket, its lines and totals as a newly opened
    // screen has them, and the next ticket typed figures from there alone.
    void aSavedTicketLeavesABlankOneForTheNext_data()
    {
        QTest::addColumn<QStringList>("first"); // field, text, field, text...
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("fuel with its discount, then merchandise alone")
            << QStringList{"txtClerk", "JD", "txtDieselGallons", "100", "txtReeferGallons", "20", "txtOil", "3"}
            << QStringList{"txtClerk", "JD", "txtOil", "10"}
            << QStringList{"txtDiscountGallons", "",      "txtDieselPriceExt", "0", "txtSubtotal", "10", "txtTax", "0.825",
                           "txtTotal",           "10.825"};
        QTest::newRow("gas at a price of its own, then diesel")
            << QStringList{"txtClerk", "JD", "txtGasGallons", "40", "txtGasPriceEach", "2.5"}
            << QStringList{"txtClerk", "JD", "txtDieselGallons", "10"}
            << QStringList{"txtGasPriceEach",   "",   "txtGasPriceExt",      "0",    "txtDiscountGallons", "10",
                           "txtDieselPriceExt", "39", "txtDiscountPriceExt", "-0.5", "txtTotal",           "38.5"};
        QTest::newRow("a diesel price typed over goes back to the default")
            << QStringList{"txtClerk", "JD", "txtDieselGallons", "100", "txtDieselPriceEach", "4"}
            << QStringList{"txtClerk", "JD", "txtDieselGallons", "1"}
            << QStringList{"txtDieselPriceEach", "3.9", "txtDieselPriceExt", "3.9", "txtTotal", "3.85"};
    }
    void aSavedTicketLeavesABlankOneForTheNext()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, next);
        QFETCH(QStringList, expected);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.replaceAll(first);
        f.click("btnSave");
        QCOMPARE(f.ticketCount(), 1);

        QCOMPARE(f.text("txtAcctNo"), QString());
        for (const char *name : {"txtClerk", "txtGasGallons", "txtGasPriceEach", "txtDieselGallons", "txtReeferGallons",
                                 "txtDiscountGallons", "txtDEFGallons", "txtOil"})
            QCOMPARE(f.text(name), QString());
        QCOMPARE(f.text("txtDieselPriceEach"), QStringLiteral("3.9"));
        QCOMPARE(f.text("txtDiscountPriceEach"), QStringLiteral("-0.05"));
        QCOMPARE(f.text("txtDEFPriceEach"), QStringLiteral("2.999"));
        for (const char *name : {"txtGasPriceExt", "txtDieselPriceExt", "txtReeferPriceExt", "txtDiscountPriceExt",
                                 "txtDEFPriceExt", "txtSubtotal", "txtTax", "txtTotal"})
            QCOMPARE(f.text(name), QStringLiteral("0"));
        QVERIFY(!f.group("Purchase Info")->isEnabled());
        // The account panel stays on the account with the balance the ticket left it.
        QCOMPARE(f.text("txtBalance"), Numbers::plainText(f.balance()));

        f.enterAccount(QStringLiteral("1234AB"));
        f.replaceAll(next);
        for (int i = 0; i < expected.size(); i += 2)
            QCOMPARE(f.text(expected[i]), expected[i + 1]);
        f.click("btnSave");
        QCOMPARE(f.ticketCount(), 2);
    }

    void storedRowHoldsTheScreen()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.type("txtClerk", "O'Brien");
        f.type("txtTruckNo", "T-1");
        f.type("txtTrailer", "TR 9");
        f.type("txtGasGallons", "40");
        f.type("txtGasPriceEach", "2.5");
        f.type("txtOil", "10");
        QCOMPARE(f.text("txtTotal"), QStringLiteral("110.825"));
        f.click("btnSave");
        const auto row = f.db->firstRow("SELECT * FROM Tickets");
        QVERIFY(row);
        QCOMPARE(row->value("CustomerID").toString(), QStringLiteral("1234"));
        QCOMPARE(row->value("CardNo").toString(), QStringLiteral("AB"));
        QCOMPARE(row->value("Clerk").toString(), QStringLiteral("O'Brien"));
        QCOMPARE(row->value("Mileage").toString(), QString());
        QCOMPARE(row->value("Trailer").toString(), QStringLiteral("TR 9"));
        QCOMPARE(row->value("GasPriceExt").toDouble(), 100.0);
        QCOMPARE(row->value("DieselPriceEach").toDouble(), 3.9);
        QCOMPARE(row->value("Subtotal").toDouble(), 110.0);
        // Tax and total rounded half-even to the cent; the unrounded 0.825 goes down.
        QCOMPARE(row->value("Tax").toDouble(), 0.82);
        QCOMPARE(row->value("Total").toDouble(), 110.82);
        QCOMPARE(row->value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(row->value("Location").toInt(), 1);
        const QDateTime entered = f.db->dialect().readDateTime(row->value("DateEntered"));
        QVERIFY(qAbs(entered.secsTo(QDateTime::currentDateTime())) < 60);
        // The balance grows by the total as stored, so it stays the sum of the tickets.
        QCOMPARE(f.balance(), 210.82);
        QCOMPARE(f.printed, (QList<QPair<int, bool>>{{row->value("ID").toInt(), true}}));
    }

    void postingPutsTheAccountOnHoldAtTheLimit()
    {
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", 950, 1000, 0.8);
        f.addCard("1234", "AB");
        QVERIFY(f.openWithAccount("1234AB"));
        QCOMPARE(f.shownTitles(), QStringList{"Approaching Credit Limit"});
        f.type("txtClerk", "JD");
        f.type("txtOil", "46.19"); // 46.19 + 8.25 % tax = 50.0006..., stored as 50
        f.click("btnSave");
        QCOMPARE(f.balance(), 1000.0);
        QCOMPARE(f.scalar("SELECT AcctOnHold FROM Customer WHERE ID = '1234'").toInt(), 1);
        // The next ticket for the account is refused.
        f.enterAccount("1234AB");
        QCOMPARE(f.shownTitles(), QStringList{"Exceeded Credit Limit"});
    }

    void sevenCharacterAccountKeepsItsWholeCard()
    {
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING");
        f.addCard("1234", "ABC");
        QVERIFY(f.openWithAccount("1234ABC"));
        f.typeOilSale();
        f.click("btnSave");
        QCOMPARE(f.scalar("SELECT CardNo FROM Tickets").toString(), QStringLiteral("ABC"));
        f.click("btnBack");
        QCOMPARE(f.text("txtAcctNo"), QStringLiteral("1234ABC"));
    }

    void failedPostingKeepsTheTicket()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.db->exec("ALTER TABLE Customer RENAME TO CustomerAway");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Error updating customer balance!"));
        QCOMPARE(shown[0].title, QStringLiteral("DB Error"));
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.printed.size(), 1);
        QCOMPARE(f.text("txtAcctNo"), QString());
    }

    void printingRetry_data()
    {
        QTest::addColumn<QList<bool>>("results");
        QTest::addColumn<QList<MessageBox::Answer>>("answers");
        QTest::addColumn<int>("prints");
        QTest::addColumn<int>("questions");
        using A = MessageBox::Answer;
        QTest::newRow("printed at once") << QList<bool>{true} << QList<A>{} << 1 << 0;
        QTest::newRow("no printer, No gives up") << QList<bool>{false} << QList<A>{A::No} << 1 << 1;
        QTest::newRow("Yes retries until it prints") << QList<bool>{false, false, true} << QList<A>{A::Yes, A::Yes} << 3 << 2;
        QTest::newRow("Yes then No") << QList<bool>{false, false} << QList<A>{A::Yes, A::No} << 2 << 2;
    }
    void printingRetry()
    {
        QFETCH(QList<bool>, results);
        QFETCH(QList<MessageBox::Answer>, answers);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.find<QRadioButton>("optDontPrint")->click();
        f.printResults = results;
        for (MessageBox::Answer a : answers)
            MessageBox::queueAnswer(a);
        f.click("btnSave");
        const int id = f.scalar("SELECT ID FROM Tickets").toInt();
        QTEST(int(f.printed.size()), "prints");
        for (const auto &call : f.printed)
            QCOMPARE(call, qMakePair(id, false));
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QTEST(int(shown.size()), "questions");
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.text, QStringLiteral("There was an error printing the Ticket. Would you like to retry?"));
            QCOMPARE(s.title, QStringLiteral("Error Printing"));
            QCOMPARE(s.buttons, MessageBox::Buttons::YesNo);
            QCOMPARE(s.icon, MessageBox::Icon::None);
        }
        // Stored and posted whatever the printer did.
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.balance(), 105.41);
        QCOMPARE(f.text("txtAcctNo"), QString());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void rewritingAShownTicketPostsTheDifference()
    {
        TicketFixture f;
        f.addStandardAccount();
        f.addTicket(120, 1, "AL");
        QVERIFY(f.openWithAccount("1234AB"));
        f.click("btnBack");
        QCOMPARE(f.text("txtID"), QStringLiteral("120"));
        f.replace("txtOil", "7");
        f.click("btnSave");
        QCOMPARE(f.ticketCount(), 1);
        const auto row = f.db->firstRow("SELECT * FROM Tickets WHERE ID = 120");
        QCOMPARE(row->value("OilPriceExt").toDouble(), 7.0);
        QCOMPARE(row->value("Total").toDouble(), 42.58); // gas 30, DEF 5, oil 7 and its tax 0.5775
        QCOMPARE(row->value("WorkStationID").toString(), QStringLiteral("7"));
        // The ticket was stored for 35.41 and is now 42.58.
        QCOMPARE(f.balance(), 107.17);
        QCOMPARE(f.printed, (QList<QPair<int, bool>>{{120, true}}));
    }

    void rewritingATicketDeletedMeanwhileIsAnError()
    {
        TicketFixture f;
        QVERIFY(f.openShowingStoredTicket(120));
        f.db->exec("DELETE FROM Tickets");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Ticket 120 is no longer stored."));
        // Not quietly stored as a new ticket, not posted, not printed.
        QCOMPARE(f.ticketCount(), 0);
        QCOMPARE(f.balance(), 100.0);
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("txtID"), QStringLiteral("120"));
    }

    void browsingStaysInThisLocation_data()
    {
        QTest::addColumn<QString>("presses");
        QTest::addColumn<QString>("shown"); // "" for a cleared screen
        QTest::newRow("<< on an empty screen shows the newest of this location") << "<"
                                                                                 << "103";
        QTest::newRow("<< skips the other location's tickets") << "<<"
                                                               << "100";
        QTest::newRow("<< past the oldest clears the screen") << "<<<"
                                                              << "";
        QTest::newRow(">> skips back over them") << "<<>"
                                                 << "103";
        QTest::newRow(">> past the newest clears the screen") << "<>"
                                                              << "";
        QTest::newRow(">> on an empty screen does nothing") << ">"
                                                            << "";
        QTest::newRow("<< after clearing starts at the newest again") << "<<<<"
                                                                      << "103";
    }
    void browsingStaysInThisLocation()
    {
        QFETCH(QString, presses);
        TicketFixture f;
        f.addStandardAccount();
        // Location 1 holds 100 and 103; location 2 holds 101, 102 and 140; numbers in
        // between were never used.
        f.addTicket(100, 1, "A100");
        f.addTicket(101, 2, "B101");
        f.addTicket(102, 2, "B102");
        f.addTicket(103, 1, "A103");
        f.addTicket(140, 2, "B140");
        QVERIFY(f.open());
        for (QChar c : presses)
            f.click(c == u'<' ? "btnBack" : "btnNext");
        QFETCH(QString, shown);
        QCOMPARE(f.text("txtID"), shown);
        QCOMPARE(f.text("txtClerk"), shown.isEmpty() ? QString() : QStringLiteral("A") + shown);
        QCOMPARE(f.text("txtTotal"), shown.isEmpty() ? QStringLiteral("0") : QStringLiteral("35.41"));
        // A cleared screen keeps no account without its customer.
        QCOMPARE(f.text("txtAcctNo"), shown.isEmpty() ? QString() : QStringLiteral("1234AB"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    // Page Up and << leave a ticket being typed only when the clerk says so.
    void pagingAwayFromATypedTicketAsks_data()
    {
        QTest::addColumn<bool>("typeLines");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("ticket"); // the stored ticket on the screen afterwards; "" for the typed one
        QTest::newRow("No keeps the typed ticket") << true << false << true << "";
        QTest::newRow("Yes shows the newest stored ticket") << true << true << true << "103";
        QTest::newRow("an account without lines pages without a word") << false << false << false << "103";
    }
    void pagingAwayFromATypedTicketAsks()
    {
        QFETCH(bool, typeLines);
        QFETCH(bool, yes);
        TicketFixture f;
        f.addTicket(103, 1, "A103");
        QVERIFY(f.openWithStandardAccount());
        if (typeLines)
            f.typeOilSale();
        MessageBox::queueAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_PageUp);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QFETCH(bool, asked);
        QCOMPARE(shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(shown[0].text, QStringLiteral("Discard the ticket being typed?"));
            QCOMPARE(shown[0].buttons, MessageBox::Buttons::YesNo);
        }
        QFETCH(QString, ticket);
        QCOMPARE(f.text("txtID"), ticket);
        if (ticket.isEmpty()) {
            QCOMPARE(f.text("txtAcctNo"), QStringLiteral("1234AB"));
            QCOMPARE(f.text("txtClerk"), QStringLiteral("JD"));
            QCOMPARE(f.text("txtOil"), QStringLiteral("5"));
        } else {
            QCOMPARE(f.text("txtClerk"), QStringLiteral("A103"));
        }
    }

    void showingATicketKeepsTheGroups()
    {
        TicketFixture f;
        QVERIFY(f.openShowingStoredTicket(5));
        // Shown, but nothing was accepted: the groups stay locked.
        QCOMPARE(f.text("txtAcctNo"), QStringLiteral("1234AB"));
        QCOMPARE(f.text("txtCustomer"), QStringLiteral("SMITH TRUCKING"));
        QVERIFY(!f.group("Purchase Info")->isEnabled());
        f.replace("txtAcctNo", "1234AB");
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_Return);
        f.click("btnBack");
        QCOMPARE(f.text("txtID"), QStringLiteral("5"));
        QCOMPARE(f.text("txtCustomer"), QStringLiteral("SMITH TRUCKING"));
        QVERIFY(f.group("Purchase Info")->isEnabled());
        QCOMPARE(f.text("txtGasPriceExt"), QStringLiteral("30"));
        QCOMPARE(f.text("txtDEFPriceExt"), QStringLiteral("5"));
        QCOMPARE(f.text("txtTax"), QStringLiteral("0.41"));
    }

    void nullDefColumnsShowEmpty()
    {
        TicketFixture f;
        QVERIFY(f.openShowingStoredTicket(9, false));
        QCOMPARE(f.text("txtID"), QStringLiteral("9"));
        QCOMPARE(f.text("txtDEFGallons"), QString());
        QCOMPARE(f.text("txtDEFPriceEach"), QString());
        QCOMPARE(f.text("txtDEFPriceExt"), QStringLiteral("0"));
        // Other columns the row left NULL show empty too, not a stray zero.
        QCOMPARE(f.text("txtDieselGallons"), QString());
        QCOMPARE(f.text("txtTobacco"), QString());
        QCOMPARE(f.text("txtTotal"), QStringLiteral("35.41"));
    }

    void databaseErrorRestoresThePointer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("saving") << "btnSave";
        QTest::newRow("browsing back") << "btnBack";
    }
    void databaseErrorRestoresThePointer()
    {
        QFETCH(QString, button);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.db->exec("DROP TABLE Tickets");
        // Browsing away from the typed ticket is asked first; Yes goes on to the error.
        const bool browsing = button == QLatin1String("btnBack");
        if (browsing)
            MessageBox::queueAnswer(MessageBox::Answer::Yes);
        f.click(button);
        QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (browsing && !shown.isEmpty() && shown[0].text == QLatin1String("Discard the ticket being typed?"))
            shown.removeFirst();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, MessageBox::Icon::Critical);
        QVERIFY(!shown[0].text.isEmpty());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // Nothing was posted for a ticket that was never stored.
        QCOMPARE(f.balance(), 100.0);
        QVERIFY(f.printed.isEmpty());
    }
};

QTEST_MAIN(TestTicketSave)
#include "tst_ticketsave.moc"
