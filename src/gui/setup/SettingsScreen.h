#pragma once

#include <QWidget>

class AmountField;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmSettings, "System Settings": a location's prices per gallon, customer-warning
// threshold, tax rate and the payment terms of its customers without terms of their own.
// Saving writes the Company row; when it is this workstation's location the running
// program takes the new prices at once.
class SettingsScreen : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsScreen(QWidget *parent = nullptr);

private:
    void loadLocations();
    void locationChosen();
    void LoadLocationSettings();
    QString captionOf(const AmountField *field) const;
    // False, with a message naming the field, when its text is not a number.
    bool fieldLeft(AmountField *field);
    void save();

    QComboBox *cmbLocation;
    AmountField *txtDieselPricePerGallon;
    AmountField *txtReeferPricePerGallon;
    AmountField *txtDiscountPerGallon;
    AmountField *txtDEFPerGallon;
    AmountField *txtWarnCustomer;
    AmountField *txtTax;
    QLineEdit *txtPaymentTerms;
    QLabel *lblPaymentTerms;
    QPushButton *btnSave;
    QPushButton *btnExit;
};
