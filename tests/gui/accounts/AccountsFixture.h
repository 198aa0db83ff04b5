#pragma once

#include "accounts/WebPassword.h"

#include "ScreenTest.h"
#include "TestDb.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MessageBox.h"
#include "db/Db.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

// A customer or payment screen on a fresh database of the running test row's server,
// opened by its menu command on an administration workstation of location 1. The state
// and card type lists hold MO, KS, AR and 1, 2, 3.
struct AccountsFixture : ScreenTest::ScreenSession
{
    QString command;

    explicit AccountsFixture(const QString &menuCommand) : command(menuCommand)
    {
        QFETCH_GLOBAL(QString, server);
        begin(server);
        ScreenTest::administrationWorkstationAt(QStringLiteral("1"));
        appContext().company.KeyPressDelay = 1;
        for (const char *state : {"MO", "KS", "AR"})
            db->insert(QStringLiteral("State"), {{"State", state}}, QString());
        for (const char *type : {"1", "2", "3"})
            db->insert(QStringLiteral("CardType"), {{"CardType", type}}, QString());
    }
    ~AccountsFixture() { end(); }

    bool openScreen() { return open(command); }

    void addCustomer(const QString &id, const QString &name, double balance = 250, double limit = 1000,
                     const ColumnValues &more = {})
    {
        ColumnValues columns = {{"ID", id},       {"Name", name},  {"Inactive", 0},  {"CurrentBalance", balance},
                                {"Limit", limit}, {"WarnAt", 0.8}, {"AcctOnHold", 0}};
        columns += more;
        db->insert(QStringLiteral("Customer"), columns, QString());
    }
    void addCard(const QString &customerId, const QString &cardNo, const QString &type = QStringLiteral("1"),
                 bool inactive = false, const QVariant &note = QVariant(QMetaType(QMetaType::QString)))
    {
        db->insert(QStringLiteral("Cards"),
                   {{"CustomerID", customerId},
                    {"CardNo", cardNo},
                    {"CardType", type},
                    {"InActive", inactive ? 1 : 0},
                    {"CardNote", note}},
                   QString());
    }
    // The password is stored as the program stores it: its hash.
    void addLogin(const QString &customerId, const QString &userName, const QString &password)
    {
        db->insert(QStringLiteral("WebUser"),
                   {{"CustomerID", customerId}, {"UserName", userName}, {"Password", WebPassword::hash(password)}}, QString());
    }

    template <class T = QWidget>
    T *find(const QString &name) const
    {
        return control<T>(name);
    }
    QLineEdit *box(const QString &name) const { return find<QLineEdit>(name); }
    QString text(const QString &name) const { return ScreenTest::boxText(screen, name); }
    QGroupBox *group(const QString &title) const { return ScreenTest::group(screen, title); }
    QString focused() const { return ScreenTest::focusedName(); }

    void type(const QString &name, const QString &keys)
    {
        QWidget *w = find(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w, keys);
    }
    // Selects what the box holds and types over it.
    void replace(const QString &name, const QString &keys)
    {
        QWidget *w = find(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Backspace);
        QTest::keyClicks(w, keys);
    }
    // Ctrl+V with the text on the clipboard, at the box's caret.
    void paste(const QString &name, const QString &clip)
    {
        QApplication::clipboard()->setText(clip);
        QTest::keyClick(find(name), Qt::Key_V, Qt::ControlModifier);
    }
    void click(const QString &name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    static QStringList titlesOf(const QList<MessageBox::Shown> &shown)
    {
        QStringList titles;
        for (const MessageBox::Shown &s : shown)
            titles << s.title;
        return titles;
    }
    // The titles of the messages shown since the last look.
    QStringList shownTitles() { return titlesOf(MessageBox::takeShown()); }

    QVariant scalar(const QString &sql, const QVariantList &values = {}) const
    {
        const auto row = db->firstRow(sql, values);
        return row ? row->value(0) : QVariant();
    }
    int count(const QString &table) const { return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt(); }
    // Whether the stored balance is exactly the amount, compared on the server.
    bool balanceIs(const QString &id, double amount) const
    {
        return db->firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ? AND CurrentBalance = ?"), {id, amount})
            .has_value();
    }
};
