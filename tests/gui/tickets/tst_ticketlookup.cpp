#include "TicketFixture.h"

#include "app/PickList.h"

#include <QDialog>

namespace {

QDialog *openDialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmCustomerLookupFromTicket") && w->isVisible())
            return qobject_cast<QDialog *>(w);
    return nullptr;
}

} // namespace

// The name lookup of the charge ticket screen, on every configured server.
class TestTicketLookup : public QObject
{
    Q_OBJECT

    // Two cards under one name, customers without a usable card, and an ID too short
    // to make an account number.
    void addCustomers(TicketFixture &f)
    {
        f.addCustomer("1234", "SMITH TRUCKING");
        f.addCard("1234", "02");
        f.addCard("1234", "01");
        f.addCustomer("5678", "ALPHA FREIGHT", 100, 1000, 0.8, true);
        f.addCard("5678", "01");
        f.addCustomer("9999", "NO CARD YET");
        f.addCustomer("8888", "BLANK CARD");
        f.addCard("8888", "");
        f.addCustomer("123", "SHORT ID");
        f.addCard("123", "01");
    }

    // The customers above on an open screen, and the lookup opened from it; null when the
    // screen or the lookup did not open.
    QDialog *openLookup(TicketFixture &f)
    {
        addCustomers(f);
        if (!f.open())
            return nullptr;
        f.click("btnLookup");
        return openDialog();
    }
    static PickList *entries(QDialog *dialog) { return ScreenTest::control<PickList>(dialog, "cmbCustomer"); }
    static void press(QDialog *dialog, const char *button)
    {
        QTest::mouseClick(ScreenTest::control<QPushButton>(dialog, button), Qt::LeftButton);
    }

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void listsEveryCardByName()
    {
        TicketFixture f;
        QDialog *dialog = openLookup(f);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Customer Lookup"));
        QVERIFY(!f.screen->isEnabled());
        PickList *list = entries(dialog);
        QStringList entries, ids;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->itemText(i);
            ids << list->idAt(i).toString();
        }
        QCOMPARE(entries, (QStringList{"ALPHA FREIGHT - 01", "SHORT ID - 01", "SMITH TRUCKING - 01", "SMITH TRUCKING - 02"}));
        QCOMPARE(ids, (QStringList{"567801", "12301", "123401", "123402"}));
        QCOMPARE(list->currentIndex(), -1);
        // Typing S, M jumps to the first name beginning with SM.
        list->setFocus();
        QTest::keyClicks(list, "SM");
        QCOMPARE(list->currentText(), QStringLiteral("SMITH TRUCKING - 01"));
        // Enter in the list chooses "Select".
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!openDialog());
        QCOMPARE(f.text("txtAcctNo"), QStringLiteral("123401"));
        QCOMPARE(f.focused(), QStringLiteral("txtClerk"));
    }

    void select_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("the second card of a name fills its account and checks it") << "SMITH TRUCKING - 02"
                                                                                   << "123402"
                                                                                   << "SMITH TRUCKING" << QStringList{};
        QTest::newRow("an inactive customer is listed and then refused") << "ALPHA FREIGHT - 01"
                                                                         << ""
                                                                         << "" << QStringList{"Inactive Customer"};
        QTest::newRow("a five-character account gets the length message") << "SHORT ID - 01"
                                                                          << ""
                                                                          << "" << QStringList{"Invalid Account"};
    }
    void select()
    {
        QFETCH(QString, entry);
        TicketFixture f;
        QDialog *dialog = openLookup(f);
        QVERIFY(dialog);
        ScreenTest::choose(entries(dialog), entry);
        press(dialog, "btnOK");
        QVERIFY(!openDialog());
        QVERIFY(f.screen->isEnabled());
        QTEST(f.shownTitles(), "titles");
        QTEST(f.text("txtAcctNo"), "account");
        QTEST(f.text("txtCustomer"), "customer");
        QCOMPARE(f.group("Purchase Info")->isEnabled(), !f.text("txtCustomer").isEmpty());
    }

    void selectWithNothingChosenKeepsTheDialog()
    {
        TicketFixture f;
        QDialog *dialog = openLookup(f);
        QVERIFY(dialog);
        press(dialog, "btnOK");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("You must select a Customer-Card Number."));
        QCOMPARE(shown[0].title, QStringLiteral("No Customer Selected"));
        QCOMPARE(openDialog(), dialog);
        QVERIFY(!f.screen->isEnabled());
        dialog->close();
        QVERIFY(f.screen->isEnabled());
    }

    void cancelAndClosingLeaveTheTicket_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("the window frame") << "frame";
        QTest::newRow("Escape in the list") << "escape";
    }
    void cancelAndClosingLeaveTheTicket()
    {
        QFETCH(QString, how);
        TicketFixture f;
        addCustomers(f);
        QVERIFY(f.open());
        f.type("txtAcctNo", "12");
        f.type("txtClerk", "JD");
        f.click("btnLookup");
        QDialog *dialog = openDialog();
        QVERIFY(dialog);
        entries(dialog)->setCurrentIndex(0);
        if (how == u"frame") {
            dialog->close();
        } else if (how == u"cancel") {
            press(dialog, "btnCancel");
        } else {
            entries(dialog)->setFocus();
            QTest::keyClick(entries(dialog), Qt::Key_Escape);
        }
        QVERIFY(!openDialog());
        QVERIFY(f.screen->isEnabled());
        QCOMPARE(f.text("txtAcctNo"), QStringLiteral("12"));
        QCOMPARE(f.text("txtClerk"), QStringLiteral("JD"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }
};

QTEST_MAIN(TestTicketLookup)
#include "tst_ticketlookup.moc"
