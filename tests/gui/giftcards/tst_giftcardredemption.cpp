#include "GiftCardFixture.h"

// Spending from gift cards: the amount never exceeds the card's balance, neither the one
// shown while typing nor the one stored at the save; what a redemption stores and prints.
class TestGiftCardRedemption : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensWaitingForASwipe()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        QCOMPARE(f.screen->objectName(), QStringLiteral("frmGiftCardRedemption"));
        QCOMPARE(f.screen->windowTitle(), QStringLiteral("Gift Card Redemption"));
        QVERIFY(!f.group("Redemption Info")->isEnabled());
        QVERIFY(f.group("Redemption Info")->isAncestorOf(f.box("txtCardNumber")));
        QVERIFY(!f.screen->findChild<QLineEdit *>("txtNotes"));
        QCOMPARE(f.control<QPushButton>("btnSave")->text(), QStringLiteral("Print/Save"));
        f.swipeCard("123456789");
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), 5),
                 (QStringList{"txtAcctNo", "txtClerk", "txtAmount", "btnSave", "btnExit"}));
    }

    void amountRule_data()
    {
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // every message shown; none when empty
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("newBalance");
        const QString tooMuch = QStringLiteral("You cannot enter an amount greater than the balance available on the card.");
        const QString notPositive = QStringLiteral("Must be a positive numeric amount.");
        QTest::newRow("an amount is taken off the balance") << true << "12.5" << "" << "12.5" << "7.5";
        QTest::newRow("the whole balance leaves 0") << true << "20" << "" << "20" << "0";
        QTest::newRow("a cent above the balance is refused and the amount goes back to 0")
            << true << "20.01" << tooMuch << "0" << "20";
        QTest::newRow("letters are refused and the amount becomes 0") << true << "x" << notPositive << "0" << "20";
        QTest::newRow("a card never sold refuses every amount") << false << "5" << tooMuch << "0" << "0";
    }
    void amountRule()
    {
        QFETCH(bool, sold);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, amount);
        QFETCH(QString, newBalance);
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        if (sold)
            f.addCard("123456789", 20);
        f.swipeCard("123456789");
        f.replace("txtAmount", typed);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(shown[0].text, message);
            QCOMPARE(shown[0].title, QStringLiteral("Invalid Amount"));
            // Selected, so the next key types over it.
            QCOMPARE(f.box("txtAmount")->selectedText(), QStringLiteral("0"));
        }
        QCOMPARE(f.text("txtAmount"), amount);
        QCOMPARE(f.text("txtNewBalance"), newBalance);
    }

    void redemptionStoresAndPrints()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeCard("123456789");
        f.type("txtClerk", "MK");
        f.replace("txtAmount", "20");
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        QVERIFY(f.balanceIs("123456789", 0));
        const QList<QSqlRecord> rows = f.transactions();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("TransactionType").toString(), QStringLiteral("Gift Card Redemption"));
        // The amount taken off, as a positive number.
        QCOMPARE(rows[0].value("Amount").toDouble(), 20.0);
        QCOMPARE(rows[0].value("Clerk").toString(), QStringLiteral("MK"));
        QCOMPARE(rows[0].value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(rows[0].value("Location").toInt(), 1);
        QCOMPARE(f.printed, QList<int>{rows[0].value("ID").toInt()});
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.text("txtClerk"), QString());
        QVERIFY(!f.group("Redemption Info")->isEnabled());
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
    }

    // Another workstation spent from the card between this swipe and this save.
    void storedBalanceDecidesAtTheSave()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeCard("123456789");
        f.type("txtClerk", "MK");
        f.replace("txtAmount", "10");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("10"));
        f.db->exec(QStringLiteral("UPDATE GiftCards SET CardBalance = 5 WHERE ID = '123456789'"));
        f.click("btnSave");

        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("You cannot enter an amount greater than the balance available on the card."));
        QCOMPARE(shown[0].title, QStringLiteral("Invalid Amount"));
        QVERIFY(f.balanceIs("123456789", 5));
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
        // The screen stays on the card and shows what it holds now.
        QVERIFY(f.group("Redemption Info")->isEnabled());
        QCOMPARE(f.text("txtBalance"), QStringLiteral("5"));
        QCOMPARE(f.text("txtAmount"), QStringLiteral("0"));
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("5"));
        QCOMPARE(f.text("txtClerk"), QStringLiteral("MK"));
        QCOMPARE(f.focused(), QStringLiteral("txtAmount"));

        // What it holds can still be spent.
        f.replace("txtAmount", "5");
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        QVERIFY(f.balanceIs("123456789", 0));
        QCOMPARE(f.transactions().size(), 1);
    }

    void saveGate_data()
    {
        QTest::addColumn<QString>("clerk");
        QTest::addColumn<QString>("amount");
        QTest::newRow("an amount of 0 is refused") << "MK" << "0";
        QTest::newRow("no clerk is refused") << "" << "10";
    }
    void saveGate()
    {
        QFETCH(QString, clerk);
        QFETCH(QString, amount);
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeCard("123456789");
        f.type("txtClerk", clerk);
        f.replace("txtAmount", amount);
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("You must select a card, Clerk, and some dollar amount before saving/printing this record."));
        QCOMPARE(shown[0].title, QStringLiteral("Not Enough Information"));
        QVERIFY(f.balanceIs("123456789", 20));
        QVERIFY(f.transactions().isEmpty());
    }

    // A failing write of the transaction row leaves the card as it was.
    void failedTransactionRowTakesNothing()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        // The row cannot be written: its table has lost a column.
        f.db->exec(QStringLiteral("ALTER TABLE GiftCardTransactions RENAME COLUMN Clerk TO ClerkByHand"));
        f.swipeCard("123456789");
        f.type("txtClerk", "MK");
        f.replace("txtAmount", "10");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        QVERIFY2(shown[0].text.contains(u"clerk", Qt::CaseInsensitive), qPrintable(shown[0].text));
        QVERIFY(f.balanceIs("123456789", 20));
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("txtAmount"), QStringLiteral("10"));
    }
};

QTEST_MAIN(TestGiftCardRedemption)
#include "tst_giftcardredemption.moc"
