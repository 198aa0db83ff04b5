#include "TicketFixture.h"

#include "app/Numbers.h"

#include <QGuiApplication>

// The charge ticket screen from the account check to the purchase lines, on every
// configured server.
class TestTicketEntry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensEmptyWithDefaults()
    {
        TicketFixture f;
        QVERIFY(f.open());
        QCOMPARE(f.screen->objectName(), QStringLiteral("frmTicketEntry"));
        QCOMPARE(f.screen->windowTitle(), QStringLiteral("Ticket Entry"));
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
        QVERIFY(f.find<QRadioButton>("optPrint")->isChecked());
        QVERIFY(!f.group("Ticket Info")->isEnabled());
        QVERIFY(!f.group("Purchase Info")->isEnabled());
        QVERIFY(f.group("Acct Info")->isEnabled());
        QVERIFY(f.find("btnLookup")->isEnabled());
        QCOMPARE(f.text("txtGasPriceEach"), QString());
        QCOMPARE(f.text("txtDieselPriceEach"), QStringLiteral("3.9"));
        QCOMPARE(f.text("txtDiscountPriceEach"), QStringLiteral("-0.05"));
        QCOMPARE(f.text("txtDEFPriceEach"), QStringLiteral("2.999"));
        for (const char *name :
             {"txtGasPriceExt", "txtDieselPriceExt", "txtDiscountPriceExt", "txtSubtotal", "txtTax", "txtTotal"})
            QCOMPARE(f.text(name), QStringLiteral("0"));
        QCOMPARE(f.text("txtDiscountGallons"), QString());
        for (const char *name : {"txtCustomer", "txtDiscountGallons", "txtDiscountPriceEach", "txtTotal", "txtID"})
            QCOMPARE(f.box(name)->focusPolicy(), Qt::NoFocus);
    }

    void exitClosesWithoutSaving()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.typeOilSale();
        f.click("btnExit");
        QVERIFY(!f.screen->isVisible());
        QCOMPARE(f.ticketCount(), 0);
        QCOMPARE(f.balance(), 100.0);
    }

    void lookupButtonOnlyOnAdministrationWorkstation()
    {
        TicketFixture f(TicketFixture::Counter);
        QVERIFY(f.open());
        QVERIFY(!f.find("btnLookup")->isEnabled());
    }

    void tabOrder()
    {
        TicketFixture f;
        QVERIFY(f.open());
        const QStringList expected = {"txtAcctNo",
                                      "btnLookup",
                                      "txtClerk",
                                      "txtTruckNo",
                                      "txtMileage",
                                      "txtDriverID",
                                      "txtLicense",
                                      "txtTrip",
                                      "txtTrailer",
                                      "txtGasGallons",
                                      "txtGasPriceEach",
                                      "txtDieselGallons",
                                      "txtDieselPriceEach",
                                      "txtReeferGallons",
                                      "txtReeferPriceEach",
                                      "txtDEFGallons",
                                      "txtDEFPriceEach",
                                      "txtOil",
                                      "txtAddatives",
                                      "txtAntifreeze",
                                      "txtWasher",
                                      "txtGrocery",
                                      "txtDeli",
                                      "txtTobacco",
                                      "optPrint",
                                      "optDontPrint",
                                      "btnSave",
                                      "btnExit",
                                      "btnBack",
                                      "btnNext"};
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), expected.size()), expected);
    }

    void accountCheckOutcomes_data()
    {
        QTest::addColumn<double>("balance");
        QTest::addColumn<double>("limit");
        QTest::addColumn<double>("warnAt");
        QTest::addColumn<bool>("customerInactive");
        QTest::addColumn<bool>("cardInactive");
        QTest::addColumn<bool>("onHold");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("active customer well under the limit is accepted quietly")
            << 100.0 << 1000.0 << 0.8 << false << false << false << QStringList{} << true;
        QTest::newRow("balance exactly at the warning mark warns and accepts")
            << 800.0 << 1000.0 << 0.8 << false << false << false << QStringList{"Approaching Credit Limit"} << true;
        QTest::newRow("a cent below the warning mark does not warn")
            << 799.99 << 1000.0 << 0.8 << false << false << false << QStringList{} << true;
        QTest::newRow("exactly at 0.55 of 1500 warns although the binary product is above 825")
            << 825.0 << 1500.0 << 0.55 << false << false << false << QStringList{"Approaching Credit Limit"} << true;
        QTest::newRow("over the limit but not on hold only warns")
            << 1200.0 << 1000.0 << 0.8 << false << false << false << QStringList{"Approaching Credit Limit"} << true;
        QTest::newRow("on hold at a balance of 0 is refused")
            << 0.0 << 1000.0 << 0.8 << false << false << true << QStringList{"Exceeded Credit Limit"} << false;
        QTest::newRow("inactive customer is refused")
            << 100.0 << 1000.0 << 0.8 << true << false << false << QStringList{"Inactive Customer"} << false;
        QTest::newRow("inactive card is refused")
            << 100.0 << 1000.0 << 0.8 << false << true << false << QStringList{"Inactive Card"} << false;
        QTest::newRow("three refusals in a row and no warning")
            << 900.0 << 1000.0 << 0.8 << true << true << true
            << QStringList{"Inactive Customer", "Inactive Card", "Exceeded Credit Limit"} << false;
    }
    void accountCheckOutcomes()
    {
        QFETCH(double, balance);
        QFETCH(double, limit);
        QFETCH(double, warnAt);
        QFETCH(bool, customerInactive);
        QFETCH(bool, cardInactive);
        QFETCH(bool, onHold);
        QFETCH(bool, accepted);
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING", balance, limit, warnAt, customerInactive, onHold);
        f.addCard("1234", "AB", "1", cardInactive);
        QVERIFY(f.openWithAccount("1234AB"));
        QTEST(f.shownTitles(), "titles");
        QCOMPARE(f.text("txtAcctNo"), accepted ? QStringLiteral("1234AB") : QString());
        QCOMPARE(f.text("txtCustomer"), accepted ? QStringLiteral("SMITH TRUCKING") : QString());
        QCOMPARE(f.group("Ticket Info")->isEnabled(), accepted);
        QCOMPARE(f.group("Purchase Info")->isEnabled(), accepted);
        QCOMPARE(f.focused(), accepted ? QStringLiteral("txtClerk") : QStringLiteral("txtAcctNo"));
    }

    void accountInput_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("six characters are checked") << "1234AB"
                                                    << "1234AB" << QStringList{};
        QTest::newRow("a reader's wrapping of eight is stripped") << ";1234AB?"
                                                                  << "1234AB" << QStringList{};
        QTest::newRow("nine characters keep 2 to 8, a seven-character card") << "%1234ABC?"
                                                                             << "1234ABC" << QStringList{};
        QTest::newRow("eleven characters keep 2 to 7") << ";1234AB=99?"
                                                       << "1234AB" << QStringList{};
        QTest::newRow("five characters: Enter does nothing") << "1234A"
                                                             << "1234A" << QStringList{};
        QTest::newRow("ten characters: Enter does nothing") << "1234AB1234"
                                                            << "1234AB1234" << QStringList{};
        QTest::newRow("unknown card") << "1234ZZ"
                                      << "" << QStringList{"Invalid Account"};
        QTest::newRow("an apostrophe is data that finds no account") << "12'4AB"
                                                                     << "" << QStringList{"Invalid Account"};
        QTest::newRow("an apostrophe in the card too") << "1234'B"
                                                       << "" << QStringList{"Invalid Account"};
    }
    void accountInput()
    {
        QFETCH(QString, typed);
        TicketFixture f;
        f.addStandardAccount();
        f.addCard("1234", "ABC");
        QVERIFY(f.openWithAccount(typed));
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QStringList titles;
        for (const MessageBox::Shown &s : shown) {
            titles << s.title;
            QCOMPARE(s.text, QStringLiteral("Invalid Customer/Card Number. Acct/Card Not Found in DB. Please Retry."));
        }
        QTEST(titles, "titles");
        QTEST(f.text("txtAcctNo"), "field");
    }

    void wrongLengthFromOutsideGetsTheLengthMessage()
    {
        TicketFixture f;
        QVERIFY(f.open());
        f.screen->setAccountNumber("12301");
        f.screen->getCustomer();
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Invalid Customer/Card Number. Acct/Card length too short. Please Retry."));
        QCOMPARE(shown[0].title, QStringLiteral("Invalid Account"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::None);
        QCOMPARE(f.text("txtAcctNo"), QString());
    }

    void emptyingTheAccountClearsTheTicket()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.type("txtClerk", "JD");
        f.type("txtOil", "12");
        f.replace("txtAcctNo", QString());
        QCOMPARE(f.text("txtClerk"), QString());
        QCOMPARE(f.text("txtCustomer"), QString());
        QCOMPARE(f.text("txtOil"), QString());
        QCOMPARE(f.text("txtTotal"), QStringLiteral("0"));
        QVERIFY(!f.group("Purchase Info")->isEnabled());
    }

    void cardTypeDecidesMerchandise_data()
    {
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<bool>("general");
        QTest::addColumn<bool>("store");
        QTest::newRow("type 1 sells everything") << QStringList{"1"} << true << true;
        QTest::newRow("type 2 sells no grocery, deli or tobacco") << QStringList{"2"} << true << false;
        QTest::newRow("type 3 sells no merchandise") << QStringList{"3"} << false << false;
        QTest::newRow("an unknown type after type 3 keeps the lines locked") << QStringList{"3", "4"} << false << false;
        QTest::newRow("type 1 after type 3 unlocks them again") << QStringList{"3", "1"} << true << true;
        QTest::newRow("type 2 after type 3") << QStringList{"3", "2"} << true << false;
        QTest::newRow("a refused card leaves the previous type") << QStringList{"2", "X1"} << true << false;
    }
    void cardTypeDecidesMerchandise()
    {
        QFETCH(QStringList, cards);
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING");
        for (int i = 0; i < cards.size(); ++i) {
            // "X" marks an inactive card: refused, so its type is never applied.
            const bool refused = cards[i].startsWith(u'X');
            f.addCard("1234", QStringLiteral("C%1").arg(i), cards[i].mid(refused ? 1 : 0), refused);
        }
        QVERIFY(f.open());
        for (int i = 0; i < cards.size(); ++i) {
            f.enterAccount(QStringLiteral("1234C%1").arg(i));
            // Clearing the ticket in between never resets the lines.
            f.box("txtAcctNo")->clear();
        }
        MessageBox::takeShown();
        QFETCH(bool, general);
        QFETCH(bool, store);
        QWidget *purchase = f.group("Purchase Info");
        for (const char *name : {"txtOil", "txtAddatives", "txtAntifreeze", "txtWasher"})
            QCOMPARE(f.box(name)->isEnabledTo(purchase), general);
        for (const char *name : {"txtGrocery", "txtDeli", "txtTobacco"})
            QCOMPARE(f.box(name)->isEnabledTo(purchase), store);
        for (const char *name : {"txtGasGallons", "txtDieselGallons", "txtDEFPriceEach"})
            QVERIFY(f.box(name)->isEnabledTo(purchase));
    }

    void enterNavigation_data()
    {
        QTest::addColumn<QString>("cardType");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("clerk to truck") << "1"
                                        << "txtClerk"
                                        << "txtTruckNo";
        QTest::newRow("trailer to gas gallons") << "1"
                                                << "txtTrailer"
                                                << "txtGasGallons";
        QTest::newRow("reefer price skips the discount row") << "1"
                                                             << "txtReeferPriceEach"
                                                             << "txtDEFGallons";
        QTest::newRow("type 1: DEF price to oil") << "1"
                                                  << "txtDEFPriceEach"
                                                  << "txtOil";
        QTest::newRow("type 1: washer to grocery") << "1"
                                                   << "txtWasher"
                                                   << "txtGrocery";
        QTest::newRow("type 1: tobacco to Print/Save") << "1"
                                                       << "txtTobacco"
                                                       << "btnSave";
        QTest::newRow("type 2: DEF price to oil") << "2"
                                                  << "txtDEFPriceEach"
                                                  << "txtOil";
        QTest::newRow("type 2: washer to Print/Save") << "2"
                                                      << "txtWasher"
                                                      << "btnSave";
        QTest::newRow("type 3: DEF price to Print/Save") << "3"
                                                         << "txtDEFPriceEach"
                                                         << "btnSave";
    }
    void enterNavigation()
    {
        QFETCH(QString, cardType);
        QFETCH(QString, from);
        TicketFixture f;
        f.addCustomer("1234", "SMITH TRUCKING");
        f.addCard("1234", "AB", cardType);
        QVERIFY(f.openWithAccount("1234AB"));
        f.type(from, QString(), true);
        QTEST(f.focused(), "to");
    }

    void walkingTheTicketByKeyboardNeverSelects()
    {
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.type("txtClerk", "JD");
        // Tab away and back: typing must add to the text, not replace it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(f.focused(), QStringLiteral("txtClerk"));
        QVERIFY(!f.box("txtClerk")->hasSelectedText());
        QTest::keyClicks(QApplication::focusWidget(), "X");
        QCOMPARE(f.text("txtClerk"), QStringLiteral("JDX"));
    }

    void linesAndTotals_data()
    {
        QTest::addColumn<QStringList>("typing"); // field, text, field, text...
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("gallons at a price round to the cent")
            << QStringList{"txtGasGallons", "12.5", "txtGasPriceEach", "3.459"}
            << QStringList{"txtGasPriceExt", "43.24", "txtSubtotal", "43.24", "txtTax", "0", "txtTotal", "43.24"};
        QTest::newRow("a tie goes down to the even cent")
            << QStringList{"txtGasGallons", "1", "txtGasPriceEach", "2.125"} << QStringList{"txtGasPriceExt", "2.12"};
        QTest::newRow("a tie goes up to the even cent")
            << QStringList{"txtGasGallons", "1", "txtGasPriceEach", "2.135"} << QStringList{"txtGasPriceExt", "2.14"};
        QTest::newRow("a negative tie goes to the even cent")
            << QStringList{"txtGasGallons", "-1", "txtGasPriceEach", "0.125"} << QStringList{"txtGasPriceExt", "-0.12"};
        QTest::newRow("a gas price with a dollar sign reads as 0")
            << QStringList{"txtGasGallons", "10", "txtGasPriceEach", "$3.10"}
            << QStringList{"txtGasPriceExt", "0", "txtTotal", "0"};
        QTest::newRow("diesel and reefer gallons make the discount gallons")
            << QStringList{"txtDieselGallons", "100", "txtReeferGallons", "20"}
            << QStringList{"txtDiscountGallons", "120", "txtDiscountPriceExt", "-6", "txtDieselPriceExt", "390",
                           "txtReeferPriceExt",  "70",  "txtSubtotal",         "454"};
        QTest::newRow("a new diesel price leaves the discount gallons")
            << QStringList{"txtDieselGallons", "100", "txtDieselPriceEach", "4"}
            << QStringList{"txtDiscountGallons", "100", "txtDiscountPriceExt", "-5", "txtDieselPriceExt", "400"};
        QTest::newRow("gas and DEF are not discounted") << QStringList{"txtGasGallons", "10", "txtDEFGallons", "10"}
                                                        << QStringList{"txtDiscountGallons", "", "txtDEFPriceExt", "29.99"};
        QTest::newRow("tax on merchandise only, unrounded")
            << QStringList{"txtDieselGallons", "", "txtGasGallons", "40", "txtGasPriceEach", "2.5", "txtOil", "10"}
            << QStringList{"txtSubtotal", "110", "txtTax", "0.825", "txtTotal", "110.825"};
    }
    void linesAndTotals()
    {
        QFETCH(QStringList, typing);
        QFETCH(QStringList, expected);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.replaceAll(typing);
        for (int i = 0; i < expected.size(); i += 2)
            QCOMPARE(f.text(expected[i]), expected[i + 1]);
    }

    void runningSums_data()
    {
        // Keys typed into the oil field: "\n" is Enter, "\x1b" Escape, "~" leaves the
        // field with the mouse and comes back.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("oil");
        QTest::addColumn<QString>("focus");
        QTest::newRow("5 + 3.25 Enter adds up and moves on") << "5+3.25\n"
                                                             << "8.25"
                                                             << "txtAddatives";
        QTest::newRow("several amounts") << "5+3+2\n"
                                         << "10"
                                         << "txtAddatives";
        QTest::newRow("leaving keeps only what follows the plus") << "5+2~"
                                                                  << "+2"
                                                                  << "txtOil";
        QTest::newRow("coming back forgets the sum") << "5+~1\n"
                                                     << "1"
                                                     << "txtAddatives";
        QTest::newRow("Escape empties the field and forgets the sum") << "5+3\x1b"
                                                                         "4\n"
                                                                      << "4"
                                                                      << "txtAddatives";
        QTest::newRow("Enter without a plus keeps the amount") << "7.5\n"
                                                               << "7.5"
                                                               << "txtAddatives";
    }
    void runningSums()
    {
        QFETCH(QString, keys);
        TicketFixture f;
        QVERIFY(f.openWithStandardAccount());
        f.type("txtOil", QString());
        for (QChar c : keys) {
            QWidget *w = QApplication::focusWidget();
            if (c == u'\n') {
                QTest::keyClick(w, Qt::Key_Return);
            } else if (c == u'\x1b') {
                QTest::keyClick(w, Qt::Key_Escape);
            } else if (c == u'~') {
                f.box("txtClerk")->setFocus(Qt::MouseFocusReason);
                f.box("txtOil")->setFocus(Qt::MouseFocusReason);
            } else {
                QTest::keyClicks(w, QString(c));
            }
        }
        QTEST(f.text("txtOil"), "oil");
        QTEST(f.focused(), "focus");
        const double oil = f.amount("txtOil")->value();
        QCOMPARE(f.text("txtSubtotal"), Numbers::plainText(oil));
        QCOMPARE(f.text("txtTax"), Numbers::plainText(0.0825 * oil));
    }
};

QTEST_MAIN(TestTicketEntry)
#include "tst_ticketentry.moc"
