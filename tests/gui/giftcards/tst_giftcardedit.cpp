#include "GiftCardFixture.h"

#include <QStatusBar>

// Correcting a gift card: the typed card number loads the card, "Card Not Found!" for one
// never sold, a balance of 0 or below is refused, and the edit is recorded with the new
// balance.
class TestGiftCardEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void opensEmpty()
    {
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        QCOMPARE(f.identity(), (QStringList{"frmGiftCardEdit", "Gift Card Edit", "top left"}));
        // The card number is typed, and shown as typed.
        QCOMPARE(f.box("txtAcctNo")->echoMode(), QLineEdit::Normal);
        QCOMPARE(f.text("txtBalance"), QStringLiteral("0"));
        QCOMPARE(f.control<QPushButton>("btnSave")->text(), QStringLiteral("Save"));
        QCOMPARE(ScreenTest::tabChain(f.box("txtAcctNo"), 5),
                 (QStringList{"txtAcctNo", "txtBalance", "txtNotes", "btnSave", "btnExit"}));
    }

    void leavingTheCardNumberLoadsTheCard()
    {
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        f.addCard("O'1234567", 33.3, QStringLiteral("lost once"));
        f.type("txtAcctNo", "O'1234567");
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_Tab);
        QTRY_COMPARE(f.text("txtBalance"), QStringLiteral("33.3"));
        QCOMPARE(f.text("txtNotes"), QStringLiteral("lost once"));
        QCOMPARE(f.focused(), QStringLiteral("txtBalance"));
        QCOMPARE(f.box("txtBalance")->selectedText(), f.box("txtBalance")->text());
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void aCardNeverSoldIsNotFound()
    {
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        f.type("txtAcctNo", "999999999");
        QTest::keyClick(f.box("txtAcctNo"), Qt::Key_Tab);
        QList<MessageBox::Shown> shown;
        QTRY_VERIFY((shown += MessageBox::takeShown(), !shown.isEmpty()));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("Card Not Found!"));
        QCOMPARE(shown[0].title, QStringLiteral("Card Not Found"));
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
        QCOMPARE(f.text("txtBalance"), QStringLiteral("0"));
        QVERIFY(f.transactions().isEmpty());
    }

    void saveGate_data()
    {
        QTest::addColumn<QString>("balance");
        QTest::newRow("a balance of 0 is refused: a card is not emptied here") << "0";
        QTest::newRow("a negative balance is refused") << "-5";
        QTest::newRow("a balance that is no number is refused") << "abc";
        QTest::newRow("no balance is refused") << "";
    }
    void saveGate()
    {
        QFETCH(QString, balance);
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        QVERIFY(f.loadCard("123456789"));
        f.replace("txtBalance", balance);
        if (balance.isEmpty())
            QTest::keyClick(f.box("txtBalance"), Qt::Key_Backspace);
        f.click("btnSave");
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("You must select a card and some dollar amount before saving/printing this record."));
        QCOMPARE(shown[0].title, QStringLiteral("Not Enough Information"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        QVERIFY(f.balanceIs("123456789", 40));
        QVERIFY(f.transactions().isEmpty());
    }

    void editSetsTheBalanceAndRecordsIt()
    {
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        QVERIFY(f.loadCard("123456789"));
        f.replace("txtBalance", "12.34");
        f.replace("txtNotes", "balance agreed with the customer");
        f.click("btnSave");
        QVERIFY(MessageBox::takeShown().isEmpty());
        QVERIFY(f.balanceIs("123456789", 12.34));
        QCOMPARE(f.card("123456789")->value("Notes").toString(), QStringLiteral("balance agreed with the customer"));
        const QList<QSqlRecord> rows = f.transactions();
        QCOMPARE(rows.size(), 1);
        // The new balance, not the difference.
        QCOMPARE(GiftCardFixture::described(rows[0]), (QStringList{"123456789", "Gift Card Edit", "12.34", "NA", "7", "1"}));
        QCOMPARE(f.text("txtAcctNo"), QString());
        QCOMPARE(f.text("txtBalance"), QStringLiteral("0"));
        QCOMPARE(f.text("txtNotes"), QString());
        QCOMPARE(f.focused(), QStringLiteral("txtAcctNo"));
        QCOMPARE(f.window->statusBar()->currentMessage(), QStringLiteral("Gift card 123456789: balance set to $12.34 and saved"));
    }

    // The card went between the load and the save: the edit does not make it again.
    void aCardGoneByTheSaveIsNotMade()
    {
        GiftCardFixture f(QStringLiteral("GiftCardEdit"));
        QVERIFY(f.opened);
        f.addCard("123456789", 40);
        QVERIFY(f.loadCard("123456789"));
        f.db->exec(QStringLiteral("DELETE FROM GiftCards"));
        f.click("btnSave");
        QStringList expected{QStringLiteral("Card Not Found!")};
        QCOMPARE(f.shownTexts(), expected);
        QCOMPARE(f.cardCount(), 0);
        QVERIFY(f.transactions().isEmpty());
        QCOMPARE(f.text("txtAcctNo"), QString());
    }
};

QTEST_MAIN(TestGiftCardEdit)
#include "tst_giftcardedit.moc"
