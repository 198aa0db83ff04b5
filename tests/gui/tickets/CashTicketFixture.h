#pragma once

#include "TicketFixture.h"
#include "tickets/CashTicketEntryScreen.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <functional>

// The cash ticket screen on a fresh database of the running test row's server, with the
// settings of location 1 as the charge ticket tests have them, and a printer the test
// controls.
struct CashTicketFixture
{
    // The database, the settings and the recorded messages.
    TicketFixture base{TicketFixture::Counter};
    std::unique_ptr<Db> &db = base.db;
    std::unique_ptr<CashTicketEntryScreen> screen;
    // Each call of the printer: ticket ID and whether the date and time are printed.
    QList<QPair<int, bool>> printed;
    // What the next prints return; an empty queue prints.
    QList<bool> printResults;
    // Runs inside each print, for tests that change the world while the ticket prints.
    std::function<void()> whilePrinting;

    CashTicketFixture()
    {
        Printers::cashTicket() = [this](int id, bool preview, bool printDate) {
            if (preview)
                return false;
            printed.append({id, printDate});
            if (whilePrinting)
                whilePrinting();
            return printResults.isEmpty() ? true : printResults.takeFirst();
        };
    }

    // A cash ticket stored earlier, by this workstation or another; returns its ID.
    int addTicket(const QString &customer, const QStringList &addressAndDetails = {}, int id = 0)
    {
        static const char *const columns[] = {"Address1", "Address2", "TruckNumber", "Mileage",
                                              "DriverID", "License",  "Trip",        "Trailer"};
        ColumnValues row = {{"Customer", customer}, {"Clerk", "OLD"}, {"Total", 12.5}, {"Location", 2}};
        for (int i = 0; i < addressAndDetails.size(); ++i)
            row.append({QLatin1String(columns[i]), addressAndDetails[i]});
        if (id != 0)
            row.prepend({"ID", id});
        return db->insert(QStringLiteral("CashTickets"), row).toInt();
    }

    bool open()
    {
        screen = std::make_unique<CashTicketEntryScreen>();
        screen->show();
        QApplication::setActiveWindow(screen.get());
        return QTest::qWaitForWindowActive(screen.get());
    }

    template <class T = QWidget>
    T *find(const QString &name) const
    {
        return ScreenTest::control<T>(screen.get(), name);
    }
    QLineEdit *box(const QString &name) const { return find<QLineEdit>(name); }
    AmountField *amount(const QString &name) const { return find<AmountField>(name); }
    QComboBox *customerBox() const { return find<QComboBox>(QStringLiteral("cmbCustomer")); }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < customerBox()->count(); ++i)
            names << customerBox()->itemText(i);
        return names;
    }
    // What a field holds: the plain text of an amount, the text of a box or the customer box.
    QString text(const QString &name) const
    {
        if (name == QLatin1String("cmbCustomer"))
            return customerBox()->currentText();
        return ScreenTest::boxText(screen.get(), name);
    }
    QString focused() const
    {
        // The list of an open customer box counts as the box.
        if (QApplication::focusWidget() && QApplication::focusWidget() == customerBox()->view())
            return customerBox()->objectName();
        return ScreenTest::focusedName();
    }

    // Focus the field and type, as a clerk does. Each key goes where the keyboard is:
    // the customer box's list once it has opened.
    void type(const QString &name, const QString &keys)
    {
        find(name)->setFocus(Qt::TabFocusReason);
        // The clerk's first key comes after the box has done what gaining the focus does.
        QCoreApplication::processEvents();
        typeOn(keys);
    }
    static void typeOn(const QString &keys) { QTest::keyClicks(static_cast<QWidget *>(nullptr), keys); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(static_cast<QWidget *>(nullptr), key, modifiers);
    }
    // Typing into the customer box, then Tab to the next field, which recalls the name.
    void enterCustomer(const QString &keys)
    {
        type(QStringLiteral("cmbCustomer"), keys);
        press(Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    // Pairs of field and text, each typed into a field that is empty or selects its text.
    void typeAll(const QStringList &fieldsAndTexts)
    {
        for (int i = 0; i + 1 < fieldsAndTexts.size(); i += 2)
            type(fieldsAndTexts[i], fieldsAndTexts[i + 1]);
    }
    // The smallest ticket that can be saved: clerk JD, customer WALK IN, 5 of oil.
    void typeOilSale(const QString &customer = QStringLiteral("WALK IN"))
    {
        type(QStringLiteral("txtClerk"), QStringLiteral("JD"));
        enterCustomer(customer);
        type(QStringLiteral("txtOil"), QStringLiteral("5"));
    }
    void click(const QString &name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    QVariant scalar(const QString &sql, const QVariantList &values = {}) { return base.scalar(sql, values); }
    int ticketCount() { return scalar(QStringLiteral("SELECT COUNT(*) FROM CashTickets")).toInt(); }
};
