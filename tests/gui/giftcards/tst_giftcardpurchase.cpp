#include "GiftCardFixture.h"

// Selling and reloading gift cards: the amount rule while typing, what a first sale and
// a reload store, and what cannot be stored, on every configured server. What the sale
// shares with the redemption is in tst_cardamountscreen.
class TestGiftCardPurchase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

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
