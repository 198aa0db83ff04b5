#pragma once

#include <QWidget>

class AmountField;
class QComboBox;
class QLineEdit;
class QPushButton;

// frmCompanyInfo, "Company Settings": the name, address, telephone numbers, website and
// key-press delay of a location's Company row. Saving reloads the running program's
// company settings.
class CompanyInfoScreen : public QWidget
{
    Q_OBJECT
public:
    explicit CompanyInfoScreen(QWidget *parent = nullptr);

private:
    void loadLists();
    void locationChosen();
    void LoadLocationInfo();
    void keyPressDelayLeft();
    void save();
    void closeScreen();

    QComboBox *cmbLocation;
    QLineEdit *txtCompany;
    QLineEdit *txtAddress1;
    QLineEdit *txtAddress2;
    QLineEdit *txtCity;
    QComboBox *cmbState;
    QLineEdit *txtZip;
    AmountField *txtPhone;
    AmountField *txtFax;
    QLineEdit *txtWebsite;
    QLineEdit *txtKeyPressDelay;
    QPushButton *btnSave;
    QPushButton *btnExit;
};
