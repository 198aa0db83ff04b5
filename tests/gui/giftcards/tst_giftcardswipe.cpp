#include "GiftCardFixture.h"

// The card reader's box, as the purchase, redemption and inquiry screens share it: the
// swipe hidden behind "*", Enter only on a swipe's shape, and a swipe that cannot be
// read refused without writing anything.
class TestGiftCardSwipe : public QObject
{
    Q_OBJECT

    static void addScreenRows(const QList<std::pair<const char *, QString>> &cases)
    {
        for (const char *command : {"GiftCardPurchase", "GiftCardRedemption", "BalanceInquiry"})
            for (const auto &[name, text] : cases)
                QTest::addRow("%s: %s", command, name) << QString::fromLatin1(command) << text;
    }
private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void swipeShowsOnlyStars_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("swipe");
        addScreenRows({{"a swipe", QStringLiteral("%123456789?")}});
    }
    void swipeShowsOnlyStars()
    {
        QFETCH(QString, command);
        QFETCH(QString, swipe);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.addCard("123456789", 12);
        f.swipe(swipe);
        QCOMPARE(f.box("txtAcctNo")->displayText(), QString(swipe.size(), u'*'));
        // The card number is read from the middle of the swipe and never shown.
        QCOMPARE(f.text("txtCardNumber"), QStringLiteral("123456789"));
        QVERIFY(!f.box("txtCardNumber")->isVisible());
        QCOMPARE(f.text("txtBalance"), QStringLiteral("12"));
    }

    void misreadSwipeIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("swipe");
        addScreenRows({{"10 characters", QStringLiteral("%12345678?")},
                       {"12 characters", QStringLiteral("%1234567890?")},
                       {"nothing between the marks", QStringLiteral("%?")},
                       // The box stops taking the swipe at its width, its "?" included.
                       {"longer than the box holds", QLatin1Char('%') + QString(60, u'7') + QLatin1Char('?')}});
    }
    void misreadSwipeIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, swipe);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        // A card stored under the number every misread used to share.
        f.addCard("NA", 30);
        f.swipe(swipe);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("The card could not be read. Please swipe the card again."));
        QCOMPARE(shown[0].title, QStringLiteral("Card Not Read"));
        QCOMPARE(f.notWaiting(), QString());
        // Nothing written, not even an inquiry.
        QVERIFY(f.transactions().isEmpty());
        QVERIFY(f.balanceIs("NA", 30));
        QCOMPARE(f.cardCount(), 1);
    }

    // A misread after a good swipe takes the screen back to waiting: the amount typed for
    // the first card cannot be saved on anything.
    void misreadAfterASwipeForgetsTheCard_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("swipe");
        addScreenRows({{"12 characters", QStringLiteral("%1234567890?")}});
    }
    void misreadAfterASwipeForgetsTheCard()
    {
        QFETCH(QString, command);
        QFETCH(QString, swipe);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.addCard("123456789", 12);
        if (command != u"BalanceInquiry")
            f.swipeWithAmount("123456789", "JD", "5");
        else
            f.swipeCard("123456789");
        const int rowsBefore = int(f.transactions().size());
        f.swipe(swipe);
        QCOMPARE(MessageBox::takeShown().size(), 1);
        QCOMPARE(f.notWaiting(), QString());
        if (command != u"BalanceInquiry") {
            f.click("btnSave");
            QCOMPARE(MessageBox::takeShown().size(), 1); // not enough information
        }
        QCOMPARE(f.transactions().size(), rowsBefore);
        QVERIFY(f.balanceIs("123456789", 12));
    }

    void enterOnAnythingElseDoesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("swipe");
        addScreenRows({{"no marks", QStringLiteral("123456789")},
                       {"no end mark", QStringLiteral("%123456789")},
                       {"no start mark", QStringLiteral("1123456789?")}});
    }
    void enterOnAnythingElseDoesNothing()
    {
        QFETCH(QString, command);
        QFETCH(QString, swipe);
        GiftCardFixture f(command);
        QVERIFY(f.opened);
        f.swipe(swipe);
        QVERIFY(MessageBox::takeShown().isEmpty());
        QCOMPARE(f.text("txtAcctNo"), swipe);
        QCOMPARE(f.text("txtCardNumber"), QString());
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
        if (command != u"BalanceInquiry")
            QVERIFY(!f.box("txtAmount")->parentWidget()->isEnabled());
        QVERIFY(f.transactions().isEmpty());
    }
};

QTEST_MAIN(TestGiftCardSwipe)
#include "tst_giftcardswipe.moc"
