#include "GiftCardFixture.h"

#include <QStatusBar>

// Selling and reloading gift cards: the amount rule while typing, what a first sale and
// a reload store, and what cannot be stored, on every configured server. What the sale
// shares with the redemption is in tst_cardamountscreen.
class TestGiftCardPurchase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    // Each typing goes over the amount in turn; no message while the clerk types, one
    // when the amount left behind is wrong.
    void amountRule_data()
    {
        QTest::addColumn<QStringList>("typings");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("newBalance");
        QTest::newRow("an amount adds to the balance") << QStringList{"12.5"} << 0 << "52.5";
        QTest::newRow("0 passes") << QStringList{"10", "0"} << 0 << "40";
        QTest::newRow("a negative amount is refused on leaving and the new balance stays")
            << QStringList{"10", "-5"} << 1 << "50";
        QTest::newRow("letters are refused once, on leaving, and the new balance stays") << QStringList{"10", "ab"} << 1 << "50";
        QTest::newRow("a thousands separator makes the amount no number") << QStringList{"1,000"} << 1 << "41";
        QTest::newRow("a lone minus on the way to a number says nothing") << QStringList{"-", "30"} << 0 << "70";
        QTest::newRow("an emptied box says nothing") << QStringList{"10", ""} << 0 << "50";
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
        // Typed key by key, each last key taken back and typed again: every half-typed
        // state, an emptied box among them, passes through the box.
        for (const QString &typing : typings) {
            f.replace("txtAmount", typing);
            QTest::keyClick(f.box("txtAmount"), Qt::Key_Backspace);
            QTest::keyClicks(f.box("txtAmount"), typing.right(1));
        }
        QVERIFY(MessageBox::takeShown().isEmpty());
        QTest::keyClick(f.box("txtAmount"), Qt::Key_Tab);
        QTest::qWait(20);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), messages);
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.text, QStringLiteral("Must be a positive numeric amount."));
            QCOMPARE(s.title, QStringLiteral("Invalid Amount"));
        }
        QCOMPARE(f.text("txtNewBalance"), newBalance);
        // What was typed stays for the clerk to mend, with the focus back in it.
        QCOMPARE(f.text("txtAmount"), typings.last());
        QCOMPARE(f.focused(), messages ? QStringLiteral("txtAmount") : QStringLiteral("btnSave"));
    }

    // A wrong amount still in the box when Print/Save is pressed is refused there, once.
    void wrongAmountIsRefusedAtTheSave()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        f.swipeWithAmount("123456789", "JD", "-5");
        f.click("btnSave");
        QTest::qWait(20);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Must be a positive numeric amount."));
        QVERIFY(f.balanceIs("123456789", 40));
        QVERIFY(f.printed.isEmpty());
    }

    // Enter walks from the clerk to the amount and on to Print/Save, which it presses.
    void enterWalksToPrintAndSaves()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        f.swipeCard("123456789");
        f.type("txtClerk", "JD");
        QTest::keyClick(f.box("txtClerk"), Qt::Key_Return);
        QCOMPARE(f.focused(), QStringLiteral("txtAmount"));
        QTest::keyClicks(f.box("txtAmount"), "10");
        QTest::keyClick(f.box("txtAmount"), Qt::Key_Return);
        QCOMPARE(f.focused(), QStringLiteral("btnSave"));
        QTest::keyClick(f.control<QPushButton>("btnSave"), Qt::Key_Return);
        QVERIFY(MessageBox::takeShown().isEmpty());
        QVERIFY(f.balanceIs("123456789", 50));
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QStringLiteral("Gift card 123456789: sale of $10.00 saved, balance $50.00, receipt printed"));
    }

    void firstSaleActivatesAndPrints()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.swipeWithAmount("123456789", "O'Brien", "25");
        f.type("txtNotes", "for Sam's birthday");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("25"));
        f.click("btnSave");
        QCOMPARE(f.savedAndPrinted({"123456789", "Gift Card Purchase", "25", "O'Brien", "7", "1"}), QString());

        const auto card = f.card("123456789");
        QVERIFY(card);
        QCOMPARE(card->value("CardBalance").toDouble(), 25.0);
        QCOMPARE(card->value("ActivationAmount").toDouble(), 25.0);
        QCOMPARE(card->value("ActivatedBy").toString(), QStringLiteral("O'Brien"));
        QCOMPARE(card->value("Active").toInt(), 1);
        QCOMPARE(card->value("Notes").toString(), QStringLiteral("for Sam's birthday"));
        QCOMPARE(card->value("WorkStationID").toString(), QStringLiteral("7"));
        QCOMPARE(card->value("Location").toInt(), 1);
        const QDateTime when = f.db->dialect().readDateTime(f.transactions()[0].value("TransactionDate"));
        QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 60);
    }

    // Another workstation sold on the card between this swipe and this save: both sales
    // stay on the card.
    void reloadAddsToTheStoredBalance()
    {
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        f.swipeWithAmount("123456789", "JD", "10");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("50"));
        f.saveAfterAnotherWorkstation("123456789", 65);
        QVERIFY(f.balanceIs("123456789", 75));
        QCOMPARE(f.savedAndPrinted({"123456789", "Gift Card Purchase", "10", "JD", "7", "1"}), QString());
        const auto card = f.card("123456789");
        QCOMPARE(card->value("ActivationAmount").toDouble(), 40.0);
        QCOMPARE(card->value("ActivatedBy").toString(), QStringLiteral("AL"));
        QCOMPARE(card->value("WorkStationID").toString(), QStringLiteral("3"));
        QCOMPARE(card->value("Location").toInt(), 5);
        // Nothing typed: the card's note is replaced by an empty one.
        QCOMPARE(card->value("Notes").toString(), QString());
    }

    void unstorableInputIsRefused_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("title");
        QTest::newRow("an amount past the largest") << "1e12"
                                                    << ""
                                                    << "Amount Cannot Be Saved";
        QTest::newRow("an amount too large to be a number") << "1e999"
                                                            << ""
                                                            << "Amount Cannot Be Saved";
        QTest::newRow("a note with a line break") << "10"
                                                  << "two\nlines"
                                                  << "Text Cannot Be Saved";
    }
    void unstorableInputIsRefused()
    {
        QFETCH(QString, amount);
        QFETCH(QString, notes);
        QFETCH(QString, title);
        GiftCardFixture f(QStringLiteral("GiftCardPurchase"));
        QVERIFY(f.opened);
        f.swipeWithAmount("123456789", "JD", amount);
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
