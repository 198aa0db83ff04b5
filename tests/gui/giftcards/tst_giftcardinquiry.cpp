#include "GiftCardFixture.h"

#include <QStatusBar>

// Balance inquiries: every swipe shows the card's balance and is recorded, sold card or
// not; the swipe stays selected for the next one.
class TestGiftCardInquiry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensWithABalanceOf0()
    {
        GiftCardFixture f(QStringLiteral("BalanceInquiry"));
        QVERIFY(f.opened);
        QCOMPARE(f.identity(), (QStringList{"frmGiftCardInquiry", "Gift Card Inquiry", "top left"}));
        for (const char *name : {"txtAcctNo", "txtBalance", "txtCardNumber"})
            QVERIFY(f.group("Acct Info")->isAncestorOf(f.box(name)));
        QCOMPARE(f.text("txtBalance"), QStringLiteral("0"));
        QVERIFY(f.box("txtBalance")->isReadOnly());
        QVERIFY(!f.box("txtCardNumber")->isVisible());
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), 2), (QStringList{"txtAcctNo", "btnExit"}));
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
    }

    void everySwipeIsRecorded_data()
    {
        QTest::addColumn<bool>("sold");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<QString>("line"); // the status line, which tells an empty card from none
        QTest::newRow("a sold card shows its balance") << true << "17.25"
                                                       << "Card 123456789: balance $17.25";
        QTest::newRow("a card never sold shows 0 and is recorded too") << false << "0"
                                                                       << "Card 123456789 is not on file";
    }
    void everySwipeIsRecorded()
    {
        QFETCH(bool, sold);
        QFETCH(QString, balance);
        GiftCardFixture f(QStringLiteral("BalanceInquiry"));
        QVERIFY(f.opened);
        if (sold)
            f.addCard("123456789", 17.25);
        f.swipeCard("123456789");
        QCOMPARE(f.text("txtBalance"), balance);
        QCOMPARE(f.text("txtCardNumber"), QStringLiteral("123456789"));
        QVERIFY(MessageBox::takeShown().isEmpty());
        const QList<QSqlRecord> rows = f.transactions();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(GiftCardFixture::described(rows[0]), (QStringList{"123456789", "Gift Card Inquiry", "0", "NA", "7", "1"}));
        QVERIFY(!rows[0].value("Amount").isNull());
        QCOMPARE(f.cardCount(), sold ? 1 : 0);
        QTEST(f.window->statusBar()->currentMessage(), "line");
    }

    void nextSwipeReplacesTheLast()
    {
        GiftCardFixture f(QStringLiteral("BalanceInquiry"));
        QVERIFY(f.opened);
        f.addCard("111111111", 5);
        f.addCard("222222222", 9.5);
        QLineEdit *acctNo = f.box("txtAcctNo");
        f.swipeCard("111111111");
        QCOMPARE(acctNo->selectedText(), QStringLiteral("%111111111?"));
        // The reader types straight on: the selected swipe goes.
        QTest::keyClicks(acctNo, QStringLiteral("%222222222?"));
        QTest::keyClick(acctNo, Qt::Key_Return);
        QCOMPARE(acctNo->text(), QStringLiteral("%222222222?"));
        QCOMPARE(f.text("txtBalance"), QStringLiteral("9.5"));
        QCOMPARE(f.transactions().size(), 2);
        QCOMPARE(f.transactions()[1].value("CardID").toString(), QStringLiteral("222222222"));
    }

    void emptyingTheSwipeClearsTheBalance()
    {
        GiftCardFixture f(QStringLiteral("BalanceInquiry"));
        QVERIFY(f.opened);
        f.addCard("111111111", 5);
        f.swipeCard("111111111");
        QCOMPARE(f.text("txtBalance"), QStringLiteral("5"));
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_Backspace);
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.text("txtBalance"), QStringLiteral("0"));
        QCOMPARE(f.transactions().size(), 1);
    }
};

QTEST_MAIN(TestGiftCardInquiry)
#include "tst_giftcardinquiry.moc"
