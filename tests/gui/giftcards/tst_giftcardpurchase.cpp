#include "GiftCardFixture.h"

// Selling and reloading gift cards: the fields and their order, the amount rule while
// typing, the save gate, what a sale stores and prints, on every configured server.
class TestGiftCardPurchase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensWaitingForASwipe()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        QCOMPARE(f.screen->objectName(), QStringLiteral("frmGiftCardPurchase"));
        QCOMPARE(f.screen->windowTitle(), QStringLiteral("Gift Card Purchase"));
        QCOMPARE(f.screen->parentWidget()->pos(), QPoint(0, 0));
        QVERIFY(f.group("Acct Info")->isAncestorOf(f.box("txtClerk")));
        QVERIFY(f.group("Purchase Info")->isAncestorOf(f.box("txtNotes")));
        QVERIFY(f.group("Purchase Info")->isAncestorOf(f.box("txtCardNumber")));
        QVERIFY(!f.group("Purchase Info")->isEnabled());
        QVERIFY(!f.box("txtCardNumber")->isVisible());
        QCOMPARE(f.control<QPushButton>("btnSave")->text(), QStringLiteral("Print/Save"));
        for (const char *name : {"txtBalance", "txtAmount", "txtNewBalance"})
            QCOMPARE(f.text(name), QStringLiteral("0"));
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
        f.swipeCard("123456789");
        // The balance boxes are only written by the screen: Tab passes them by, and the
        // notes come after the buttons.
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), 6),
                 (QStringList{"txtAcctNo", "txtClerk", "txtAmount", "btnSave", "btnExit", "txtNotes"}));
        QVERIFY(f.box("txtBalance")->isReadOnly());
        QVERIFY(f.box("txtNewBalance")->isReadOnly());
    }

    void swipeShowsTheCardsBalance_data()
    {
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QString>("balance");
        QTest::newRow("a card never sold shows 0") << false << "0";
        QTest::newRow("a sold card shows what it holds") << true << "40.5";
    }
    void swipeShowsTheCardsBalance()
    {
        QFETCH(bool, sold);
        QFETCH(QString, balance);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        if (sold)
            f.addCard("123456789", 40.5);
        f.swipeCard("123456789");
        QCOMPARE(f.text("txtBalance"), balance);
        QCOMPARE(f.text("txtCardNumber"), QStringLiteral("123456789"));
        QVERIFY(f.group("Purchase Info")->isEnabled());
        QCOMPARE(f.focused(), QStringLiteral("txtAmount"));
        QCOMPARE(f.box("txtAmount")->selectedText(), QStringLiteral("0"));
        // The new balance follows the amount, not the swipe.
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("0"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void amountRule_data()
    {
        QTest::addColumn<QStringList>("typings"); // each typed over the amount in turn
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("newBalance");
        QTest::newRow("an amount adds to the balance") << QStringList{"12.5"} << 0 << "52.5";
        QTest::newRow("0 passes while typing") << QStringList{"10", "0"} << 0 << "40";
        QTest::newRow("a negative amount is refused and the new balance stays")
            << QStringList{"10", "-5"} << 2 << "50";
        QTest::newRow("letters are refused at every key and the new balance stays")
            << QStringList{"10", "ab"} << 2 << "50";
        QTest::newRow("a thousands separator makes the amount no number") << QStringList{"1,000"} << 4 << "41";
    }
    void amountRule()
    {
        QFETCH(QStringList, typings);
        QFETCH(int, messages);
        QFETCH(QString, newBalance);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        f.swipeCard("123456789");
        for (const QString &typing : typings)
            f.replace("txtAmount", typing);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), messages);
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.text, QStringLiteral("Must be a positive numeric amount."));
            QCOMPARE(s.title, QStringLiteral("Invalid Amount"));
        }
        QCOMPARE(f.text("txtNewBalance"), newBalance);
        // What was typed stays for the clerk to mend.
        QCOMPARE(f.text("txtAmount"), typings.last());
    }

    void saveGate_data()
    {
        QTest::addColumn<QString>("clerk");
        QTest::addColumn<QString>("amount");
        QTest::newRow("an amount of 0 is refused") << "JD" << "0";
        QTest::newRow("no clerk is refused") << "" << "10";
        QTest::newRow("an amount that is no number is refused") << "JD" << "10abc";
    }
    void saveGate()
    {
        QFETCH(QString, clerk);
        QFETCH(QString, amount);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.swipeCard("123456789");
        f.type("txtClerk", clerk);
        f.replace("txtAmount", amount);
        MessageBox::takeShown();
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("You must select a card, Clerk, and some dollar amount before saving/printing this record."));
        QCOMPARE(shown[0].title, QStringLiteral("Not Enough Information"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        QCOMPARE(f.cardCount(), 0);
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
    }

    void firstSaleActivatesAndPrints()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.swipeCard("123456789");
        f.type("txtClerk", "O'Brien");
        f.replace("txtAmount", "25");
        f.type("txtNotes", "for Sam's birthday");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("25"));
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());

        const auto card = f.card("123456789");
        QVERIFY(card);
        QCOMPARE(card->value("CardBalance").toDouble(), 25.0);
        QCOMPARE(card->value("ActivationAmount").toDouble(), 25.0);
        QCOMPARE(card->value("ActivatedBy").toString(), QStringLiteral("O'Brien"));
        QCOMPARE(card->value("Active").toInt(), 1);
        QCOMPARE(card->value("Notes").toString(), QStringLiteral("for Sam's birthday"));
        QCOMPARE(card->value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(card->value("Location").toInt(), 1);
        const QList<QSqlRecord> rows = f.transactions();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].value("TransactionType").toString(), QStringLiteral("Gift Card Purchase"));
        QCOMPARE(rows[0].value("Amount").toDouble(), 25.0);
        QCOMPARE(rows[0].value("Clerk").toString(), QStringLiteral("O'Brien"));
        QCOMPARE(rows[0].value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(rows[0].value("Location").toInt(), 1);
        const QDateTime when = f.db->dialect().readDateTime(rows[0].value("TransactionDate"));
        QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 60);
        QCOMPARE(f.printed, QList<int>{rows[0].value("ID").toInt()});

        // Ready for the next card, the clerk included.
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.text("txtCardNumber"), QString());
        for (const char *name : {"txtClerk", "txtNotes"})
            QCOMPARE(f.text(name), QString());
        for (const char *name : {"txtBalance", "txtAmount", "txtNewBalance"})
            QCOMPARE(f.text(name), QStringLiteral("0"));
        QVERIFY(!f.group("Purchase Info")->isEnabled());
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
    }

    // Another workstation sold on the card between this swipe and this save: both sales
    // stay on the card.
    void reloadAddsToTheStoredBalance()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        f.swipeCard("123456789");
        f.type("txtClerk", "JD");
        f.replace("txtAmount", "10");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("50"));
        f.db->exec(QStringLiteral("UPDATE GiftCards SET CardBalance = 65 WHERE ID = '123456789'"));
        f.click("btnSave");
        QVERIFY(f.balanceIs("123456789", 75));
        const auto card = f.card("123456789");
        QCOMPARE(card->value("ActivationAmount").toDouble(), 40.0);
        QCOMPARE(card->value("ActivatedBy").toString(), QStringLiteral("AL"));
        QCOMPARE(card->value("WorkStationID").toString(), QStringLiteral("3"));
        QCOMPARE(card->value("Location").toInt(), 5);
        // Nothing typed: the card's note is replaced by an empty one.
        QCOMPARE(card->value("Notes").toString(), QString());
        QCOMPARE(f.transactions().size(), 1);
        QCOMPARE(f.transactions()[0].value("Amount").toDouble(), 10.0);
    }

    void failedPrintIsOfferedAgain_data()
    {
        QTest::addColumn<QList<bool>>("results");
        QTest::addColumn<QList<MessageBox::Answer>>("answers");
        QTest::addColumn<int>("prints");
        QTest::newRow("yes prints again until it works")
            << QList<bool>{false, false, true} << QList<MessageBox::Answer>{MessageBox::Answer::Yes, MessageBox::Answer::Yes} << 3;
        QTest::newRow("no gives up and the sale stays") << QList<bool>{false} << QList<MessageBox::Answer>{MessageBox::Answer::No} << 1;
    }
    void failedPrintIsOfferedAgain()
    {
        QFETCH(QList<bool>, results);
        QFETCH(QList<MessageBox::Answer>, answers);
        QFETCH(int, prints);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.printResults = results;
        for (MessageBox::Answer a : answers)
            MessageBox::queueAnswer(a);
        f.swipeCard("123456789");
        f.type("txtClerk", "JD");
        f.replace("txtAmount", "20");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), answers.size());
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.text, QStringLiteral("There was an error printing the Ticket. Would you like to retry?"));
            QCOMPARE(s.title, QStringLiteral("Error Printing"));
        }
        QCOMPARE(f.printed.size(), prints);
        QVERIFY(f.balanceIs("123456789", 20));
        QCOMPARE(f.transactions().size(), 1);
    }

    void unstorableInputIsRefused_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("title");
        QTest::newRow("an amount past the largest") << "1e12" << "" << "Amount Cannot Be Saved";
        QTest::newRow("an amount too large to be a number") << "1e999" << "" << "Amount Cannot Be Saved";
        QTest::newRow("a note with a line break") << "10" << "two\nlines" << "Text Cannot Be Saved";
    }
    void unstorableInputIsRefused()
    {
        QFETCH(QString, amount);
        QFETCH(QString, notes);
        QFETCH(QString, title);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.swipeCard("123456789");
        f.type("txtClerk", "JD");
        f.replace("txtAmount", amount);
        // As a note read from an older row could hold it.
        f.box("txtNotes")->setText(notes);
        MessageBox::takeShown();
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, title);
        QCOMPARE(f.cardCount(), 0);
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
    }
};

QTEST_MAIN(TestGiftCardPurchase)
#include "tst_giftcardpurchase.moc"
