#pragma once

// A small station of its own for the management report tests: customers on and off hold
// (one with no hold flag at all), cards out of order, tickets at the edges of the days
// 2024-03-07 and 2024-03-08, payments with and without a memo, gift cards and their
// transactions. Every test reads the same rows; what each report must show follows
// from them.

#include "db/Db.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace ReportFixture {

// The range most tests ask for.
inline const QDate firstDay(2024, 3, 7);
inline const QDate lastDay(2024, 3, 8);

inline const QStringList headings = {QStringLiteral("Prairie Fuel & Go"), QStringLiteral("12 Route 66"),
                                     QStringLiteral("Amarillo, TX  79101")};

inline QVariant at(Db &db, int day, const QTime &time)
{
    return db.dialect().dateTimeValue(QDateTime(QDate(2024, 3, day), time));
}

inline void addCustomer(Db &db, const QString &id, const QString &name, const QVariant &hold, const QVariant &balance,
                        double limit, bool inactive, const QString &city)
{
    db.insert(QStringLiteral("Customer"),
              {{QStringLiteral("ID"), id},
               {QStringLiteral("Name"), name},
               {QStringLiteral("Address1"), QStringLiteral("1 Main St")},
               {QStringLiteral("City"), city},
               {QStringLiteral("State"), QStringLiteral("TX")},
               {QStringLiteral("Zip"), QStringLiteral("79101")},
               {QStringLiteral("Phone"), QStringLiteral("8065550100")},
               {QStringLiteral("Contact"), QStringLiteral("Pat")},
               {QStringLiteral("Inactive"), db.dialect().flag(inactive)},
               {QStringLiteral("CurrentBalance"), balance},
               {QStringLiteral("Limit"), limit},
               {QStringLiteral("WarnAt"), 0.8},
               {QStringLiteral("AcctOnHold"), hold},
               {QStringLiteral("DateEntered"), at(db, 1, QTime(9, 30))}},
              QString());
}

inline void addCard(Db &db, const QString &customer, const QString &cardNo, const QString &type, bool inactive)
{
    db.insert(QStringLiteral("Cards"),
              {{QStringLiteral("CustomerID"), customer},
               {QStringLiteral("CardNo"), cardNo},
               {QStringLiteral("CardType"), type},
               {QStringLiteral("InActive"), db.dialect().flag(inactive)},
               {QStringLiteral("CardNote"), QString()}},
              QString());
}

// A diesel ticket: gallons at 4.00, `merchandise` of oil taxed at 10%; DEF left NULL
// unless defGallons is given. Returns its ID.
inline int addTicket(Db &db, const QString &customer, const QVariant &when, double diesel, double merchandise, int location,
                     const QVariant &defGallons = QVariant())
{
    const double ext = diesel * 4.0;
    const double tax = merchandise * 0.1;
    ColumnValues row = {{QStringLiteral("CustomerID"), customer},
                        {QStringLiteral("CardNo"), QStringLiteral("01")},
                        {QStringLiteral("Clerk"), QStringLiteral("ANN")},
                        {QStringLiteral("TruckNumber"), QStringLiteral("T-1")},
                        {QStringLiteral("GasGallons"), 0.0},
                        {QStringLiteral("DieselGallons"), diesel},
                        {QStringLiteral("DieselPriceEach"), 4.0},
                        {QStringLiteral("DieselPriceExt"), ext},
                        {QStringLiteral("ReeferGallons"), 0.0},
                        {QStringLiteral("DiscountGallons"), diesel},
                        {QStringLiteral("OilPriceExt"), merchandise},
                        {QStringLiteral("Subtotal"), ext + merchandise},
                        {QStringLiteral("Tax"), tax},
                        {QStringLiteral("Total"), ext + merchandise + tax},
                        {QStringLiteral("WorkStationID"), QStringLiteral("WS1")},
                        {QStringLiteral("Location"), location},
                        {QStringLiteral("DateEntered"), when}};
    if (defGallons.isValid())
        row << qMakePair(QStringLiteral("DEFGallons"), defGallons) << qMakePair(QStringLiteral("DEFPriceEach"), QVariant(3.0))
            << qMakePair(QStringLiteral("DEFPriceExt"), QVariant(defGallons.toDouble() * 3.0));
    return db.insert(QStringLiteral("Tickets"), row).toInt();
}

inline int addPayment(Db &db, const QString &customer, const QVariant &day, double amount, const QVariant &memo)
{
    return db
        .insert(QStringLiteral("Payments"), {{QStringLiteral("Customer"), customer},
                                             {QStringLiteral("PaymentDate"), day},
                                             {QStringLiteral("Amount"), amount},
                                             {QStringLiteral("CheckNum"), memo},
                                             {QStringLiteral("EntryDate"), at(db, 9, QTime(8, 0))}})
        .toInt();
}

inline void addGiftCard(Db &db, const QString &id, double first, double balance, bool active, const QString &notes)
{
    db.insert(QStringLiteral("GiftCards"),
              {{QStringLiteral("ID"), id},
               {QStringLiteral("DateActivated"), at(db, 1, QTime(10, 0))},
               {QStringLiteral("ActivatedBy"), QStringLiteral("ANN")},
               {QStringLiteral("ActivationAmount"), first},
               {QStringLiteral("CardBalance"), balance},
               {QStringLiteral("Active"), db.dialect().flag(active)},
               {QStringLiteral("Notes"), notes},
               {QStringLiteral("WorkStationID"), QStringLiteral("WS1")},
               {QStringLiteral("Location"), 1}},
              QString());
}

inline void addGiftCardTransaction(Db &db, const QString &card, const QVariant &when, const QString &type, double amount)
{
    db.insert(QStringLiteral("GiftCardTransactions"), {{QStringLiteral("CardID"), card},
                                                       {QStringLiteral("TransactionDate"), when},
                                                       {QStringLiteral("TransactionType"), type},
                                                       {QStringLiteral("Amount"), amount},
                                                       {QStringLiteral("Clerk"), QStringLiteral("ANN")},
                                                       {QStringLiteral("WorkStationID"), QStringLiteral("WS1")},
                                                       {QStringLiteral("Location"), 2}});
}

// The station: see each report's test for what it must show of it.
inline void fill(Db &db)
{
    Transaction transaction(db);
    const QVariant held = db.dialect().flag(true), clear = db.dialect().flag(false);
    addCustomer(db, QStringLiteral("0001"), QStringLiteral("Alder Freight"), clear, 150.25, 1000, false,
                QStringLiteral("Amarillo"));
    addCustomer(db, QStringLiteral("0002"), QStringLiteral("Birch Hauling"), held, 2000, 2000, false, QStringLiteral("Dumas"));
    // No hold flag at all: not on hold, and listed with those that are not.
    addCustomer(db, QStringLiteral("0003"), QStringLiteral("Cedar Transport"), QVariant(), QVariant(), 500, true,
                QStringLiteral("Pampa"));
    addCustomer(db, QStringLiteral("0004"), QStringLiteral("Dogwood Lines"), held, 750.5, 700, false, QStringLiteral("Borger"));
    addCustomer(db, QStringLiteral("0005"), QStringLiteral("O'Brien & Sons, Inc."), clear, -20, 300, false,
                QStringLiteral("Canyon"));

    addCard(db, QStringLiteral("0001"), QStringLiteral("02"), QStringLiteral("1"), false);
    addCard(db, QStringLiteral("0001"), QStringLiteral("01"), QStringLiteral("2"), false);
    addCard(db, QStringLiteral("0002"), QStringLiteral("01"), QStringLiteral("1"), true);
    addCard(db, QStringLiteral("0003"), QStringLiteral("01"), QStringLiteral("3"), false);
    addCard(db, QStringLiteral("0004"), QStringLiteral("01"), QStringLiteral("1"), false);
    // A card of the customer whose row is gone.
    addCard(db, QStringLiteral("0999"), QStringLiteral("01"), QStringLiteral("1"), false);

    // Around the range 3/7 - 3/8.
    addTicket(db, QStringLiteral("0001"), at(db, 6, QTime(23, 59, 59)), 10, 0, 1);       // the second before: out
    addTicket(db, QStringLiteral("0001"), at(db, 7, QTime(0, 0, 0)), 25, 0, 1);          // 100.00, the first second: in
    addTicket(db, QStringLiteral("0002"), at(db, 7, QTime(12, 30)), 12.5, 3, 2);         // 53.30, DEF NULL
    addTicket(db, QStringLiteral("0999"), at(db, 7, QTime(15, 0)), 5, 0, 1);             // 20.00, its customer is gone
    addTicket(db, QStringLiteral("0001"), at(db, 8, QTime(10, 0)), 0, 0, 2);             // a ticket of 0.00
    addTicket(db, QStringLiteral("0001"), at(db, 8, QTime(23, 59, 59)), 50, 10, 1, 2.5); // 211.00, the last second: in
    addTicket(db, QStringLiteral("0004"), at(db, 9, QTime(0, 0, 0)), 15, 0, 1);          // a second later: out

    addPayment(db, QStringLiteral("0001"), db.dialect().dateValue(QDate(2024, 3, 6)), 10, QStringLiteral("0999"));
    addPayment(db, QStringLiteral("0001"), db.dialect().dateValue(QDate(2024, 3, 7)), 100, QStringLiteral("1001"));
    addPayment(db, QStringLiteral("0001"), db.dialect().dateValue(QDate(2024, 3, 8)), 50,
               QVariant(QMetaType(QMetaType::QString)));
    addPayment(db, QStringLiteral("0001"), db.dialect().dateValue(QDate(2024, 3, 8)), 0, QStringLiteral("VOID"));
    addPayment(db, QStringLiteral("0001"), db.dialect().dateValue(QDate(2024, 3, 9)), 25, QStringLiteral("1002"));
    // Stored with a time of day on the last day of the range.
    addPayment(db, QStringLiteral("0004"), at(db, 8, QTime(14, 0)), 70, QStringLiteral("2001"));

    addGiftCard(db, QStringLiteral("600003"), 100, 100, true, QString());
    addGiftCard(db, QStringLiteral("600001"), 50, 20.5, true, QStringLiteral("Birthday, \"gold\" card"));
    addGiftCard(db, QStringLiteral("600002"), 25, 0, false, QString());
    addGiftCardTransaction(db, QStringLiteral("600001"), at(db, 6, QTime(23, 59, 59)), QStringLiteral("Gift Card Purchase"), 5);
    addGiftCardTransaction(db, QStringLiteral("600001"), at(db, 8, QTime(23, 59, 59)), QStringLiteral("Gift Card Purchase"), 100);
    addGiftCardTransaction(db, QStringLiteral("600003"), at(db, 7, QTime(9, 0)), QStringLiteral("Gift Card Purchase"), 50);
    addGiftCardTransaction(db, QStringLiteral("600001"), at(db, 7, QTime(0, 0, 0)), QStringLiteral("Gift Card Redemption"), 29.5);
    addGiftCardTransaction(db, QStringLiteral("600002"), at(db, 9, QTime(0, 0, 0)), QStringLiteral("Gift Card Inquiry"), 0);
    transaction.commit();
}

} // namespace ReportFixture
