// Where Tab stops on every screen: only where the clerk can type, choose or press; never
// on a box that only shows a value (a balance, a ticket's number, a total).

#include "ScreenTest.h"
#include "TestDb.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace ScreenTest;

namespace {

// What kind of stop a widget is; "" for one where the clerk can act.
QString displayOnly(QWidget *w)
{
    if (auto *box = qobject_cast<QLineEdit *>(w)) {
        if (box->isReadOnly())
            return QStringLiteral("a read-only box");
        return {};
    }
    if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w))
        return {};
    // A list the clerk picks a row of with the arrow keys (the customer's cards).
    if (qobject_cast<QAbstractItemView *>(w))
        return {};
    return QStringLiteral("a %1").arg(QString::fromLatin1(w->metaObject()->className()));
}

} // namespace

class TestTabStops : public QObject
{
    Q_OBJECT

private slots:
    void onlyWhereTheClerkCanAct_data();
    void onlyWhereTheClerkCanAct();
};

void TestTabStops::onlyWhereTheClerkCanAct_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("shown"); // display-only boxes of the screen, never a stop
    QTest::newRow("the customer screen") << "CustomerEntry" << QStringList{"txtBalance", "txtAvailableCredit"};
    QTest::newRow("the charge ticket") << "TicketEntry" << QStringList{"txtID", "txtCustomer", "txtDateEntered", "txtTotal"};
    QTest::newRow("the cash ticket") << "CashTicketEntry" << QStringList{"txtSubtotal", "txtTax", "txtTotal"};
    QTest::newRow("the payment screen") << "ReceivePayment" << QStringList{"txtCurrentBalance", "txtNewBalance"};
    QTest::newRow("the gift card purchase") << "GiftCardPurchase" << QStringList{};
    QTest::newRow("the gift card redemption") << "GiftCardRedemption" << QStringList{};
    QTest::newRow("the gift card inquiry") << "BalanceInquiry" << QStringList{};
    QTest::newRow("the gift card edit") << "GiftCardEdit" << QStringList{};
    QTest::newRow("the company screen") << "CompanyInfo" << QStringList{};
    QTest::newRow("the pricing screen") << "Pricing" << QStringList{};
}

void TestTabStops::onlyWhereTheClerkCanAct()
{
    QFETCH(QString, command);
    QFETCH(QStringList, shown);
    ScreenSession session;
    session.begin(QStringLiteral("SQLite"));
    administrationWorkstationAt(QStringLiteral("1"));
    QVERIFY(session.open(command));
    for (const QString &name : shown)
        QVERIFY2(!(session.control<QLineEdit>(name)->focusPolicy() & Qt::TabFocus), qPrintable(name));

    QWidget *start = QApplication::focusWidget();
    QVERIFY2(start && session.screen->isAncestorOf(start), "the screen opens with the focus on one of its fields");
    QVERIFY2(displayOnly(start).isEmpty(), qPrintable(start->objectName()));
    QStringList stops{start->objectName()};
    QWidget *at = start;
    for (int presses = 0; presses < 120; ++presses) {
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        QVERIFY2(at, qPrintable(QStringLiteral("the focus went nowhere after %1").arg(stops.join(u' '))));
        if (at == start)
            break;
        if (!session.screen->isAncestorOf(at))
            continue;
        const QString wrong = displayOnly(at);
        QVERIFY2(wrong.isEmpty(),
                 qPrintable(QStringLiteral("Tab stops on %1, %2, after %3").arg(wrong, at->objectName(), stops.join(u' '))));
        if (!stops.contains(at->objectName()))
            stops << at->objectName();
    }
    QCOMPARE(QApplication::focusWidget(), start);
    QVERIFY2(stops.size() >= 2, qPrintable(stops.join(u' ')));
    for (const QString &name : shown)
        QVERIFY(!stops.contains(name));
    session.end();
}

QTEST_MAIN(TestTabStops)
#include "tst_tabstops.moc"
