#include "accounts/ReceivePaymentScreen.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "app/AmountField.h"
#include "app/BusyCursor.h"
#include "app/DatePicker.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FocusEvents.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace {

const QString kZero = QStringLiteral("0");

} // namespace

ReceivePaymentScreen::ReceivePaymentScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmReceivePayment"));
    setWindowTitle(QStringLiteral("Receive Payment"));
    buildForm();

    TextRule::apply(txtCheckNumber, FieldRules::Width::Other, QStringLiteral("Ck #/Memo"));
    // Both are typed over whole, however the focus comes (a click included).
    ScreenGuard::selectAllOnFocus(txtCheckNumber);
    ScreenGuard::selectAllOnFocus(txtPaymentAmount);

    // A pick in the list, by mouse, keys or the type-ahead search, starts a new payment
    // for that customer, even when it is the customer already chosen.
    connect(cmbCustomer, &PickList::currentIndexChanged, this,
            [this] { ScreenGuard::run(this, [this] { ShowCurrentBalance(); }); });
    connect(cmbCustomer, &PickList::activated, this, [this] { ScreenGuard::run(this, [this] { ShowCurrentBalance(); }); });
    FocusEvents::onLeave(txtPaymentAmount, [this] { amountLeft(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    ClearPaymentFields();
    ScreenGuard::run(this, [this] { loadCustomers(); });
    cmbCustomer->setFocus();
}

void ReceivePaymentScreen::buildForm()
{
    auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    cmbCustomer = named(new PickList(this), "cmbCustomer");
    cmbCustomer->setMinimumContentsLength(32);
    dtDate = DatePicker::make(QStringLiteral("dtDate"), this);
    txtCheckNumber = named(new QLineEdit(this), "txtCheckNumber");
    txtPaymentAmount = named(new AmountField(AmountField::moneyFormat(), this), "txtPaymentAmount");
    txtCurrentBalance = named(new AmountField(AmountField::moneyFormat(), this), "txtCurrentBalance");
    txtNewBalance = named(new AmountField(AmountField::moneyFormat(), this), "txtNewBalance");
    for (AmountField *shown : {txtCurrentBalance, txtNewBalance}) {
        shown->setDisplayOnly(true);
        markDisplayOnly(shown);
    }
    btnSave = named(new QPushButton(QStringLiteral("Save"), this), "btnSave");
    btnExit = named(new QPushButton(QStringLiteral("Exit"), this), "btnExit");
    for (QPushButton *button : {btnSave, btnExit})
        button->setMinimumWidth(96);

    auto *fields = new QGridLayout;
    const QList<QPair<QString, QWidget *>> rows = {
        {QStringLiteral("Customer"), cmbCustomer},
        {QStringLiteral("Date"), dtDate},
        {QStringLiteral("Ck #/Memo"), txtCheckNumber},
        {QStringLiteral("Payment Amount"), txtPaymentAmount},
        {QStringLiteral("Current Balance"), txtCurrentBalance},
        {QStringLiteral("New Balance"), txtNewBalance},
    };
    for (int r = 0; r < rows.size(); ++r) {
        fields->addWidget(fieldLabel(rows[r].first, this), r, 0);
        fields->addWidget(rows[r].second, r, 1, Qt::AlignLeft);
    }
    for (QWidget *narrow :
         {static_cast<QWidget *>(dtDate), static_cast<QWidget *>(txtCheckNumber), static_cast<QWidget *>(txtPaymentAmount),
          static_cast<QWidget *>(txtCurrentBalance), static_cast<QWidget *>(txtNewBalance)})
        narrow->setFixedWidth(140);
    layOutFormAndButtons(this, fields, {btnSave, btnExit});

    setTabOrder(cmbCustomer, dtDate);
    setTabOrder(dtDate, txtCheckNumber);
    setTabOrder(txtCheckNumber, txtPaymentAmount);
    setTabOrder(txtPaymentAmount, btnSave);
    setTabOrder(btnSave, btnExit);
}

void ReceivePaymentScreen::loadCustomers()
{
    BusyCursor busy;
    cmbCustomer->fill(CustomerStore::customersByName(Db::current()));
}

void ReceivePaymentScreen::ClearPaymentFields()
{
    dtDate->setDate(QDate::currentDate());
    txtCheckNumber->clear();
    for (AmountField *box : {txtCurrentBalance, txtPaymentAmount, txtNewBalance})
        box->setPlainText(kZero);
}

void ReceivePaymentScreen::ShowCurrentBalance()
{
    ClearPaymentFields();
    if (cmbCustomer->currentText().isEmpty())
        return;
    const double balance = CustomerStore::balanceOf(Db::current(), cmbCustomer->currentId().toString());
    txtCurrentBalance->setPlainText(Numbers::plainText(balance));
}

void ReceivePaymentScreen::amountLeft()
{
    // The locale's own way of writing a number passes ("1,250.75" under a locale that
    // groups with commas); it is then read by the number rules like every amount, and
    // the field shows when that reads less than is there.
    bool isNumber = false;
    QLocale().toDouble(txtPaymentAmount->plainText().trimmed(), &isNumber);
    if (!isNumber) {
        txtPaymentAmount->setPlainText(kZero);
        return;
    }
    txtNewBalance->setPlainText(Numbers::plainText(txtCurrentBalance->value() - txtPaymentAmount->value()));
}

void ReceivePaymentScreen::save()
{
    // The amount is read once: what is stored is what is posted.
    const double amount = txtPaymentAmount->value();
    if (cmbCustomer->currentText().isEmpty() || amount == 0) {
        MessageBox::ok(this, QStringLiteral("You must select a Customer and Payment Amount."), QStringLiteral("Required Fields"));
        return;
    }
    if (!TextRule::checkBeforeSave(this, {txtCheckNumber})
        || !AmountRule::checkBeforeSave(this, {{QStringLiteral("Payment Amount"), amount}}))
        return;
    const Payment payment{cmbCustomer->currentId().toString(), dtDate->date(), amount, txtCheckNumber->text()};
    bool stored = false;
    std::optional<double> balance;
    {
        BusyCursor busy;
        stored = PaymentStore::receive(Db::current(), payment, QDateTime::currentDateTime(), &balance);
    }
    if (!stored) {
        // Nothing was stored: the payment stays on the screen to be saved again.
        MessageBox::ok(this, QStringLiteral("Error updating customer balance!"), QStringLiteral("DB Error"));
        return;
    }
    // The balance as the posting left it on the server, other workstations' work included
    // (a customer whose row is gone has none: 0, as the balance box shows it).
    const QString line = QStringLiteral("Payment of %1 saved for %2 %3: balance %4")
                             .arg(Numbers::format(amount, AmountField::moneyFormat()), payment.customerId,
                                  cmbCustomer->currentText(), Numbers::format(balance.value_or(0), AmountField::moneyFormat()));
    ClearPaymentFields();
    cmbCustomer->setCurrentIndex(-1);
    MainWindow::showStatusLine(line);
}
