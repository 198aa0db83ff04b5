// The "Issued Cards" group of the customer screen, on every server: the grid vsfgCards,
// picking a card, and saving and removing cards with their messages.

#include "AccountsFixture.h"

#include "app/PickList.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>

namespace {

struct CardsScreen : AccountsFixture
{
    CardsScreen() : AccountsFixture(QStringLiteral("CustomerEntry")) {}

    // Customer 1234 with cards 01 (type 1), 02 (type 2, inactive, "lost card") and 03 of a
    // type the list does not hold; the screen opened and showing it.
    bool openWithCards()
    {
        addCustomer(QStringLiteral("1234"), QStringLiteral("SMITH TRUCKING"));
        addCard(QStringLiteral("1234"), QStringLiteral("01"));
        addCard(QStringLiteral("1234"), QStringLiteral("02"), QStringLiteral("2"), true, QStringLiteral("lost card"));
        addCard(QStringLiteral("1234"), QStringLiteral("03"), QStringLiteral("9"));
        if (!openScreen())
            return false;
        type(QStringLiteral("txtAccountNumber"), QStringLiteral("1234"));
        return true;
    }
    QTableWidget *grid() const { return find<QTableWidget>(QStringLiteral("vsfgCards")); }
    PickList *types() const { return find<PickList>(QStringLiteral("cmbCardType")); }
    QCheckBox *inactive() const { return find<QCheckBox>(QStringLiteral("chkCardInActive")); }
    // Each grid row as "No.|Type|flag|Notes".
    QStringList rows() const
    {
        QStringList all;
        for (int r = 0; r < grid()->rowCount(); ++r)
            all << QStringLiteral("%1|%2|%3|%4")
                       .arg(grid()->item(r, 0)->text(), grid()->item(r, 1)->text(),
                            grid()->item(r, 2)->checkState() == Qt::Checked ? u"x" : u"", grid()->item(r, 3)->text());
        return all;
    }
    // The four entry fields as "CardNo|Type|flag|Note".
    QString entry() const
    {
        return QStringLiteral("%1|%2|%3|%4")
            .arg(text(QStringLiteral("txtCardNo")), types()->currentText(), inactive()->isChecked() ? u"x" : u"",
                 text(QStringLiteral("txtCardNote")));
    }
    void pick(int row)
    {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void fillEntry(const QString &cardNo, const QString &type, bool flag, const QString &note)
    {
        box(QStringLiteral("txtCardNo"))->setText(cardNo);
        ScreenTest::choose(types(), type);
        inactive()->setChecked(flag);
        box(QStringLiteral("txtCardNote"))->setText(note);
    }
};

const QStringList kStored = {"01|1||", "02|2|x|lost card", "03|9||"};

} // namespace

class TestIssuedCards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }

    void gridShowsTheCards();
    void gridWithoutCards();
    void pickingARow_data();
    void pickingARow();
    void saveCard_data();
    void saveCard();
    void removeCard_data();
    void removeCard();
    void failedSaveKeepsTheCardAndTheEntry();
    void cardOfAnUnsavedCustomerIsRefused();
    void cardTypeSaysWhatItAllows_data();
    void cardTypeSaysWhatItAllows();
    void customerChangesLeaveTheEntry();
};

void TestIssuedCards::gridShowsTheCards()
{
    CardsScreen f;
    QVERIFY(f.openWithCards());
    QTableWidget *grid = f.grid();
    QCOMPARE(grid->columnCount(), 4);
    QStringList headings;
    for (int c = 0; c < 4; ++c)
        headings << grid->horizontalHeaderItem(c)->text();
    QCOMPARE(headings, (QStringList{"No.", "Type", "InActive", "Notes"}));
    QCOMPARE(f.rows(), kStored);
    for (int c = 0; c < 4; ++c) {
        const Qt::Alignment wanted = c < 3 ? Qt::AlignHCenter : Qt::AlignLeft;
        QCOMPARE(Qt::Alignment(grid->horizontalHeaderItem(c)->textAlignment()) & Qt::AlignHorizontal_Mask, wanted);
        for (int r = 0; r < grid->rowCount(); ++r)
            QCOMPARE(Qt::Alignment(grid->item(r, c)->textAlignment()) & Qt::AlignHorizontal_Mask, wanted);
    }
    // The flag is shown, not edited; every column is as wide as what it shows.
    QVERIFY(!(grid->item(1, 2)->flags() & Qt::ItemIsUserCheckable));
    QVERIFY(!(grid->item(1, 3)->flags() & Qt::ItemIsEditable));
    for (int c = 0; c < 3; ++c)
        QVERIFY(grid->columnWidth(c) >= grid->horizontalHeader()->sectionSizeHint(c));
    QVERIFY(grid->columnWidth(3) >= grid->fontMetrics().horizontalAdvance(QStringLiteral("lost card")));
    QVERIFY(!grid->horizontalHeader()->sectionsMovable());
}

void TestIssuedCards::gridWithoutCards()
{
    CardsScreen f;
    QVERIFY(f.openScreen());
    QCOMPARE(f.grid()->columnCount(), 0);
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("4321"));
    QCOMPARE(f.grid()->columnCount(), 4);
    QCOMPARE(f.grid()->rowCount(), 0);
    QVERIFY(f.grid()->horizontalHeader()->isVisible());
}

void TestIssuedCards::pickingARow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("entry");
    QTest::newRow("a card fills the entry fields") << 0 << "01|1||";
    QTest::newRow("an inactive card ticks the InActive box") << 1 << "02|2|x|lost card";
    QTest::newRow("a type the list does not hold leaves none chosen") << 2 << "03|||";
}

void TestIssuedCards::pickingARow()
{
    QFETCH(int, row);
    CardsScreen f;
    QVERIFY(f.openWithCards());
    f.fillEntry(QStringLiteral("77"), QStringLiteral("3"), true, QStringLiteral("typed"));
    f.pick(row);
    QTEST(f.entry(), "entry");
    // The keyboard picks too: one row down from the picked one.
    if (row + 1 < f.grid()->rowCount()) {
        QTest::keyClick(f.grid(), Qt::Key_Down);
        QCOMPARE(f.text(QStringLiteral("txtCardNo")), f.grid()->item(row + 1, 0)->text());
    }
}

void TestIssuedCards::saveCard_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("cardNo");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("a card with its note changed replaces the card")
        << "1234"
        << "01"
        << "1" << false << "spare" << QStringList{} << QStringList{"01|1||spare", kStored[1], kStored[2]};
    QTest::newRow("a new number adds a card and keeps the others")
        << "1234"
        << "04"
        << "3" << true << "" << QStringList{} << (QStringList(kStored) << "04|3|x|");
    QTest::newRow("an apostrophe in the card number and note is data")
        << "1234"
        << "0'"
        << "2" << false << "Bob's" << QStringList{} << (QStringList{"0'|2||Bob's"} + kStored);
    QTest::newRow("no type chosen") << "1234"
                                    << "04"
                                    << "" << false << "" << QStringList{"Not Enought Information"} << kStored;
    QTest::newRow("no card number") << "1234"
                                    << ""
                                    << "1" << false << "" << QStringList{"Not Enought Information"} << kStored;
    QTest::newRow("no account number") << ""
                                       << "04"
                                       << "1" << false << "" << QStringList{"Not Enought Information"} << QStringList{};
}

void TestIssuedCards::saveCard()
{
    QFETCH(QString, account);
    QFETCH(QString, cardNo);
    QFETCH(QString, type);
    QFETCH(bool, flag);
    QFETCH(QString, note);
    QFETCH(QStringList, titles);
    CardsScreen f;
    QVERIFY(f.openWithCards());
    if (account.isEmpty())
        f.box(QStringLiteral("txtAccountNumber"))->clear();
    f.fillEntry(cardNo, type, flag, note);
    const QString typed = f.entry();
    f.click(QStringLiteral("btnSaveCard"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(AccountsFixture::titlesOf(shown), titles);
    if (!shown.isEmpty())
        QCOMPARE(shown[0].text, QStringLiteral("You must enter a Card Number, Type, and Customer Account Number before saving."));
    QTEST(f.rows(), "rows");
    // A saved card empties the entry fields; a refused one leaves them for the clerk.
    QCOMPARE(f.entry(), titles.isEmpty() ? QStringLiteral("|||") : typed);
    QCOMPARE(f.count(QStringLiteral("Cards")), int(QStringList(kStored).size()) + (titles.isEmpty() && cardNo != u"01" ? 1 : 0));
}

void TestIssuedCards::removeCard_data()
{
    QTest::addColumn<QString>("cardNo");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("entry");

    QTest::newRow("Yes removes the card and empties the fields")
        << "02"
        << "2" << true << QStringList{"Delete Confirmation"} << QStringList{kStored[0], kStored[2]} << "|||";
    QTest::newRow("No keeps the card and the fields")
        << "02"
        << "2" << false << QStringList{"Delete Confirmation"} << kStored << "02|2||";
    QTest::newRow("the type only has to be there: the number decides")
        << "01"
        << "3" << true << QStringList{"Delete Confirmation"} << QStringList{kStored[1], kStored[2]} << "|||";
    QTest::newRow("a number that is not filed removes nothing and says nothing more")
        << "99"
        << "1" << true << QStringList{"Delete Confirmation"} << kStored << "|||";
    QTest::newRow("a card number without a type is no card")
        << "02"
        << "" << true << QStringList{"No Card Selected"} << kStored << "02|||";
}

void TestIssuedCards::removeCard()
{
    QFETCH(QString, cardNo);
    QFETCH(QString, type);
    QFETCH(bool, yes);
    QFETCH(QStringList, titles);
    CardsScreen f;
    QVERIFY(f.openWithCards());
    f.fillEntry(cardNo, type, false, QString());
    MessageBox::queueAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    f.click(QStringLiteral("btnRemoveCard"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(AccountsFixture::titlesOf(shown), titles);
    if (titles[0] == u"Delete Confirmation") {
        QCOMPARE(shown[0].text, QStringLiteral("Are you sure you want to delete the selected card?"));
        QCOMPARE(shown[0].buttons, MessageBox::Buttons::YesNo);
    } else {
        QCOMPARE(shown[0].text, QStringLiteral("No card selected to delete."));
    }
    QTEST(f.rows(), "rows");
    QTEST(f.entry(), "entry");
}

void TestIssuedCards::failedSaveKeepsTheCardAndTheEntry()
{
    CardsScreen f;
    QVERIFY(f.openWithCards());
    TestDb::refuse(*f.db, QStringLiteral("Cards"), QStringLiteral("INSERT"));
    f.pick(1);
    f.box(QStringLiteral("txtCardNote"))->setText(QStringLiteral("found again"));
    f.inactive()->setChecked(false);
    f.click(QStringLiteral("btnSaveCard"));
    QCOMPARE(f.shownTitles(), QStringList{"Database Error"});
    QCOMPARE(f.entry(), QStringLiteral("02|2||found again"));
    QCOMPARE(f.rows(), kStored);
    QCOMPARE(f.scalar(QStringLiteral("SELECT CardNote FROM Cards WHERE CustomerID = '1234' AND CardNo = '02'")).toString(),
             QStringLiteral("lost card"));
}

// A card typed for a customer that is not stored yet would be filed under nobody: it is
// refused with the entry kept, and saved once the customer is.
void TestIssuedCards::cardOfAnUnsavedCustomerIsRefused()
{
    CardsScreen f;
    QVERIFY(f.openScreen());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("8001"));
    f.fillEntry(QStringLiteral("01"), QStringLiteral("2"), false, QString());
    f.click(QStringLiteral("btnSaveCard"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Save the customer first."));
    QCOMPARE(f.count(QStringLiteral("Cards")), 0);
    QCOMPARE(f.entry(), QStringLiteral("01|2||"));
    QCOMPARE(f.rows(), QStringList{});

    f.type(QStringLiteral("txtName"), QStringLiteral("LATE CUSTOMER"));
    f.type(QStringLiteral("txtLimit"), QStringLiteral("100"));
    f.type(QStringLiteral("txtWarn"), QStringLiteral("1"));
    f.click(QStringLiteral("btnSave"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("8001"));
    QCOMPARE(f.text(QStringLiteral("txtName")), QStringLiteral("LATE CUSTOMER"));
    f.fillEntry(QStringLiteral("01"), QStringLiteral("2"), false, QString());
    f.click(QStringLiteral("btnSaveCard"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(f.rows(), QStringList{"01|2||"});
    QCOMPARE(f.window->statusBar()->currentMessage(), QStringLiteral("Card 01 (type 2) saved for 8001"));
}

void TestIssuedCards::cardTypeSaysWhatItAllows_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("meaning");
    QTest::newRow("type 1") << "1"
                            << "fuel and all merchandise";
    QTest::newRow("type 2") << "2"
                            << "fuel, oil, additives, antifreeze and washer fluid";
    QTest::newRow("type 3") << "3"
                            << "fuel only";
    QTest::newRow("no type chosen") << ""
                                    << "";
}

void TestIssuedCards::cardTypeSaysWhatItAllows()
{
    QFETCH(QString, type);
    CardsScreen f;
    QVERIFY(f.openWithCards());
    f.fillEntry(QStringLiteral("09"), type, false, QString());
    QCOMPARE(f.types()->currentText(), type);
    QTEST(f.find<QLabel>(QStringLiteral("lblCardTypeMeaning"))->text(), "meaning");
    QVERIFY(f.types()->toolTip().contains(QStringLiteral("3: fuel only")));
}

void TestIssuedCards::customerChangesLeaveTheEntry()
{
    CardsScreen f;
    QVERIFY(f.openWithCards());
    f.fillEntry(QStringLiteral("05"), QStringLiteral("3"), true, QStringLiteral("kept"));
    f.type(QStringLiteral("txtAccountNumber"), QStringLiteral("9"));
    QCOMPARE(f.entry(), QStringLiteral("05|3|x|kept"));
    QCOMPARE(f.grid()->rowCount(), 0);
}

QTEST_MAIN(TestIssuedCards)
#include "tst_issuedcards.moc"
