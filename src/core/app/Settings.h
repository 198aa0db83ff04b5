#pragma once

#include <QString>
#include <QStringList>

// The four values read once from config.txt, kept exactly as read.
struct Configuration
{
    QString ConnectionInfo;
    QString WorkstationID;
    QString AdminWorkstation;
    QString LocationID;

    // Only the exact text "1" makes an administration workstation.
    bool isAdminWorkstation() const { return AdminWorkstation == QLatin1String("1"); }
    // LocationID as the whole number stored in the Location columns.
    int locationNumber() const { return LocationID.trimmed().toInt(); }
};

// The Company row of this workstation's location, as far as the program keeps it.
// Before the first successful load every text is "" and every number 0.
struct CompanySettings
{
    QString Name;
    QString Address1;
    QString City;
    QString State;
    QString Zip;
    double KeyPressDelay = 0;
    double DieselPricePerGallon = 0;
    double ReeferPricePerGallon = 0;
    double DiscountPricePerGallon = 0;
    double DefPricePerGallon = 0;
    double Tax = 0;
    // Days after a ticket that its money is due, for customers without terms of their own.
    int PaymentTerms = 30;

    // The three heading texts of every printed document and report: the name, the
    // street line, and "City, ST  Zip".
    QStringList headingTexts() const
    {
        return {Name, Address1, City + QStringLiteral(", ") + State + QStringLiteral("  ") + Zip};
    }
};
