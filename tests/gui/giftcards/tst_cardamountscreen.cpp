#include "GiftCardFixture.h"

// What the purchase and the redemption screens share: the two groups and the order of
// their fields, the swipe showing the card's balance, the save gate, the receipt with
// its retry, and a save that cannot be written. Every case runs on both screens.
class TestCardAmountScreen : public QObject
{
    Q_OBJECT

    // Adds the rows of each case once per screen, the screen's command first.
    static void forEachScreen(const std::function<void(const char *command)> &addRows)
    {
        for (const char *command : {"GiftCardPurchase", "GiftCardRedemption"})
            addRows(command);
    }
    static QString infoGroup(const QString &command)
    {
        return command == u"GiftCardPurchase" ? QStringLiteral("Purchase Info") : QStringLiteral("Redemption Info");
    }

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensWaitingForASwipe_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("identity");
        QTest::addColumn<QStringList>("tabOrder");
        // The balance boxes are only written by the screen: Tab passes them by, and the
        // purchase's notes come after the buttons.
        QTest::newRow("purchase") << "GiftCardPurchase" << QStringList{"frmGiftCardPurchase", "Gift Card Purchase", "top left"}
                                  << QStringList{"txtAcctNo", "txtClerk", "txtAmount", "btnSave", "btnExit", "txtNotes"};
        QTest::newRow("redemption") << "GiftCardRedemption"
                                    << QStringList{"frmGiftCardRedemption", "Gift Card Redemption", "top left"}
                                    << QStringList{"txtAcctNo", "txtClerk", "txtAmount", "btnSave", "btnExit"};
    }
    void opensWaitingForASwipe()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, identity);
        QFETCH(QStringList, tabOrder);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        QCOMPARE(f.identity(), identity);
        QCOMPARE(f.notWaiting(), QString());
        QVERIFY(f.group("Acct Info")->isAncestorOf(f.box("txtClerk")));
        QVERIFY(f.group(infoGroup(command))->isAncestorOf(f.box("txtCardNumber")));
        QCOMPARE(f.screen->findChild<QLineEdit *>("txtNotes") != nullptr, command == u"GiftCardPurchase");
        QVERIFY(!f.box("txtCardNumber")->isVisible());
        QCOMPARE(f.control<QPushButton>("btnSave")->text(), QStringLiteral("Print/Save"));
        f.swipeCard("123456789");
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), int(tabOrder.size())), tabOrder);
        QVERIFY(f.box("txtBalance")->isReadOnly());
        QVERIFY(f.box("txtNewBalance")->isReadOnly());
    }

    void swipeShowsTheCardsBalance_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QString>("balance");
        forEachScreen([](const char *c) {
            QTest::addRow("%s: a card never sold shows 0", c) << QString::fromLatin1(c) << false << "0";
            QTest::addRow("%s: a sold card shows what it holds", c) << QString::fromLatin1(c) << true << "40.5";
        });
    }
    void swipeShowsTheCardsBalance()
    {
        QFETCH(QString, command);
        QFETCH(bool, sold);
        QFETCH(QString, balance);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        if (sold)
            f.addCard("123456789", 40.5);
        f.swipeCard("123456789");
        QCOMPARE(f.text("txtBalance"), balance);
        QCOMPARE(f.text("txtCardNumber"), QStringLiteral("123456789"));
        QVERIFY(f.group(infoGroup(command))->isEnabled());
        QCOMPARE(f.focused(), QStringLiteral("txtAmount"));
        QCOMPARE(f.box("txtAmount")->selectedText(), QStringLiteral("0"));
        // The new balance follows the amount, not the swipe.
        QCOMPARE(f.text("txtNewBalance"), QStringLiteral("0"));
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void saveGate_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("clerk");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("title");
        forEachScreen([](const char *c) {
            QTest::addRow("%s: an amount of 0 is refused", c) << QString::fromLatin1(c) << "JD"
                                                              << "0"
                                                              << "Not Enough Information";
            QTest::addRow("%s: no clerk is refused", c) << QString::fromLatin1(c) << ""
                                                        << "10"
                                                        << "Not Enough Information";
            // Said of the amount itself, as leaving the box says it.
            QTest::addRow("%s: an amount that is no number is refused", c) << QString::fromLatin1(c) << "JD"
                                                                           << "10abc"
                                                                           << "Invalid Amount";
        });
    }
    void saveGate()
    {
        QFETCH(QString, command);
        QFETCH(QString, clerk);
        QFETCH(QString, amount);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.swipeWithAmount("123456789", clerk, amount);
        MessageBox::takeShown();
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QFETCH(QString, title);
        QCOMPARE(shown[0].title, title);
        if (title == QLatin1String("Invalid Amount")) {
            QCOMPARE(shown[0].text, QStringLiteral("Must be a positive numeric amount."));
        } else {
            QCOMPARE(shown[0].text, QStringLiteral("You must select a card, Clerk, and some dollar amount before "
                                                   "saving/printing this record."));
            QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        }
        QVERIFY(f.balanceIs("123456789", 20));
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
    }

    void failedPrintIsOfferedAgain_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<bool>>("results");
        QTest::addColumn<int>("answersYes");
        QTest::addColumn<int>("answersNo");
        forEachScreen([](const char *c) {
            QTest::addRow("%s: yes prints again until it works", c)
                << QString::fromLatin1(c) << QList<bool>{false, false, true} << 2 << 0;
            QTest::addRow("%s: no gives up and the stored rows stay", c)
                << QString::fromLatin1(c) << QList<bool>{false} << 0 << 1;
        });
    }
    void failedPrintIsOfferedAgain()
    {
        QFETCH(QString, command);
        QFETCH(QList<bool>, results);
        QFETCH(int, answersYes);
        QFETCH(int, answersNo);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.printResults = results;
        for (int i = 0; i < answersYes; ++i)
            MessageBox::queueAnswer(MessageBox::Answer::Yes);
        for (int i = 0; i < answersNo; ++i)
            MessageBox::queueAnswer(MessageBox::Answer::No);
        f.swipeWithAmount("123456789", "JD", "5");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), answersYes + answersNo);
        for (const MessageBox::Shown &s : shown) {
            QCOMPARE(s.text, QStringLiteral("There was an error printing the Ticket. Would you like to retry?"));
            QCOMPARE(s.title, QStringLiteral("Error Printing"));
            QCOMPARE(s.buttons, MessageBox::Buttons::YesNo);
        }
        QCOMPARE(f.printed.size(), int(results.size()));
        const int id = f.transactions().value(0).value("ID").toInt();
        QCOMPARE(f.printed, QList<int>(results.size(), id));
        QVERIFY(f.balanceIs("123456789", command == u"GiftCardPurchase" ? 25 : 15));
        QCOMPARE(f.transactions().size(), 1);
        QCOMPARE(f.notWaiting(), QString());
    }

    // The transaction row cannot be written: the card keeps its balance, and the screen
    // keeps what was typed for another try.
    void failedTransactionRowChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        forEachScreen([](const char *c) { QTest::addRow("%s", c) << QString::fromLatin1(c); });
    }
    void failedTransactionRowChangesNothing()
    {
        QFETCH(QString, command);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.addCard("123456789", 20);
        f.db->exec(QStringLiteral("ALTER TABLE GiftCardTransactions RENAME COLUMN Clerk TO ClerkByHand"));
        f.swipeWithAmount("123456789", "MK", "10");
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("Database Error"));
        QVERIFY2(shown[0].text.contains(u"clerk", Qt::CaseInsensitive), qPrintable(shown[0].text));
        QVERIFY(f.balanceIs("123456789", 20));
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.printed.isEmpty());
        QCOMPARE(f.text("txtAmount"), QStringLiteral("10"));
        QVERIFY(f.group(infoGroup(command))->isEnabled());
    }
};

QTEST_MAIN(TestCardAmountScreen)
#include "tst_cardamountscreen.moc"
