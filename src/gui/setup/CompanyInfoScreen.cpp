#include "setup/CompanyInfoScreen.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/BusyCursor.h"
#include "app/DefaultButton.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FocusEvents.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/Numbers.h"
#include "app/ScreenGuard.h"
#include "app/Startup.h"
#include "db/Db.h"
#include "setup/CompanyStore.h"
#include "setup/LocationList.h"
#include "app/NumberText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>

namespace {

const QString kPhoneFormat = QStringLiteral("(###) ###-####");

QLineEdit *textBox(QWidget *parent, const char *name, const QString &caption, bool selectOnFocus = true)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    TextRule::apply(box, FieldRules::Width::Other, caption);
    if (selectOnFocus)
        ScreenGuard::selectAllOnFocus(box);
    return box;
}

// A stored text that is NULL or "" leaves its field empty.
QString storedText(const QSqlRecord &row, const char *column)
{
    const QVariant value = row.value(QLatin1String(column));
    return value.isNull() ? QString() : value.toString();
}

} // namespace

CompanyInfoScreen::CompanyInfoScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCompanyInfo"));
    setWindowTitle(QStringLiteral("Company Settings"));

    cmbLocation = new QComboBox(this);
    cmbLocation->setObjectName(QStringLiteral("cmbLocation"));
    txtCompany = textBox(this, "txtCompany", QStringLiteral("Company"));
    txtAddress1 = textBox(this, "txtAddress1", QStringLiteral("Address1"));
    txtAddress2 = textBox(this, "txtAddress2", QStringLiteral("Address2"));
    txtCity = textBox(this, "txtCity", QStringLiteral("City"));
    cmbState = new QComboBox(this);
    cmbState->setObjectName(QStringLiteral("cmbState"));
    txtZip = textBox(this, "txtZip", QStringLiteral("Zip"));
    // The telephone numbers keep what was typed; ten digits show as (555) 123-4567.
    txtPhone = new AmountField(kPhoneFormat, this);
    txtPhone->setObjectName(QStringLiteral("txtPhone"));
    txtPhone->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtPhone->setSelectOnFocus(true);
    txtPhone->setMarksPartialNumbers(false);
    txtFax = new AmountField(kPhoneFormat, this);
    txtFax->setObjectName(QStringLiteral("txtFax"));
    txtFax->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    txtFax->setSelectOnFocus(true);
    txtFax->setMarksPartialNumbers(false);
    TextRule::apply(txtPhone, FieldRules::Width::Other, QStringLiteral("Phone"));
    TextRule::apply(txtFax, FieldRules::Width::Other, QStringLiteral("Fax"));
    txtWebsite = textBox(this, "txtWebsite", QStringLiteral("Website"));
    txtKeyPressDelay = textBox(this, "txtKeyPressDelay", QStringLiteral("Keypress Delay"), false);
    btnSave = new QPushButton(QStringLiteral("Save And Close"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnExit = new QPushButton(QStringLiteral("Exit"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));

    for (QWidget *wide : {static_cast<QWidget *>(txtCompany), static_cast<QWidget *>(txtAddress1),
                          static_cast<QWidget *>(txtAddress2), static_cast<QWidget *>(txtWebsite)})
        wide->setMinimumWidth(240);
    cmbLocation->setMinimumWidth(90);
    cmbState->setMinimumWidth(70);
    txtKeyPressDelay->setMaximumWidth(70);

    auto *fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setColumnMinimumWidth(2, 24);
    auto addRow = [&](int row, int column, const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(field);
        fields->addWidget(label, row, column);
        fields->addWidget(field, row, column + 1);
    };
    auto leftAligned = [this](QWidget *field) {
        auto *holder = new QWidget(this);
        auto *row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(field);
        row->addStretch();
        return holder;
    };
    addRow(0, 0, QStringLiteral("Location"), leftAligned(cmbLocation));
    addRow(1, 0, QStringLiteral("Company"), txtCompany);
    addRow(2, 0, QStringLiteral("Address1"), txtAddress1);
    addRow(3, 0, QStringLiteral("Address2"), txtAddress2);
    addRow(4, 0, QStringLiteral("City"), txtCity);
    addRow(5, 0, QStringLiteral("State"), leftAligned(cmbState));
    addRow(6, 0, QStringLiteral("Zip"), txtZip);
    addRow(0, 3, QStringLiteral("Phone"), txtPhone);
    addRow(1, 3, QStringLiteral("Fax"), txtFax);
    addRow(2, 3, QStringLiteral("Website"), txtWebsite);
    auto *delay = new QWidget(this);
    auto *delayRow = new QHBoxLayout(delay);
    delayRow->setContentsMargins(0, 0, 0, 0);
    delayRow->addWidget(txtKeyPressDelay);
    delayRow->addWidget(new QLabel(QStringLiteral("(Seconds)"), this));
    delayRow->addStretch();
    addRow(3, 3, QStringLiteral("Keypress Delay"), delay);
    fields->setRowStretch(7, 1);

    layOutFormAndButtons(this, fields, {btnSave, btnExit});

    setTabOrder(cmbLocation, txtCompany);
    setTabOrder(txtCompany, txtAddress1);
    setTabOrder(txtAddress1, txtAddress2);
    setTabOrder(txtAddress2, txtCity);
    setTabOrder(txtCity, cmbState);
    setTabOrder(cmbState, txtZip);
    setTabOrder(txtZip, txtPhone);
    setTabOrder(txtPhone, txtFax);
    setTabOrder(txtFax, txtWebsite);
    setTabOrder(txtWebsite, txtKeyPressDelay);
    setTabOrder(txtKeyPressDelay, btnSave);
    setTabOrder(btnSave, btnExit);

    DefaultButton::install(this, btnSave);
    connect(cmbLocation, &QComboBox::currentIndexChanged, this, [this] { ScreenGuard::run(this, [this] { locationChosen(); }); });
    FocusEvents::onLeave(txtKeyPressDelay, [this] { keyPressDelayLeft(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { save(); }); });
    connect(btnExit, &QPushButton::clicked, this, [this] { closeScreen(); });

    ScreenGuard::run(this, [this] { loadLists(); });
}

void CompanyInfoScreen::loadLists()
{
    BusyCursor busy;
    Db &db = Db::current();
    const QSignalBlocker stateBlocker(cmbState);
    const QSignalBlocker locationBlocker(cmbLocation);
    cmbState->addItems(ChoiceLists::states(db));
    LocationList::fill(cmbLocation);
    // Start-up opens this screen when this workstation's location has no row yet; the
    // location must then be on offer, or its settings could never be entered.
    bool isNumber = false;
    const int own = appContext().config.LocationID.trimmed().toInt(&isNumber);
    if (isNumber && cmbLocation->findText(QString::number(own)) < 0) {
        int at = 0;
        while (at < cmbLocation->count() && cmbLocation->itemData(at).toInt() < own)
            ++at;
        cmbLocation->insertItem(at, QString::number(own), own);
    }
    cmbState->setCurrentIndex(-1);
    cmbLocation->setCurrentIndex(-1);
}

void CompanyInfoScreen::locationChosen()
{
    if (!cmbLocation->currentText().isEmpty())
        LoadLocationInfo();
}

void CompanyInfoScreen::LoadLocationInfo()
{
    const auto row = LocationList::chosenRow(cmbLocation);
    if (!row) {
        // The delay stays as it is: it is the one field worth keeping for a new row.
        txtCompany->clear();
        txtAddress1->clear();
        txtAddress2->clear();
        txtCity->clear();
        cmbState->setCurrentIndex(-1);
        txtZip->clear();
        txtPhone->setPlainText(QString());
        txtFax->setPlainText(QString());
        txtWebsite->clear();
        return;
    }
    txtCompany->setText(row->value("Name").toString());
    txtWebsite->setText(storedText(*row, "Website"));
    txtAddress1->setText(storedText(*row, "Address1"));
    txtAddress2->setText(storedText(*row, "Address2"));
    txtCity->setText(storedText(*row, "City"));
    // A stored state that is not in the list leaves no state chosen.
    cmbState->setCurrentIndex(cmbState->findText(storedText(*row, "State"), Qt::MatchFixedString | Qt::MatchCaseSensitive));
    txtZip->setText(storedText(*row, "Zip"));
    txtPhone->setPlainText(storedText(*row, "Phone"));
    txtFax->setPlainText(storedText(*row, "Fax"));
    const QVariant delay = row->value("KeyPressDelay");
    txtKeyPressDelay->setText(delay.isNull() ? QString() : Numbers::plainText(delay.toDouble()));
}

void CompanyInfoScreen::keyPressDelayLeft()
{
    if (Numbers::parseLeadingNumber(txtKeyPressDelay->text()) >= 1)
        return;
    MessageBox::ok(this, QStringLiteral("Quantity must be greater than 0."), QStringLiteral("Invalid Entry"));
    txtKeyPressDelay->setFocus(Qt::OtherFocusReason);
}

void CompanyInfoScreen::save()
{
    if (cmbState->currentIndex() < 0 || txtCompany->text().isEmpty() || cmbLocation->currentIndex() < 0) {
        MessageBox::ok(this, QStringLiteral("Name and State Required."), QStringLiteral("Required Fields"));
        return;
    }
    // The delay column is a number: a text that is not one (or one below a second,
    // reached by pressing Enter in the field) would be stored as nothing useful.
    const QString delay = txtKeyPressDelay->text();
    if (!Numbers::isNumber(delay) || Numbers::parseLeadingNumber(delay) < 1) {
        MessageBox::ok(this, QStringLiteral("Quantity must be greater than 0."), QStringLiteral("Invalid Entry"));
        txtKeyPressDelay->setFocus(Qt::OtherFocusReason);
        return;
    }

    if (!TextRule::checkBeforeSave(this, findChildren<QLineEdit *>()))
        return;

    const QVariant location = cmbLocation->currentData();
    const ColumnValues columns = {
        {QStringLiteral("Name"), txtCompany->text()},       {QStringLiteral("Address1"), txtAddress1->text()},
        {QStringLiteral("Address2"), txtAddress2->text()},  {QStringLiteral("City"), txtCity->text()},
        {QStringLiteral("State"), cmbState->currentText()}, {QStringLiteral("Zip"), txtZip->text()},
        {QStringLiteral("Phone"), txtPhone->plainText()},   {QStringLiteral("Fax"), txtFax->plainText()},
        {QStringLiteral("Website"), txtWebsite->text()},    {QStringLiteral("KeyPressDelay"), Numbers::parseLeadingNumber(delay)},
    };
    {
        BusyCursor busy;
        CompanyStore::saveInformation(Db::current(), location, columns);
    }
    closeScreen();
    const bool own = location.toInt() == appContext().config.locationNumber();
    LoadCompanySettings();
    MainWindow::showStatusLine(own ? QStringLiteral("Company settings of location %1 saved").arg(location.toString())
                                   : QStringLiteral("Company settings of location %1 saved: its workstations take them at "
                                                    "their next start")
                                         .arg(location.toString()));
}

void CompanyInfoScreen::closeScreen() { close(); }
