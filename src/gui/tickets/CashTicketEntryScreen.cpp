#include "tickets/CashTicketEntryScreen.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/Numbers.h"
#include "app/FocusEvents.h"
#include "app/MainWindow.h"
#include "app/PrintRetry.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "reports/Reports.h"
#include "tickets/AutoCompleteComboBox.h"
#include "tickets/PurchaseLinesPanel.h"
#include "tickets/TicketInfoGroup.h"
#include "tickets/TicketScreenKit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

CashTicketEntryScreen::CashTicketEntryScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCashTicketEntry"));
    setWindowTitle(QStringLiteral("Cash Ticket Entry"));
    buildForm();
    setTabOrder();

    using namespace FieldRules;
    TextRule::apply(txtClerk, Width::Clerk, QStringLiteral("Clerk ID"));
    TextRule::apply(cmbCustomer->lineEdit(), Width::CashCustomer, QStringLiteral("Customer"));
    TextRule::apply(txtAddress1, Width::CashCustomer, QStringLiteral("First Address Line"));
    TextRule::apply(txtAddress2, Width::CashCustomer, QStringLiteral("Second Address Line"));
    ScreenGuard::selectAllOnFocus(txtAddress1);
    ScreenGuard::selectAllOnFocus(txtAddress2);
    installAutoComplete(cmbCustomer);

    // Enter walks the clerk through the ticket in its order to "Print", as on the charge
    // ticket: clerk, customer, both address lines, the ticket details, the lines. In the
    // customer box an open list takes the Enter first (it accepts the completion), and
    // the walk goes on from there.
    for (QWidget *field : QList<QWidget *>{txtClerk, cmbCustomer, cmbCustomer->view(), txtAddress1, txtAddress2})
        field->installEventFilter(this);
    for (QLineEdit *box : m_ticketInfo->boxes())
        box->installEventFilter(this);
    for (QWidget *field : m_lines->tabOrder())
        field->installEventFilter(this);

    FocusEvents::onLeave(cmbCustomer, [this] { getCustomer(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    // Prices saved on this workstation reach a ticket not yet begun at once.
    if (MainWindow *window = MainWindow::instance())
        connect(window, &MainWindow::companySettingsLoaded, this, [this] { m_lines->takeNewPrices(appContext().company); });

    ScreenGuard::run(this, [this] { fillCustomerList(); });
    clearTicket();
    txtClerk->setFocus();
}

void CashTicketEntryScreen::fillCustomerList()
{
    // Filling the list must leave what the box shows alone.
    QLineEdit *edit = cmbCustomer->lineEdit();
    const QString text = edit->text();
    const int caret = edit->cursorPosition();
    Db &db = Db::current();
    CashCustomerNames::Refresh changes;
    if (m_namesRead) {
        changes = m_names.refresh(db);
    } else {
        m_names.fill(db);
        m_namesRead = true;
        changes.reset = true;
    }
    if (changes.reset) {
        cmbCustomer->clear();
        cmbCustomer->addItems(m_names.names());
    } else {
        for (const auto &[at, name] : changes.inserted)
            cmbCustomer->insertItem(int(at), name);
    }
    // A list that was empty makes its first name current, which would show it.
    if (edit->text() != text) {
        cmbCustomer->setCurrentIndex(-1);
        edit->setText(text);
        edit->setCursorPosition(caret);
    }
}

void CashTicketEntryScreen::clearTicket()
{
    txtClerk->setText(QString());
    cmbCustomer->setEditText(QString());
    txtAddress1->setText(QString());
    txtAddress2->setText(QString());
    m_ticketInfo->clear();
    m_lines->clear(appContext().company);
}

void CashTicketEntryScreen::getCustomer()
{
    ScreenGuard::run(this, [this] {
        // The name as it stands, blanks and all: it is the key the tickets were stored
        // under.
        const QString customer = cmbCustomer->currentText();
        if (customer.isEmpty())
            return;
        const std::optional<CashTicketRecord> newest = CashTicketStore::newestFor(Db::current(), customer);
        if (!newest)
            return;
        txtAddress1->setText(newest->address1);
        txtAddress2->setText(newest->address2);
        m_ticketInfo->setDetails(newest->details);
    });
}

bool CashTicketEntryScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == cmbCustomer->view()) {
                QTimer::singleShot(0, this, [this] {
                    if (!cmbCustomer->view()->isVisible() && cmbCustomer->hasFocus())
                        txtAddress1->setFocus(Qt::OtherFocusReason);
                });
                return false;
            }
            QList<QWidget *> before = {txtClerk, cmbCustomer, txtAddress1, txtAddress2};
            for (QLineEdit *box : m_ticketInfo->boxes())
                before << box;
            if (QWidget *next = m_lines->enterPressed(qobject_cast<QWidget *>(watched), before, btnSave)) {
                next->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

CashTicketRecord CashTicketEntryScreen::ticketOnScreen() const
{
    CashTicketRecord t;
    t.customer = cmbCustomer->currentText();
    t.address1 = txtAddress1->text();
    t.address2 = txtAddress2->text();
    t.details = m_ticketInfo->details(txtClerk->text());
    t.amounts = m_lines->amounts();
    return t;
}

void CashTicketEntryScreen::save()
{
    // Any total but 0 passes, a negative one too; the texts count as typed, so a clerk
    // ID of one blank is a clerk ID.
    const bool enough = m_lines->total()->value() != 0 && !txtClerk->text().isEmpty() && !cmbCustomer->currentText().isEmpty();
    const CashTicketRecord ticket = ticketOnScreen();
    if (!TicketScreenKit::readyToStore(this, enough,
                                       QStringLiteral("You must select a Customer, Clerk, and some dollar amount before "
                                                      "saving/printing this record."),
                                       ticket.amounts))
        return;
    int id = 0;
    {
        BusyCursor busy;
        id = CashTicketStore::insert(Db::current(), ticket, TicketScreenKit::stampNow());
    }
    const bool printDate = m_lines->printDate();
    const bool printed = PrintRetry::run(this, [id, printDate] { return Printers::cashTicket()(id, false, printDate); });
    QString line = QStringLiteral("Cash ticket %1 saved for %2: %3, ")
                       .arg(id)
                       .arg(ticket.customer, Numbers::format(m_lines->total()->value(), AmountField::moneyFormat()));
    line += printed ? QStringLiteral("printed %1 copies").arg(kCashTicketCopies) : QStringLiteral("not printed");
    readyForNextTicket();
    MainWindow::showStatusLine(line);
}

void CashTicketEntryScreen::readyForNextTicket()
{
    // The ticket is stored (and printed, or given up on): the screen lets go of it even
    // when the list cannot be brought up to date, or a second Print would store it twice.
    const auto cleared = qScopeGuard([this] {
        clearTicket();
        cmbCustomer->setFocus();
    });
    BusyCursor busy;
    fillCustomerList();
}
