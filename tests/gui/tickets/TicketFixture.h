#pragma once

#include "ScreenTest.h"
#include "TestDb.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "db/Db.h"
#include "reports/ReportOutput.h"
#include "reports/Reports.h"
#include "reports/Viewer.h"
#include "tickets/TicketEntryScreen.h"
#include "tickets/TicketStore.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include <memory>

// A ticket screen on a fresh database of one server, with settings of location 1 and a
// printer the test controls.
struct TicketFixture
{
    std::unique_ptr<Db> db;
    std::unique_ptr<TicketEntryScreen> screen;
    // Made by statusLine(): the main window whose status line the screen writes.
    std::unique_ptr<MainWindow> window;
    // Each call of the printer: ticket ID and whether the date and time are printed.
    QList<QPair<int, bool>> printed;
    // What the next prints return; an empty queue prints.
    QList<bool> printResults;

    enum Workstation { Administration, Counter };

    // On the server of the running test row (the "server" column of initTestCase_data).
    explicit TicketFixture(Workstation workstation = Administration) : TicketFixture(rowServer(), workstation == Administration)
    {}
    static QString rowServer()
    {
        QFETCH_GLOBAL(QString, server);
        return server;
    }

    TicketFixture(const QString &server, bool adminWorkstation)
    {
        db = TestDb::fresh(server);
        Db::setCurrent(db.get());
        AppContext &context = appContext();
        context.config.WorkstationID = QStringLiteral("7");
        context.config.LocationID = QStringLiteral("1");
        context.config.AdminWorkstation = adminWorkstation ? QStringLiteral("1") : QStringLiteral("0");
        context.company = {};
        context.company.DieselPricePerGallon = 3.8995;
        context.company.ReeferPricePerGallon = 3.5;
        context.company.DiscountPricePerGallon = -0.05;
        context.company.DefPricePerGallon = 2.999;
        context.company.Tax = 0.0825;
        context.company.KeyPressDelay = 1;
        Printers::chargeTicket() = [this](int id, bool preview, bool printDate) {
            if (preview)
                return false;
            printed.append({id, printDate});
            return printResults.isEmpty() ? true : printResults.takeFirst();
        };
        MessageBox::startRecording();
    }

    ~TicketFixture()
    {
        screen.reset();
        window.reset();
        Printers::reset();
        Db::setCurrent(nullptr);
        MessageBox::stopRecording();
    }

    void addCustomer(const QString &id, const QString &name, double balance = 100, double limit = 1000, double warnAt = 0.8,
                     bool inactive = false, bool onHold = false)
    {
        db->insert(QStringLiteral("Customer"),
                   {{QStringLiteral("ID"), id},
                    {QStringLiteral("Name"), name},
                    {QStringLiteral("Inactive"), inactive ? 1 : 0},
                    {QStringLiteral("CurrentBalance"), balance},
                    {QStringLiteral("Limit"), limit},
                    {QStringLiteral("WarnAt"), warnAt},
                    {QStringLiteral("AcctOnHold"), onHold ? 1 : 0}},
                   QString());
    }

    void addCard(const QString &customerId, const QString &cardNo, const QString &cardType = QStringLiteral("1"),
                 bool inactive = false, const QString &note = {})
    {
        db->insert(QStringLiteral("Cards"),
                   {{QStringLiteral("CustomerID"), customerId},
                    {QStringLiteral("CardNo"), cardNo},
                    {QStringLiteral("CardType"), cardType},
                    {QStringLiteral("InActive"), inactive ? 1 : 0},
                    {QStringLiteral("CardNote"), note}},
                   QString());
    }

    // The usual account: 1234AB, type 1, balance 100 of 1000.
    void addStandardAccount()
    {
        addCustomer(QStringLiteral("1234"), QStringLiteral("SMITH TRUCKING"));
        addCard(QStringLiteral("1234"), QStringLiteral("AB"));
    }

    // A stored ticket of 1234AB (or the given account) for 35.41 (gas 30, oil 5, DEF 5
    // unless left out), as another workstation or an older program might have left it.
    void addTicket(int id, int location, const QString &clerk, bool withDef = true,
                   const QString &account = QStringLiteral("1234AB"), const QDateTime &entered = {})
    {
        ColumnValues columns = {{"ID", id},
                                {"CustomerID", account.left(4)},
                                {"CardNo", account.mid(4)},
                                {"Clerk", clerk},
                                {"GasGallons", 10.0},
                                {"GasPriceEach", 3.0},
                                {"GasPriceExt", 30.0},
                                {"OilPriceExt", 5.0},
                                {"Subtotal", 35.0},
                                {"Tax", 0.41},
                                {"Total", 35.41},
                                {"Location", location}};
        if (withDef)
            columns << ColumnValues{{"DEFGallons", 2.0}, {"DEFPriceEach", 2.5}, {"DEFPriceExt", 5.0}};
        if (entered.isValid())
            columns << ColumnValues{{"DateEntered", db->dialect().dateTimeValue(entered)}};
        db->insert(QStringLiteral("Tickets"), columns);
    }

    bool open()
    {
        screen = std::make_unique<TicketEntryScreen>();
        screen->show();
        QApplication::setActiveWindow(screen.get());
        return QTest::qWaitForWindowActive(screen.get());
    }
    // The screen opened with an account entered; false when the screen did not open.
    bool openWithAccount(const QString &account)
    {
        if (!open())
            return false;
        enterAccount(account);
        return true;
    }
    // The usual account stored and entered on a newly opened screen.
    bool openWithStandardAccount()
    {
        addStandardAccount();
        return openWithAccount(QStringLiteral("1234AB"));
    }
    // The usual account and one stored ticket of clerk AL, shown with << on a newly opened
    // screen.
    bool openShowingStoredTicket(int id, bool withDef = true)
    {
        addStandardAccount();
        addTicket(id, 1, QStringLiteral("AL"), withDef);
        if (!open())
            return false;
        click(QStringLiteral("btnBack"));
        return true;
    }

    template <class T = QWidget>
    T *find(const QString &name) const
    {
        return ScreenTest::control<T>(screen.get(), name);
    }
    QLineEdit *box(const QString &name) const { return find<QLineEdit>(name); }
    AmountField *amount(const QString &name) const { return find<AmountField>(name); }
    QString text(const QString &name) const { return ScreenTest::boxText(screen.get(), name); }
    QGroupBox *group(const QString &title) const { return ScreenTest::group(screen.get(), title); }
    QString focused() const { return ScreenTest::focusedName(); }

    // Focus, type, and optionally press Enter, as a clerk does.
    void type(const QString &name, const QString &keys, bool enter = false)
    {
        QWidget *w = box(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w, keys);
        if (enter)
            QTest::keyClick(w, Qt::Key_Return);
    }
    // Select what the field holds and type over it.
    void replace(const QString &name, const QString &keys)
    {
        QWidget *w = box(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Backspace);
        QTest::keyClicks(w, keys);
    }
    // Pairs of field and text, each typed over what the field holds.
    void replaceAll(const QStringList &fieldsAndTexts)
    {
        if (fieldsAndTexts.size() % 2)
            qFatal("a field without its text in %s", qPrintable(fieldsAndTexts.join(u',')));
        for (int i = 0; i < fieldsAndTexts.size(); i += 2)
            replace(fieldsAndTexts[i], fieldsAndTexts[i + 1]);
    }
    // Select what the field holds and type over it in one go, as a clerk overtypes a
    // selection (the field is never empty in between).
    void typeOver(const QString &name, const QString &keys)
    {
        QWidget *w = box(name);
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, keys);
    }
    void enterAccount(const QString &account) { type(QStringLiteral("txtAcctNo"), account, true); }
    // The smallest ticket that can be saved: clerk JD, 5 of oil (5.41 with tax).
    void typeOilSale()
    {
        type(QStringLiteral("txtClerk"), QStringLiteral("JD"));
        type(QStringLiteral("txtOil"), QStringLiteral("5"));
    }
    void click(const QString &name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }

    QStringList shownTitles()
    {
        QStringList titles;
        for (const MessageBox::Shown &s : MessageBox::takeShown())
            titles << s.title;
        return titles;
    }

    QVariant scalar(const QString &sql, const QVariantList &values = {})
    {
        const auto row = db->firstRow(sql, values);
        return row ? row->value(0) : QVariant();
    }
    double balance(const QString &id = QStringLiteral("1234"))
    {
        return scalar(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {id}).toDouble();
    }
    int ticketCount() { return scalar(QStringLiteral("SELECT COUNT(*) FROM Tickets")).toInt(); }

    // The main window's status line, which the screen writes after a save. The first call
    // makes the main window; only what the screen writes afterwards is seen.
    QString statusLine()
    {
        if (!window)
            window = std::make_unique<MainWindow>();
        return window->statusBar()->currentMessage();
    }
};
