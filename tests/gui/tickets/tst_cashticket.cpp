#include "CashTicketFixture.h"

#include "app/MainWindow.h"

#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>

// The cash ticket screen before "Print": opening, the customer recall, the purchase
// lines, the Enter walk and which boxes select their text, on every configured server.
class TestCashTicket : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensFromItsCommandReadyForATicket()
    {
        CashTicketFixture f;
        f.addTicket("SMITH");
        f.addTicket("ADAMS");
        f.addTicket("SMITH");
        ScreenTest::OpenedScreen opened;
        QVERIFY(opened.open("CashTicketEntry"));
        QWidget *screen = opened.screen;
        QCOMPARE(screen->objectName(), QStringLiteral("frmCashTicketEntry"));
        QCOMPARE(screen->windowTitle(), QStringLiteral("Cash Ticket Entry"));
        QCOMPARE(opened.window->mdiArea()->subWindowList().constFirst()->pos(), QPoint(0, 0));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtClerk"));
        QVERIFY(opened.control<QRadioButton>("optPrint")->isChecked());
        auto *customer = opened.control<QComboBox>("cmbCustomer");
        QCOMPARE(customer->count(), 2);
        QCOMPARE(customer->itemText(0), QStringLiteral("ADAMS"));
        QCOMPARE(customer->itemText(1), QStringLiteral("SMITH"));
        QCOMPARE(customer->currentText(), QString());
        auto plain = [&](const char *name) { return opened.control<AmountField>(QLatin1String(name))->plainText(); };
        QCOMPARE(plain("txtGasPriceEach"), QString());
        QCOMPARE(plain("txtDieselPriceEach"), QStringLiteral("3.9"));
        QCOMPARE(plain("txtReeferPriceEach"), QStringLiteral("3.5"));
        QCOMPARE(plain("txtDiscountPriceEach"), QStringLiteral("-0.05"));
        QCOMPARE(plain("txtDEFPriceEach"), QStringLiteral("2.999"));
        QCOMPARE(plain("txtDiscountGallons"), QString());
        for (const char *name : {"txtGasPriceExt", "txtDieselPriceExt", "txtReeferPriceExt", "txtDiscountPriceExt",
                                 "txtDEFPriceExt", "txtSubtotal", "txtTax", "txtTotal"})
            QCOMPARE(plain(name), QStringLiteral("0"));
        for (const char *name : {"txtGasPriceExt", "txtDiscountGallons", "txtDiscountPriceEach", "txtSubtotal", "txtTotal"})
            QCOMPARE(opened.control(QLatin1String(name))->focusPolicy(), Qt::NoFocus);
        // Every merchandise line is usable on a cash ticket.
        for (const TicketLines::MerchandiseLine &line : TicketLines::merchandiseLines())
            QVERIFY(opened.control(line.field)->isEnabled());

        // Choosing the command again leaves the open screen as it is.
        opened.control<QLineEdit>("txtClerk")->setText(QStringLiteral("JD"));
        opened.window->action("CashTicketEntry")->trigger();
        QCOMPARE(opened.window->openedScreen("CashTicketEntry"), screen);
        QCOMPARE(opened.window->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(opened.control<QLineEdit>("txtClerk")->text(), QStringLiteral("JD"));
        opened.close();
    }

    void tabOrder()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        const QStringList expected = {"txtClerk",         "cmbCustomer",        "txtAddress1",      "txtAddress2",
                                      "txtTruckNo",       "txtMileage",         "txtDriverID",      "txtLicense",
                                      "txtTrip",          "txtTrailer",         "txtGasGallons",    "txtGasPriceEach",
                                      "txtDieselGallons", "txtDieselPriceEach", "txtReeferGallons", "txtReeferPriceEach",
                                      "txtDEFGallons",    "txtDEFPriceEach",    "txtOil",           "txtAddatives",
                                      "txtAntifreeze",    "txtWasher",          "txtGrocery",       "txtDeli",
                                      "txtTobacco",       "optPrint",           "btnSave",          "btnExit"};
        // Pressed for real: the customer box hands its focus to no part of itself, and the
        // two print options are one stop, at the chosen one.
        QStringList visited = {f.focused()};
        for (int i = 1; i < expected.size(); ++i) {
            f.press(Qt::Key_Tab);
            visited << f.focused();
        }
        QCOMPARE(visited, expected);
    }

    void recall_data()
    {
        QTest::addColumn<QStringList>("typedFirst"); // field, text, ... typed before the customer
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QStringList>("expected"); // Address1 .. Trailer afterwards

        const QStringList newest = {"9 ELM ST", "TULSA OK", "T-9", "1009", "D-9", "OK-9", "TRIP 9", "TR-9"};
        const QStringList nothing = {"", "", "", "", "", "", "", ""};
        QTest::newRow("the newest ticket of the name fills address and truck details") << QStringList{} << "ACME" << newest;
        QTest::newRow("what the clerk had typed in those fields is overwritten")
            << QStringList{"txtAddress1", "MY ADDRESS", "txtTruckNo", "MINE", "txtTrailer", "MY TRAILER"} << "ACME" << newest;
        QTest::newRow("a name without a ticket leaves the fields as they are")
            << QStringList{"txtAddress1", "MY ADDRESS", "txtTruckNo", "MINE"} << "NOBODY"
            << QStringList{"MY ADDRESS", "", "MINE", "", "", "", "", ""};
        QTest::newRow("the name counts as typed: a trailing blank finds no ticket") << QStringList{} << "ACME " << nothing;
        QTest::newRow("a name with an apostrophe is recalled like any other")
            << QStringList{} << "O'NEIL" << QStringList{"1 PIER", "", "ON-1", "", "", "", "", ""};
    }
    void recall()
    {
        QFETCH(QStringList, typedFirst);
        QFETCH(QString, customer);
        CashTicketFixture f;
        f.addTicket("ACME", {"1 OLD RD", "", "T-1", "1001", "D-1", "OK-1", "TRIP 1", "TR-1"}, 3);
        f.addTicket("ACME", {"9 ELM ST", "TULSA OK", "T-9", "1009", "D-9", "OK-9", "TRIP 9", "TR-9"}, 9);
        f.addTicket("ACME", {"5 MID AVE", "", "T-5", "1005", "D-5", "OK-5", "TRIP 5", "TR-5"}, 5);
        f.addTicket("O'NEIL TRUCKING", {"1 PIER", "", "ON-1"}, 11);
        QVERIFY(f.open());
        f.type("txtClerk", "JD");
        f.type("txtOil", "5");
        f.typeAll(typedFirst);
        f.enterCustomer(customer);
        QFETCH(QStringList, expected);
        QStringList shown;
        for (const char *name :
             {"txtAddress1", "txtAddress2", "txtTruckNo", "txtMileage", "txtDriverID", "txtLicense", "txtTrip", "txtTrailer"})
            shown << f.text(name);
        QCOMPARE(shown, expected);
        // The clerk and the amounts are never recalled.
        QCOMPARE(f.text("txtClerk"), QStringLiteral("JD"));
        QCOMPARE(f.text("txtOil"), QStringLiteral("5"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void onlyANameInTheBoxRunsTheRecall_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<bool>("queried");
        QTest::newRow("an empty box runs no query") << "" << false;
        QTest::newRow("a name runs the query") << "X" << true;
    }
    void onlyANameInTheBoxRunsTheRecall()
    {
        QFETCH(QString, customer);
        QFETCH(bool, queried);
        CashTicketFixture f;
        QVERIFY(f.open());
        // Without its table any query fails, and says so.
        f.db->exec("DROP TABLE CashTickets");
        f.enterCustomer(customer);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), queried ? 1 : 0);
        if (queried)
            QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        QCOMPARE(f.focused(), QStringLiteral("txtAddress1"));
    }

    void purchaseLines_data()
    {
        QTest::addColumn<QStringList>("typing");   // field, text, ...
        QTest::addColumn<QStringList>("expected"); // field, plain text, ...
        QTest::newRow("12.5 gallons at 3.459 extend to 43.24")
            << QStringList{"txtGasGallons", "12.5", "txtGasPriceEach", "3.459"}
            << QStringList{"txtGasPriceExt", "43.24", "txtSubtotal", "43.24", "txtTax", "0", "txtTotal", "43.24"};
        QTest::newRow("1 gallon at 2.125 ties to the even cent")
            << QStringList{"txtGasGallons", "1", "txtGasPriceEach", "2.125"} << QStringList{"txtGasPriceExt", "2.12"};
        QTest::newRow("diesel 100 and off-road 20 make 120 discount gallons at -0.05")
            << QStringList{"txtDieselGallons", "100", "txtReeferGallons", "20"}
            << QStringList{"txtDiscountGallons", "120", "txtDiscountPriceExt", "-6", "txtDieselPriceExt", "390",
                           "txtReeferPriceExt",  "70",  "txtSubtotal",         "454"};
        QTest::newRow("a new diesel price leaves the discount gallons")
            << QStringList{"txtDieselGallons", "10", "txtDieselPriceEach", "4"}
            << QStringList{"txtDiscountGallons", "10", "txtDieselPriceExt", "40", "txtDiscountPriceExt", "-0.5"};
        QTest::newRow("tax falls on merchandise only and the figures stay unrounded")
            << QStringList{"txtGasGallons", "40", "txtGasPriceEach", "2.5", "txtOil", "10"}
            << QStringList{"txtSubtotal", "110", "txtTax", "0.825", "txtTotal", "110.825"};
        QTest::newRow("every merchandise line counts and is taxed")
            << QStringList{"txtOil",     "1", "txtAddatives", "2", "txtAntifreeze", "3", "txtWasher", "4",
                           "txtGrocery", "5", "txtDeli",      "6", "txtTobacco",    "9"}
            << QStringList{"txtSubtotal", "30", "txtTax", "2.475", "txtTotal", "32.475"};
        QTest::newRow("a price typed with a dollar sign reads 0")
            << QStringList{"txtGasGallons", "10", "txtGasPriceEach", "$3.10"} << QStringList{"txtGasPriceExt", "0"};
    }
    void purchaseLines()
    {
        QFETCH(QStringList, typing);
        QFETCH(QStringList, expected);
        CashTicketFixture f;
        QVERIFY(f.open());
        for (int i = 0; i < typing.size(); i += 2) {
            // The default prices are typed over.
            f.amount(typing[i])->setPlainText(QString());
            f.type(typing[i], typing[i + 1]);
        }
        for (int i = 0; i < expected.size(); i += 2)
            QCOMPARE(QStringLiteral("%1 = %2").arg(expected[i], f.text(expected[i])),
                     QStringLiteral("%1 = %2").arg(expected[i], expected[i + 1]));
    }

    void runningSums()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type("txtOil", "5+3.25");
        f.press(Qt::Key_Return);
        QCOMPARE(f.text("txtOil"), QStringLiteral("8.25"));
        QCOMPARE(f.focused(), QStringLiteral("txtAddatives"));

        // Leaving with the mouse keeps only what follows the "+".
        f.type("txtDeli", "5+2");
        QTest::mouseClick(f.box("txtTruckNo"), Qt::LeftButton);
        QCOMPARE(f.text("txtDeli"), QStringLiteral("+2"));

        // Escape empties the field and forgets the sum.
        f.type("txtGrocery", "4+6");
        f.press(Qt::Key_Escape);
        QCOMPARE(f.text("txtGrocery"), QString());
        f.typeOn("1");
        f.press(Qt::Key_Return);
        QCOMPARE(f.text("txtGrocery"), QStringLiteral("1"));
        QCOMPARE(f.text("txtSubtotal"), QStringLiteral("11.25"));
    }

    void enterWalksEveryFieldToPrint()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        const QStringList walk = {"txtClerk",         "cmbCustomer",
                                  "txtAddress1",      "txtAddress2",
                                  "txtTruckNo",       "txtMileage",
                                  "txtDriverID",      "txtLicense",
                                  "txtTrip",          "txtTrailer",
                                  "txtGasGallons",    "txtGasPriceEach",
                                  "txtDieselGallons", "txtDieselPriceEach",
                                  "txtReeferGallons", "txtReeferPriceEach",
                                  "txtDEFGallons",    "txtDEFPriceEach",
                                  "txtOil",           "txtAddatives",
                                  "txtAntifreeze",    "txtWasher",
                                  "txtGrocery",       "txtDeli",
                                  "txtTobacco",       "btnSave"};
        QStringList visited = {f.focused()};
        for (int i = 1; i < walk.size(); ++i) {
            f.press(Qt::Key_Return);
            visited << f.focused();
        }
        QCOMPARE(visited, walk);
    }

    void enterInTheCustomerAndAddressBoxesMovesOn_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("next");
        QTest::newRow("the customer box") << "cmbCustomer"
                                          << "txtAddress1";
        QTest::newRow("the first address line") << "txtAddress1"
                                                << "txtAddress2";
        QTest::newRow("the second address line") << "txtAddress2"
                                                 << "txtTruckNo";
    }
    void enterInTheCustomerAndAddressBoxesMovesOn()
    {
        QFETCH(QString, field);
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type(field, "ABC");
        f.press(Qt::Key_Return);
        QFETCH(QString, next);
        QTRY_COMPARE(f.focused(), next);
        QCOMPARE(f.text(field), QStringLiteral("ABC"));
        QCOMPARE(f.ticketCount(), 0);
    }

    void focusSelectsTheWholeText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("selects");
        for (const char *name :
             {"txtAddress1", "txtAddress2", "txtTruckNo", "txtMileage", "txtDriverID", "txtLicense", "txtTrip", "txtTrailer"})
            QTest::addRow("%s selects its text", name) << name << true;
        QTest::newRow("the clerk field keeps its caret") << "txtClerk" << false;
        QTest::newRow("an amount field keeps its caret") << "txtGasGallons" << false;
    }
    void focusSelectsTheWholeText()
    {
        QFETCH(QString, field);
        QFETCH(bool, selects);
        CashTicketFixture f;
        QVERIFY(f.open());
        QLineEdit *box = f.box(field);
        if (auto *amount = qobject_cast<AmountField *>(box))
            amount->setPlainText(QStringLiteral("12"));
        else
            box->setText(QStringLiteral("12"));
        f.box(field == "txtClerk" ? "txtTruckNo" : "txtClerk")->setFocus(Qt::TabFocusReason);
        box->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(box->hasSelectedText() && box->selectedText() == box->text(), selects);
        // Typing replaces a selected text, or is added to the kept one.
        f.typeOn("9");
        QCOMPARE(f.text(field), selects ? QStringLiteral("9") : QStringLiteral("129"));
    }

    void textsHoldAtMostTheirPrintedWidth_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("width");
        QTest::newRow("the customer name holds 250") << "cmbCustomer" << 250;
        QTest::newRow("an address line holds 250") << "txtAddress2" << 250;
        QTest::newRow("the clerk ID holds 50") << "txtClerk" << 50;
        QTest::newRow("a truck detail holds 53") << "txtTrip" << 53;
    }
    void textsHoldAtMostTheirPrintedWidth()
    {
        QFETCH(QString, field);
        QFETCH(int, width);
        CashTicketFixture f;
        QVERIFY(f.open());
        f.type(field, QString(width + 5, QLatin1Char('W')));
        QCOMPARE(f.text(field).size(), width);
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void exitClosesWithoutSaving()
    {
        CashTicketFixture f;
        QVERIFY(f.open());
        f.typeOilSale();
        f.click("btnExit");
        QVERIFY(!f.screen->isVisible());
        QCOMPARE(f.ticketCount(), 0);
        QVERIFY(f.printed.isEmpty());
    }
};

QTEST_MAIN(TestCashTicket)
#include "tst_cashticket.moc"
