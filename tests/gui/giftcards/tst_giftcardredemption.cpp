#include "GiftCardFixture.h"

#include <QStatusBar>

// Spending from gift cards: the amount never exceeds the card's balance, neither the one
// shown while typing nor the one stored at the save; what a redemption stores. What it
// shares with the purchase is in tst_cardamountscreen.
class TestGiftCardRedemption : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void amountRule_data()
    {
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // every message shown; none when empty
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("newBalance");
        const QString tooMuch = QStringLiteral("You cannot enter an amount greater than the balance available on the card.");
        const QString notPositive = QStringLiteral("Must be a positive numeric amount.");
        QTest::newRow("an amount is taken off the balance") << true << "12.5"
                                                            << ""
                                                            << "12.5"
                                                            << "7.5";
        QTest::newRow("the whole balance leaves 0") << true << "20"
                                                    << ""
                                                    << "20"
                                                    << "0";
        QTest::newRow("a cent above the balance is refused and the amount goes back to 0") << true << "20.01" << tooMuch << "0"
                                                                                           << "20";
        QTest::newRow("letters are refused and the amount becomes 0") << true << "x" << notPositive << "0"
                                                                      << "20";
        QTest::newRow("a card never sold refuses every amount") << false << "5" << tooMuch << "0"
                                                                << "0";
        QTest::newRow("a lone minus left behind is refused") << true << "-" << notPositive << "0"
                                                             << "20";
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
        // Nothing is said while the amount is typed ("2" of "20.01" is fine, "20.01" is
        // not): only when the clerk leaves the box.
        QVERIFY(MessageBox::takeShown().isEmpty());
        QTest::keyClick(f.box("txtAmount"), Qt::Key_Tab);
        QTest::qWait(20);
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
        // A card that is not on file shows $0.00 like an empty one; the status line says which.
        QCOMPARE(f.window->statusBar()->currentMessage(), sold ? QString() : QStringLiteral("Card 123456789 is not on file"));
    }

    void redemptionStoresAndPrints()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeWithAmount("123456789", "MK", "20");
        f.click("btnSave");
        QVERIFY(f.balanceIs("123456789", 0));
        // The amount taken off, as a positive number.
        QCOMPARE(f.savedAndPrinted({"123456789", "Gift Card Redemption", "20", "MK", "7", "1"}), QString());
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 QStringLiteral("Gift card 123456789: redemption of $20.00 saved, balance $0.00, receipt printed"));
    }

    // Another workstation spent from the card between this swipe and this save.
    void storedBalanceDecidesAtTheSave()
    {
        GiftCardFixture f(QStringLiteral("GiftCardRedemption"));
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeWithAmount("123456789", "MK", "10");
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("10"));
        f.saveAfterAnotherWorkstation("123456789", 5);

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
};

QTEST_MAIN(TestGiftCardRedemption)
#include "tst_giftcardredemption.moc"
