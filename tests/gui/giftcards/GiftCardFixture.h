#pragma once

#include "ScreenTest.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
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
                   {{"ID", id}, {"ActivatedBy", "AL"}, {"ActivationAmount", balance}, {"CardBalance", balance},
                    {"Active", 1}, {"Notes", notes}, {"WorkStationID", "3"}, {"Location", 5}},
                   QString());
    }

    QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
    AmountField *amount(const QString &name) const { return control<AmountField>(name); }
    // What a box holds: an amount box's plain text, any other box's text.
    QString text(const QString &name) const
    {
        if (auto *a = qobject_cast<AmountField *>(box(name)))
            return a->plainText();
        return box(name)->text();
    }
    QGroupBox *group(const QString &title) const
    {
        for (QGroupBox *g : screen->findChildren<QGroupBox *>())
            if (g->title() == title)
                return g;
        qFatal("no group %s", qPrintable(title));
        return nullptr;
    }
    QString focused() const
    {
        QWidget *w = QApplication::focusWidget();
        return w ? w->objectName() : QString();
    }

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
    void click(const QString &name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }

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
        return db->firstRow(QStringLiteral("SELECT ID FROM GiftCards WHERE ID = ? AND CardBalance = ?"), {id, amount}).has_value();
    }
    QList<QSqlRecord> transactions() { return db->rows(QStringLiteral("SELECT * FROM GiftCardTransactions ORDER BY ID")); }
    int cardCount() { return db->rows(QStringLiteral("SELECT ID FROM GiftCards")).size(); }
};
