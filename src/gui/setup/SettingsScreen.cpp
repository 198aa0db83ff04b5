#include "setup/SettingsScreen.h"

#include "accounts/Aging.h"
#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FocusEvents.h"
#include "app/FormLayout.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "setup/CompanyStore.h"
#include "setup/LocationList.h"
#include "app/NumberText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>

namespace {

const QString kPercentFormat = QStringLiteral("#,##0.00%");

} // namespace

SettingsScreen::SettingsScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("System Settings"));

    cmbLocation = new QComboBox(this);
    cmbLocation->setObjectName(QStringLiteral("cmbLocation"));
    cmbLocation->setFixedWidth(110);
    auto amount = [this](const char *name, const QString &format) {
        auto *field = new AmountField(format, this);
        field->setObjectName(QLatin1String(name));
        field->setFixedWidth(110);
        return field;
    };
    txtDieselPricePerGallon = amount("txtDieselPricePerGallon", AmountField::priceFormat());
    txtReeferPricePerGallon = amount("txtReeferPricePerGallon", AmountField::priceFormat());
    txtDiscountPerGallon = amount("txtDiscountPerGallon", AmountField::priceFormat());
    txtDEFPerGallon = amount("txtDEFPerGallon", AmountField::priceFormat());
    txtWarnCustomer = amount("txtWarnCustomer", kPercentFormat);
    txtTax = amount("txtTax", kPercentFormat);
    txtPaymentTerms = new QLineEdit(this);
    txtPaymentTerms->setObjectName(QStringLiteral("txtPaymentTerms"));
    txtPaymentTerms->setFixedWidth(110);
    lblPaymentTerms = new QLabel(this);
    lblPaymentTerms->setObjectName(QStringLiteral("lblPaymentTerms"));
    btnSave = new QPushButton(QStringLiteral("Save and Close"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    int row = 0;
    auto addRow = [&](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        fields->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        fields->addWidget(field, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++row;
    };
    addRow(QStringLiteral("Location"), cmbLocation);
    addRow(QStringLiteral("Diesel Price Per Gallon"), txtDieselPricePerGallon);
    addRow(QStringLiteral("Reefer Diesel Price Per Gallon"), txtReeferPricePerGallon);
    addRow(QStringLiteral("Diesel Disc. Per Gallon"), txtDiscountPerGallon);
    addRow(QStringLiteral("DEF Per Gallon"), txtDEFPerGallon);
    addRow(QStringLiteral("Warn Customer At % of Limit"), txtWarnCustomer);
    addRow(QStringLiteral("Tax Percent"), txtTax);
    // The two percentages hold fractions, shown multiplied by 100 once the field is left.
    auto *taxHint = new QLabel(QStringLiteral("typed as a fraction: 0.0825 for 8.25%"), this);
    taxHint->setObjectName(QStringLiteral("lblTaxHint"));
    taxHint->setEnabled(false);
    fields->addWidget(taxHint, row - 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    fields->addWidget(lblPaymentTerms, row, 2, Qt::AlignLeft | Qt::AlignVCenter);
    addRow(QStringLiteral("Payment Terms (days)"), txtPaymentTerms);
    fields->setColumnStretch(3, 1);

    layOutFormAndButtons(this, fields, {btnSave, btnExit});

    setTabOrder(cmbLocation, txtDieselPricePerGallon);
    setTabOrder(txtDieselPricePerGallon, txtReeferPricePerGallon);
    setTabOrder(txtReeferPricePerGallon, txtDiscountPerGallon);
    setTabOrder(txtDiscountPerGallon, txtDEFPerGallon);
    setTabOrder(txtDEFPerGallon, txtWarnCustomer);
    setTabOrder(txtWarnCustomer, txtTax);
    setTabOrder(txtTax, txtPaymentTerms);
    setTabOrder(txtPaymentTerms, btnSave);
    setTabOrder(btnSave, btnExit);

    connect(cmbLocation, &QComboBox::currentIndexChanged, this, [this] { ScreenGuard::run(this, [this] { locationChosen(); }); });
    // The tax rate is checked like the other numbers: the Tax column is numeric too.
    for (AmountField *field :
         {txtDieselPricePerGallon, txtReeferPricePerGallon, txtDiscountPerGallon, txtDEFPerGallon, txtWarnCustomer, txtTax})
        FocusEvents::onLeave(field, [this, field] { fieldLeft(field); });
    // Typed like any text box; what it holds is checked when the screen is saved.
    TextRule::apply(txtPaymentTerms, FieldRules::Width::Other, QStringLiteral("Payment Terms (days)"));
    connect(txtPaymentTerms, &QLineEdit::textChanged, this, [this](const QString &text) {
        std::optional<int> days;
        lblPaymentTerms->setText(PaymentTerms::read(text, &days) && days ? PaymentTerms::text(*days) : QString());
    });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, &QWidget::close);

    ScreenGuard::run(this, [this] { loadLocations(); });
}

void SettingsScreen::loadLocations() { LocationList::fill(cmbLocation); }

void SettingsScreen::locationChosen()
{
    if (!cmbLocation->currentText().isEmpty())
        LoadLocationSettings();
}

void SettingsScreen::LoadLocationSettings()
{
    const auto row = LocationList::chosenRow(cmbLocation);
    if (!row)
        return;
    // A location set up on the company screen has no prices yet: its empty columns
    // show as empty fields, ready to be filled in.
    auto show = [&](AmountField *field, const char *column) {
        const QVariant value = row->value(QLatin1String(column));
        field->setPlainText(value.isNull() ? QString() : Numbers::plainText(value.toDouble()));
    };
    show(txtDieselPricePerGallon, "DieselPricePerGallon");
    show(txtReeferPricePerGallon, "ReeferPricePerGallon");
    show(txtDiscountPerGallon, "DiscountPricePerGallon");
    show(txtDEFPerGallon, "DefPricePerGallon");
    show(txtWarnCustomer, "WarnCustomer");
    show(txtTax, "Tax");
    txtPaymentTerms->setText(QString::number(PaymentTerms::ofLocation(row->value(QStringLiteral("PaymentTerms")))));
}

// What each field is called on the screen, for the messages that name it.
QString SettingsScreen::captionOf(const AmountField *field) const
{
    if (field == txtDieselPricePerGallon)
        return QStringLiteral("Diesel Price Per Gallon");
    if (field == txtReeferPricePerGallon)
        return QStringLiteral("Reefer Diesel Price Per Gallon");
    if (field == txtDiscountPerGallon)
        return QStringLiteral("Diesel Disc. Per Gallon");
    if (field == txtDEFPerGallon)
        return QStringLiteral("DEF Per Gallon");
    if (field == txtWarnCustomer)
        return QStringLiteral("Warn Customer At % of Limit");
    return QStringLiteral("Tax Percent");
}

// A text that is not a number is refused where it stands, naming the field. It stays as
// typed for the clerk to put right: turning it into 0 would let Save store a tax or a
// price of nothing without a word.
bool SettingsScreen::fieldLeft(AmountField *field)
{
    if (Numbers::isNumber(field->plainText()))
        return true;
    MessageBox::ok(this, QStringLiteral("You must enter a valid number for %1.").arg(captionOf(field)),
                   QStringLiteral("Invalid Entry"));
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

void SettingsScreen::save()
{
    const QList<AmountField *> fields = {txtDiscountPerGallon, txtReeferPricePerGallon, txtDieselPricePerGallon,
                                         txtDEFPerGallon,      txtWarnCustomer,         txtTax};
    bool missing = cmbLocation->currentIndex() < 0;
    for (AmountField *field : fields)
        missing = missing || field->plainText().isEmpty();
    if (missing) {
        MessageBox::ok(this, QStringLiteral("You must enter all fields."), QStringLiteral("Invalid Information"),
                       MessageBox::Icon::Exclamation);
        return;
    }
    // Every field was checked when it was left; one still holding something that is not
    // a number (the focus never left it) is refused the same way rather than written.
    for (AmountField *field : fields) {
        if (!fieldLeft(field))
            return;
    }

    std::optional<int> terms;
    if (!PaymentTerms::read(txtPaymentTerms->text(), &terms) || !terms) {
        MessageBox::ok(
            this,
            QStringLiteral("Payment Terms (days) must be a whole number of days from 0 to %1.").arg(PaymentTerms::kMostDays),
            QStringLiteral("Invalid Entry"));
        txtPaymentTerms->setFocus(Qt::OtherFocusReason);
        return;
    }

    // A price no money column holds exactly would be refused on every ticket it fills.
    if (!AmountRule::checkBeforeSave(this, {{captionOf(txtDieselPricePerGallon), txtDieselPricePerGallon->value()},
                                            {captionOf(txtReeferPricePerGallon), txtReeferPricePerGallon->value()},
                                            {captionOf(txtDiscountPerGallon), txtDiscountPerGallon->value()},
                                            {captionOf(txtDEFPerGallon), txtDEFPerGallon->value()},
                                            {captionOf(txtWarnCustomer), txtWarnCustomer->value()},
                                            {captionOf(txtTax), txtTax->value()}}))
        return;

    // The rate is a fraction shown as a percentage: 8.25% is typed 0.0825. "8.25" would
    // tax every ticket at 825%, and no tax is 100% or more.
    if (txtTax->value() >= 1) {
        MessageBox::ok(this, QStringLiteral("Tax Percent must be less than 100%. Type the rate as a fraction: 0.0825 for 8.25%."),
                       QStringLiteral("Invalid Entry"));
        txtTax->setFocus(Qt::OtherFocusReason);
        return;
    }

    const QVariant location = cmbLocation->currentData();
    const QString locationText = cmbLocation->currentText();
    CompanyStore::savePrices(Db::current(), location,
                             {{QStringLiteral("DieselPricePerGallon"), txtDieselPricePerGallon->value()},
                              {QStringLiteral("ReeferPricePerGallon"), txtReeferPricePerGallon->value()},
                              {QStringLiteral("DiscountPricePerGallon"), txtDiscountPerGallon->value()},
                              {QStringLiteral("DefPricePerGallon"), txtDEFPerGallon->value()},
                              {QStringLiteral("WarnCustomer"), txtWarnCustomer->value()},
                              {QStringLiteral("Tax"), txtTax->value()},
                              {QStringLiteral("PaymentTerms"), *terms}});
    close();
    // This workstation's own prices take effect at once: the next ticket typed here is
    // priced and taxed with them. Other workstations read theirs when they start.
    const bool ownLocation = location.toInt() == appContext().config.locationNumber();
    if (ownLocation)
        LoadCompanySettings();
    MainWindow::showStatusLine(
        ownLocation
            ? QStringLiteral("Prices of location %1 saved: in use on this workstation now, on other workstations "
                             "at their next start")
                  .arg(locationText)
            : QStringLiteral("Prices of location %1 saved: its workstations take them at their next start").arg(locationText));
}
