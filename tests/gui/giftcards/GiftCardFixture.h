#pragma once

#include "ScreenTest.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/Numbers.h"
#include "app/MessageBox.h"
#include "db/Db.h"
#include "reports/Reports.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTest>

// A gift card screen opened through its menu command on a fresh database of the running
// test row's server, at workstation 7 of location 1, with a receipt printer the test
// controls.
struct GiftCardFixture : ScreenTest::ScreenSession
{
    // The transaction ID of each receipt printed.
    QList<int> printed;
    // What the next prints return; an empty queue prints.
    QList<bool> printResults;
    bool opened = false;

    explicit GiftCardFixture(const QString &command)
    {
        QFETCH_GLOBAL(QString, server);
        begin(server);
        ScreenTest::administrationWorkstationAt(QStringLiteral("1"));
        appContext().config.WorkstationID = QStringLiteral("7");
        Printers::giftCardReceipt() = [this](int id) {
            printed << id;
            return printResults.isEmpty() ? true : printResults.takeFirst();
        };
        opened = open(command);
    }
    ~GiftCardFixture()
    {
        end();
        Printers::reset();
    }

    void addCard(const QString &id, double balance, const QString &notes = QStringLiteral("old note"))
    {
        db->insert(QStringLiteral("GiftCards"),
                   {{"ID", id},
                    {"ActivatedBy", "AL"},
                    {"ActivationAmount", balance},
                    {"CardBalance", balance},
                    {"Active", 1},
                    {"Notes", notes},
                    {"WorkStationID", "3"},
                    {"Location", 5}},
                   QString());
    }

    // The open screen's objectName and window caption, and whether it opened at the
    // main window's top left corner.
    QStringList identity() const
    {
        const bool topLeft = screen->parentWidget() && screen->parentWidget()->pos() == QPoint(0, 0);
        return {screen->objectName(), screen->windowTitle(), topLeft ? QStringLiteral("top left") : QStringLiteral("elsewhere")};
    }
    QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
    QString text(const QString &name) const { return ScreenTest::boxText(screen, name); }
    QGroupBox *group(const QString &title) const { return ScreenTest::group(screen, title); }
    QString focused() const { return ScreenTest::focusedName(); }

    // Focus and type, as a clerk does.
    void type(const QString &name, const QString &keys)
    {
        QWidget *w = box(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w, keys);
    }
    // Select what the box holds and type over it: the first key replaces it.
    void replace(const QString &name, const QString &keys)
    {
        QLineEdit *w = box(name);
        w->setFocus(Qt::TabFocusReason);
        w->selectAll();
        QTest::keyClicks(w, keys);
    }
    // The card reader: the swipe text typed over what the box holds, then Enter.
    void swipe(const QString &swipeText)
    {
        QLineEdit *w = box(QStringLiteral("txtAcctNo"));
        w->setFocus(Qt::TabFocusReason);
        w->selectAll();
        QTest::keyClicks(w, swipeText);
        QTest::keyClick(w, Qt::Key_Return);
    }
    // A swipe of the nine-character card number.
    void swipeCard(const QString &cardId) { swipe(QLatin1Char('%') + cardId + QLatin1Char('?')); }
    // The card swiped, then the clerk and the amount typed (purchase and redemption).
    void swipeWithAmount(const QString &cardId, const QString &clerk, const QString &amountText)
    {
        swipeCard(cardId);
        type(QStringLiteral("txtClerk"), clerk);
        replace(QStringLiteral("txtAmount"), amountText);
    }
    // The edit screen's card number typed and left with Tab, which loads the card; false
    // when the card's balance never showed.
    bool loadCard(const QString &cardId)
    {
        type(QStringLiteral("txtAcctNo"), cardId);
        QTest::keyClick(box(QStringLiteral("txtAcctNo")), Qt::Key_Tab);
        return QTest::qWaitFor([this] { return text(QStringLiteral("txtBalance")) != u"0"; });
    }
    void click(const QString &name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }

    // Why a swipe screen is not waiting for the next swipe; empty when it is: no card
    // shown, the clerk's entry gone, the card's fields unusable and the focus on the
    // swipe box.
    QString notWaiting() const
    {
        QStringList problems;
        for (const char *name : {"txtAcctNo", "txtCardNumber", "txtClerk", "txtNotes"})
            if (screen->findChild<QLineEdit *>(QLatin1String(name)) && !text(QLatin1String(name)).isEmpty())
                problems << QStringLiteral("%1 holds %2").arg(QLatin1String(name), text(QLatin1String(name)));
        for (const char *name : {"txtBalance", "txtAmount", "txtNewBalance"})
            if (screen->findChild<QLineEdit *>(QLatin1String(name)) && text(QLatin1String(name)) != u"0")
                problems << QStringLiteral("%1 holds %2").arg(QLatin1String(name), text(QLatin1String(name)));
        if (auto *amountBox = screen->findChild<QLineEdit *>(QStringLiteral("txtAmount")); amountBox && amountBox->isEnabled())
            problems << QStringLiteral("the amount can be typed");
        if (focused() != u"txtAcctNo")
            problems << QStringLiteral("the focus is on %1").arg(focused());
        return problems.join(QStringLiteral("; "));
    }

    QStringList shownTexts()
    {
        QStringList texts;
        for (const MessageBox::Shown &s : MessageBox::takeShown())
            texts << s.text;
        return texts;
    }

    std::optional<QSqlRecord> card(const QString &id)
    {
        return db->firstRow(QStringLiteral("SELECT * FROM GiftCards WHERE ID = ?"), {id});
    }
    // Whether the stored balance is exactly the amount, compared on the server.
    bool balanceIs(const QString &id, double amount)
    {
        return db->firstRow(QStringLiteral("SELECT ID FROM GiftCards WHERE ID = ? AND CardBalance = ?"), {id, amount})
            .has_value();
    }
    // A transaction row as card, type, amount, clerk, workstation and location.
    static QStringList described(const QSqlRecord &row)
    {
        return {row.value("CardID").toString(),
                row.value("TransactionType").toString(),
                Numbers::plainText(row.value("Amount").toDouble()),
                row.value("Clerk").toString(),
                row.value("WorkStationID").toString(),
                row.value("Location").toString()};
    }
    // Why the last save did not go as a good one goes, empty when it did: no message, the
    // one transaction row as described (see described()), its receipt printed once, and
    // the screen waiting for the next swipe.
    QString savedAndPrinted(const QStringList &row)
    {
        const QList<QSqlRecord> rows = transactions();
        if (rows.size() != 1)
            return QStringLiteral("%1 transaction rows").arg(rows.size());
        if (described(rows[0]) != row)
            return QStringLiteral("the row is ") + described(rows[0]).join(u',');
        if (printed != QList<int>{rows[0].value("ID").toInt()})
            return QStringLiteral("%1 receipts printed").arg(printed.size());
        if (const QStringList texts = shownTexts(); !texts.isEmpty())
            return QStringLiteral("shown: ") + texts.join(u'|');
        return notWaiting();
    }
    // Another workstation leaves the card holding `balance`; then the clerk saves.
    void saveAfterAnotherWorkstation(const QString &cardId, double balance)
    {
        db->exec(QStringLiteral("UPDATE GiftCards SET CardBalance = ? WHERE ID = ?"), {balance, cardId});
        click(QStringLiteral("btnSave"));
    }
    QList<QSqlRecord> transactions() { return db->rows(QStringLiteral("SELECT * FROM GiftCardTransactions ORDER BY ID")); }
    int cardCount() { return db->rows(QStringLiteral("SELECT ID FROM GiftCards")).size(); }
};
