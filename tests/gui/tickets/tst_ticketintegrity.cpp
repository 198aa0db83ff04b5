#include "TicketFixture.h"

#include "accounts/CustomerBalances.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>

// What keeps a charge ticket honest on the screen, on every configured server: it goes
// to an account that passed the check, a reprint moves the balances with it, amounts
// and texts the database cannot hold are refused, a shown ticket shows its own customer,
// and the clerk sees the account's standing and what became of each save.
class TestTicketIntegrity : public QObject
{
    Q_OBJECT

    // A second account beside the usual one: 5678CD of JONES FREIGHT, balance 0, in the
    // standing a test row asks for.
    static void addSecondAccount(TicketFixture &f, const QString &standing)
    {
        f.addCustomer("5678", "JONES FREIGHT", standing == u"near its limit" ? 850 : 0, 1000, 0.8,
                      standing == u"inactive customer", standing == u"on hold");
        f.addCard("5678", "CD", standing == u"card type 3" ? "3" : "1", standing == u"inactive card");
    }

    // Sends a key carrying this text to the box, as a keyboard that can produce it would.
    static void typeCharacter(QWidget *box, QChar c)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    // Account 1234AB was accepted and the oil sale typed; then the clerk types another
    // account over it and presses Print/Save without pressing Enter.
    void typedOverAccountIsCheckedFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("standing"); // of 5678CD
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("chargedTo"); // "" when nothing may be saved
        QTest::newRow("a good account is checked and charged") << "5678CD"
                                                               << "good" << QStringList{} << "5678";
        QTest::newRow("a card read with its wrapping is unwrapped and charged") << ";5678CD?"
                                                                                << "good" << QStringList{} << "5678";
        QTest::newRow("an account near its limit is warned about and charged")
            << "5678CD"
            << "near its limit" << QStringList{"Approaching Credit Limit"} << "5678";
        QTest::newRow("an account on hold is refused") << "5678CD"
                                                       << "on hold" << QStringList{"Exceeded Credit Limit"} << "";
        QTest::newRow("an inactive customer is refused") << "5678CD"
                                                         << "inactive customer" << QStringList{"Inactive Customer"} << "";
        QTest::newRow("an inactive card is refused") << "5678CD"
                                                     << "inactive card" << QStringList{"Inactive Card"} << "";
        QTest::newRow("an unknown account is refused") << "9999ZZ"
                                                       << "good" << QStringList{"Invalid Account"} << "";
        QTest::newRow("a number too short is refused") << "5678"
                                                       << "good" << QStringList{"Invalid Account"} << "";
        QTest::newRow("a card that may not buy the oil saves nothing")
            << "5678CD"
            << "card type 3" << QStringList{"Merchandise Not Allowed"} << "";
    }
    void typedOverAccountIsCheckedFirst()
    {
        QFETCH(QString, typed);
        QFETCH(QString, standing);
        QFETCH(QString, chargedTo);
        TicketFixture f;
        addSecondAccount(f, standing);
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.typeOver("txtAcctNo", typed);
        QCOMPARE(f.text("txtCustomer"), QStringLiteral("SMITH TRUCKING"));
        f.click("btnSave");
        QTEST(f.shownTitles(), "titles");
        QCOMPARE(f.balance("1234"), 100.0);
        if (chargedTo.isEmpty()) {
            QCOMPARE(f.ticketCount(), 0);
            QVERIFY(f.printed.isEmpty());
            QCOMPARE(f.balance("5678"), standing == u"near its limit" ? 850.0 : 0.0);
            // The ticket stays for the clerk to put right.
            QCOMPARE(f.text("txtAcctNo"), typed);
            QCOMPARE(f.text("txtOil"), QStringLiteral("5"));
            QCOMPARE(f.text("txtClerk"), QStringLiteral("JD"));
            QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
            return;
        }
        QCOMPARE(f.ticketCount(), 1);
        QCOMPARE(f.scalar("SELECT CustomerID FROM Tickets").toString(), chargedTo);
        QCOMPARE(f.scalar("SELECT CardNo FROM Tickets").toString(), QStringLiteral("CD"));
        QCOMPARE(f.balance("5678"), (standing == u"near its limit" ? 850.0 : 0.0) + 5.41);
        QCOMPARE(f.printed.size(), 1);
        QCOMPARE(f.text("txtAcctNo"), QString());
    }

    // Ticket 120 of 1234AB for 35.41 is stored and posted; it is shown with "<<" and
    // saved again.
    void reprintMovesTheBalances_data()
    {
        QTest::addColumn<QString>("accepted"); // before browsing; "" for none
        QTest::addColumn<QString>("typed");    // over the shown account; "" to leave it
        QTest::addColumn<QString>("oil");      // typed over the oil; "" to leave it
        QTest::addColumn<QString>("held");     // the customer put on hold; "" for none
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<double>("balance1234");
        QTest::addColumn<double>("balance5678");
        QTest::newRow("an unchanged reprint posts nothing") << ""
                                                            << ""
                                                            << ""
                                                            << "" << QStringList{} << 35.41 << 0.0;
        QTest::newRow("an unchanged reprint of an account now on hold is printed") << ""
                                                                                   << ""
                                                                                   << ""
                                                                                   << "1234" << QStringList{} << 35.41 << 0.0;
        QTest::newRow("changed oil posts the difference") << "1234AB"
                                                          << ""
                                                          << "7"
                                                          << "" << QStringList{} << 42.58 << 0.0;
        QTest::newRow("another account, checked, takes the ticket") << "1234AB"
                                                                    << "5678CD"
                                                                    << ""
                                                                    << "" << QStringList{} << 0.0 << 35.41;
        QTest::newRow("another account with changed oil takes the new total") << "1234AB"
                                                                              << "5678CD"
                                                                              << "7"
                                                                              << "" << QStringList{} << 0.0 << 42.58;
        QTest::newRow("another account on hold is refused") << "1234AB"
                                                            << "5678CD"
                                                            << ""
                                                            << "5678" << QStringList{"Exceeded Credit Limit"} << 35.41 << 0.0;
        QTest::newRow("a higher total for the shown account on hold is refused")
            << "5678CD"
            << ""
            << "70"
            << "1234" << QStringList{"Exceeded Credit Limit"} << 35.41 << 0.0;
    }
    void reprintMovesTheBalances()
    {
        QFETCH(QString, accepted);
        QFETCH(QString, typed);
        QFETCH(QString, oil);
        QFETCH(QString, held);
        QFETCH(QStringList, titles);
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", 35.41);
        f.addCard("1234", "AB");
        addSecondAccount(f, "good");
        f.addTicket(120, 1, "AL");
        QVERIFY(f.open());
        if (!accepted.isEmpty())
            f.enterAccount(accepted);
        if (!held.isEmpty())
            f.db->exec("UPDATE Customer SET AcctOnHold = 1 WHERE ID = ?", {held});
        f.click("btnBack");
        QCOMPARE(f.text("txtID"), QStringLiteral("120"));
        if (!oil.isEmpty())
            f.replace("txtOil", oil);
        if (!typed.isEmpty())
            f.typeOver("txtAcctNo", typed);
        f.click("btnSave");
        QCOMPARE(f.shownTitles(), titles);
        QCOMPARE(f.ticketCount(), 1);
        QTEST(f.balance("1234"), "balance1234");
        QTEST(f.balance("5678"), "balance5678");
        QCOMPARE(f.printed.size(), titles.isEmpty() ? 1 : 0);
        // Every balance is what the tickets make it, so the rebuild changes none.
        QCOMPARE(RebuildCustomerBalances(*f.db).changed, 0);
    }

    // Ticket 120 of 1234AB holds oil of 5, sold before the card became type 3 (fuel only).
    // Another card unlocked the lines; the stored ticket is shown and saved again.
    void storedTicketOfACardNowFuelOnly_data()
    {
        QTest::addColumn<QString>("oil"); // typed over the oil; "" to leave it
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<double>("balance1234");
        QTest::newRow("saved again as it was, it is printed") << "" << QStringList{} << 35.41;
        QTest::newRow("more oil typed into it is refused") << "7" << QStringList{"Merchandise Not Allowed"} << 35.41;
    }
    void storedTicketOfACardNowFuelOnly()
    {
        QFETCH(QString, oil);
        QFETCH(QStringList, titles);
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", 35.41);
        f.addCard("1234", "AB", "3");
        addSecondAccount(f, "good");
        f.addTicket(120, 1, "AL");
        QVERIFY(f.open());
        f.enterAccount("5678CD");
        f.click("btnBack");
        QCOMPARE(f.text("txtID"), QStringLiteral("120"));
        if (!oil.isEmpty())
            f.replace("txtOil", oil);
        f.click("btnSave");
        QCOMPARE(f.shownTitles(), titles);
        QCOMPARE(f.scalar("SELECT OilPriceExt FROM Tickets WHERE ID = 120").toDouble(), 5.0);
        QTEST(f.balance("1234"), "balance1234");
        QCOMPARE(f.printed.size(), titles.isEmpty() ? 1 : 0);
    }

    void unstorableAmountsAreRefused_data()
    {
        QTest::addColumn<QStringList>("typing"); // field, text, ... after the oil sale
        QTest::addColumn<QString>("refused");    // the field named; "" when it reads 0 and is saved
        QTest::addColumn<QString>("field");      // the field that must be marked when saved
        const QString nines(40, u'9');
        QTest::newRow("gallons of 1e308") << QStringList{"txtDieselGallons", "1e308"} << "Diesel Gallons"
                                          << "";
        QTest::newRow("gallons of forty nines") << QStringList{"txtDieselGallons", nines} << "Diesel Gallons"
                                                << "";
        QTest::newRow("gallons beyond every number, which turn the total into NaN")
            << QStringList{"txtDieselGallons", "1e400", "txtReeferGallons", "-1e400"} << "Diesel Gallons"
            << "";
        QTest::newRow("gallons of inf read 0 and are marked") << QStringList{"txtDieselGallons", "inf"} << ""
                                                              << "txtDieselGallons";
        QTest::newRow("a price of 1e308") << QStringList{"txtGasGallons", "10", "txtGasPriceEach", "1e308"} << "Gas Price Each"
                                          << "";
        QTest::newRow("a price of forty nines")
            << QStringList{"txtGasGallons", "10", "txtGasPriceEach", nines} << "Gas Price Each"
            << "";
        QTest::newRow("no gallons at an infinite price, a NaN extension")
            << QStringList{"txtGasGallons", "0", "txtGasPriceEach", "1e400"} << "Gas Price Each"
            << "";
        QTest::newRow("a price of inf reads 0 and is marked")
            << QStringList{"txtGasGallons", "10", "txtGasPriceEach", "inf"} << ""
            << "txtGasPriceEach";
        QTest::newRow("merchandise of 1e308") << QStringList{"txtTobacco", "1e308"} << "Tobacco"
                                              << "";
        QTest::newRow("merchandise of forty nines") << QStringList{"txtTobacco", nines} << "Tobacco"
                                                    << "";
        QTest::newRow("merchandise infinite both ways, a NaN subtotal")
            << QStringList{"txtDeli", "-1e400", "txtTobacco", "1e400"} << "Deli"
            << "";
        QTest::newRow("merchandise of inf reads 0 and is marked") << QStringList{"txtTobacco", "inf"} << ""
                                                                  << "txtTobacco";
        QTest::newRow("lines within the limit whose subtotal is not")
            << QStringList{"txtGrocery", "999999999", "txtTobacco", "999999999"} << "Subtotal"
            << "";
    }
    void unstorableAmountsAreRefused()
    {
        QFETCH(QStringList, typing);
        QFETCH(QString, refused);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.replaceAll(typing);
        f.box("txtClerk")->setFocus();
        QFETCH(QString, field);
        if (!field.isEmpty()) {
            // The field that reads less than it holds is marked before the save.
            QVERIFY(f.amount(field)->isMarked());
            QCOMPARE(f.amount(field)->toolTip(), QStringLiteral("read as 0"));
        }
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (refused.isEmpty()) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(f.ticketCount(), 1);
            const QString column = field.mid(3) + (field == u"txtTobacco" ? QStringLiteral("PriceExt") : QString());
            QCOMPARE(f.scalar(QStringLiteral("SELECT %1 FROM Tickets").arg(column)).toDouble(), 0.0);
            QCOMPARE(f.scalar("SELECT Total FROM Tickets").toDouble(), 5.41);
            QCOMPARE(f.balance(), 105.41);
            return;
        }
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Amount Cannot Be Saved"));
        QVERIFY2(shown[0].text.startsWith(refused + QStringLiteral(" holds an amount that cannot be stored.")),
                 qPrintable(shown[0].text));
        QCOMPARE(f.ticketCount(), 0);
        QCOMPARE(f.balance(), 100.0);
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("txtOil"), QStringLiteral("5"));
    }

    void textsTheDatabaseCannotHoldAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("column");
        QTest::newRow("account number") << "txtAcctNo"
                                        << "Acct No." << 50 << "";
        QTest::newRow("clerk") << "txtClerk"
                               << "Clerk ID" << 50 << "Clerk";
        QTest::newRow("truck number") << "txtTruckNo"
                                      << "Truck Number" << 53 << "TruckNumber";
        QTest::newRow("mileage") << "txtMileage"
                                 << "Mileage" << 53 << "Mileage";
        QTest::newRow("driver") << "txtDriverID"
                                << "Driver ID" << 53 << "DriverID";
        QTest::newRow("license") << "txtLicense"
                                 << "Drivers License" << 53 << "License";
        QTest::newRow("trip") << "txtTrip"
                              << "Trip Number" << 53 << "Trip";
        QTest::newRow("trailer") << "txtTrailer"
                                 << "Trailer Number" << 53 << "Trailer";
    }
    void textsTheDatabaseCannotHoldAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, width);
        QFETCH(QString, column);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        QLineEdit *box = f.box(name);
        const QString before = box->text();
        const QStringList pastes = {QStringLiteral("A") + QChar(0) + QStringLiteral("B"), QStringLiteral("A\tB"),
                                    QStringLiteral("A\x1b") + QStringLiteral("B"), QString(40000, u'X'),
                                    QString(width + 1, u'W')};
        for (const QString &paste : pastes) {
            QGuiApplication::clipboard()->setText(paste);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            const QList<MessageBox::Shown> shown = MessageBox::takeShown();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].title, QStringLiteral("Text Not Pasted"));
            QVERIFY2(shown[0].text.startsWith(caption + u' '), qPrintable(shown[0].text));
            QCOMPARE(box->text(), before);
        }
        // Typed, NUL and the other control characters simply do not land.
        for (QChar c : {QChar(0), QChar(1), QChar(0x1f), QChar(0x7f)})
            typeCharacter(box, c);
        QCOMPARE(box->text(), before);
        QVERIFY(MessageBox::takeShown().isEmpty());

        // A text at the full width is taken and stored exactly, on every server.
        const QString full = QStringLiteral("O'Neil \"7\" \u00e9") + QString(width - 12, u'x');
        if (!column.isEmpty()) {
            box->clear();
            QGuiApplication::clipboard()->setText(full);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), full);
        }
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        QCOMPARE(f.ticketCount(), 1);
        if (!column.isEmpty())
            QCOMPARE(f.scalar(QStringLiteral("SELECT %1 FROM Tickets").arg(column)).toString(), full);
        QCOMPARE(f.balance(), 105.41);
    }

    void shownTicketShowsItsOwnCustomerAndTime()
    {
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", 100, 1000);
        f.addCard("1234", "AB", "1", false, "FLEET 7");
        f.addCustomer("5678", "JONES FREIGHT", 250, 400);
        f.addCard("5678", "CD", "2", false, "DRIVER MUST SIGN");
        const QDateTime first(QDate(2024, 3, 14), QTime(9, 30, 15));
        f.addTicket(100, 1, "AL", true, "1234AB", first);
        f.addTicket(101, 1, "BO", true, "5678CD", first.addDays(1));
        f.addTicket(102, 1, "CY", true, "4321ZZ", first.addDays(2)); // its customer is gone
        QVERIFY(f.openWithAccount("1234AB"));
        const QList<QPair<QString, QString>> expected = {{"102", ""}, {"101", "JONES FREIGHT"}, {"100", "SMITH TRUCKING"}};
        for (int i = 0; i < expected.size(); ++i) {
            f.click("btnBack");
            QCOMPARE(f.text("txtID"), expected[i].first);
            QCOMPARE(f.text("txtCustomer"), expected[i].second);
            const QDateTime shown = QLocale().toDateTime(f.text("txtDateEntered"), QLocale::ShortFormat);
            QVERIFY2(shown.isValid(), qPrintable(f.text("txtDateEntered")));
            QCOMPARE(shown.date(), first.date().addDays(2 - i));
            QCOMPARE(shown.time().hour(), 9);
            QCOMPARE(shown.time().minute(), 30);
        }
        // The account's standing beside the name is the shown ticket's card's.
        QCOMPARE(f.text("txtBalance"), QStringLiteral("100"));
        QCOMPARE(f.text("txtCardNote"), QStringLiteral("FLEET 7"));
        f.click("btnNext");
        QCOMPARE(f.text("txtBalance"), QStringLiteral("250"));
        QCOMPARE(f.text("txtAvailableCredit"), QStringLiteral("150"));
        QCOMPARE(f.text("txtCardType"), QStringLiteral("2"));
        f.click("btnNext");
        QCOMPARE(f.text("txtBalance"), QString());
        // A new ticket has no date until it is saved.
        f.click("btnNext");
        QCOMPARE(f.text("txtID"), QString());
        QCOMPARE(f.text("txtDateEntered"), QString());
    }

    void accountStandingIsShownAndRefreshed()
    {
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", 1200, 1000, 0.8);
        f.addCard("1234", "AB", "2", false, "PO REQUIRED");
        QVERIFY(f.openWithAccount("1234AB"));
        QCOMPARE(f.shownTitles(), QStringList{"Approaching Credit Limit"});
        const QStringList fields = {"txtBalance", "txtCreditLimit", "txtAvailableCredit", "txtCardType", "txtCardNote"};
        QStringList shown;
        for (const QString &name : fields)
            shown << f.box(name)->text();
        // Over the limit without the hold flag: accepted with the warning, and the
        // negative credit is plain to see.
        QCOMPARE(shown, (QStringList{"$1,200.00", "$1,000.00", "($200.00)", "2", "PO REQUIRED"}));
        for (const QString &name : fields) {
            QVERIFY2(f.box(name)->isReadOnly(), qPrintable(name));
            QCOMPARE(f.box(name)->focusPolicy(), Qt::NoFocus);
        }
        f.typeOilSale();
        f.click("btnSave");
        // The ticket is gone from the screen; the account it went to shows its new standing.
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.box("txtBalance")->text(), QStringLiteral("$1,205.41"));
        QCOMPARE(f.box("txtAvailableCredit")->text(), QStringLiteral("($205.41)"));
        // With the name gone from the screen, the panel says whose figures they are.
        const int id = f.scalar("SELECT ID FROM Tickets").toInt();
        auto *whose = f.find<QLabel>("lblWhose");
        QCOMPARE(whose->text(), QStringLiteral("After ticket %1: 1234AB SMITH TRUCKING").arg(id));
        // A refused account shows nothing.
        f.addCustomer("5678", "JONES FREIGHT", 0, 1000, 0.8, true);
        f.addCard("5678", "CD");
        f.enterAccount("5678CD");
        QCOMPARE(f.shownTitles(), QStringList{"Inactive Customer"});
        for (const QString &name : fields)
            QCOMPARE(f.box(name)->text(), QString());
        QCOMPARE(whose->text(), QString());
    }

    void statusLineSaysWhatBecameOfTheTicket_data()
    {
        QTest::addColumn<QList<bool>>("prints");
        QTest::addColumn<QString>("ending");
        QTest::newRow("printed") << QList<bool>{true} << "printed 3 copies";
        QTest::newRow("the clerk gave up printing") << QList<bool>{false} << "not printed";
    }
    void statusLineSaysWhatBecameOfTheTicket()
    {
        QFETCH(QList<bool>, prints);
        QFETCH(QString, ending);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        QCOMPARE(f.statusLine(), QString());
        f.type("txtClerk", "JD");
        f.type("txtGasGallons", "150");
        f.type("txtGasPriceEach", "3.459");
        f.type("txtOil", "43.1");
        f.printResults = prints;
        MessageBox::queueAnswer(MessageBox::Answer::No);
        f.click("btnSave");
        const int id = f.scalar("SELECT ID FROM Tickets").toInt();
        // 518.85 of gas, 43.10 of oil and its 3.56 of tax.
        QCOMPARE(f.statusLine(), QStringLiteral("Ticket %1 saved for 1234 SMITH TRUCKING: $565.51, %2").arg(id).arg(ending));
    }

    void failedPostingIsInTheStatusLine()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.statusLine();
        f.typeOilSale();
        f.db->exec("ALTER TABLE Customer RENAME COLUMN AcctOnHold TO HeldByHand");
        f.click("btnSave");
        QCOMPARE(f.shownTitles(), QStringList{"DB Error"});
        QCOMPARE(f.ticketCount(), 1);
        // The posting was undone whole: the balance did not take the ticket half-way.
        QCOMPARE(f.balance(), 100.0);
        QVERIFY(f.statusLine().endsWith(QStringLiteral("printed 3 copies; the balance was not updated")));
    }

    void bottomRowKeys()
    {
        TicketFixture f;
        f.addStandardAccount();
        f.addTicket(100, 1, "AL");
        f.addTicket(101, 1, "BO");
        QVERIFY(f.open());
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_PageUp);
        QCOMPARE(f.text("txtID"), QStringLiteral("101"));
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_PageUp);
        QCOMPARE(f.text("txtID"), QStringLiteral("100"));
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_PageDown);
        QCOMPARE(f.text("txtID"), QStringLiteral("101"));
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_S, Qt::ControlModifier);
        // Ctrl+S is Print/Save: the shown ticket is printed again.
        QCOMPARE(f.printed, (QList<QPair<int, bool>>{{101, true}}));
        QCOMPARE(f.find<QPushButton>("btnSave")->text(), QStringLiteral("Print/Save"));
    }
};

QTEST_MAIN(TestTicketIntegrity)
#include "tst_ticketintegrity.moc"
