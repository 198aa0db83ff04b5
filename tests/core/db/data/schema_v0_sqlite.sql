-- Schema of the shared database on SQLite.
-- Money is REAL; every sum the program writes is rounded to a millionth on the server,
-- so balances built from cents compare exactly with limits typed in cents.
-- Flags are INTEGER 1/0; date-times are ISO text (yyyy-MM-dd HH:mm:ss), which sorts in time order.

CREATE TABLE Company (
    ID INTEGER PRIMARY KEY,
    Name TEXT,
    Address1 TEXT,
    Address2 TEXT,
    City TEXT,
    State TEXT,
    Zip TEXT,
    Phone TEXT,
    Fax TEXT,
    Email TEXT,
    Website TEXT,
    KeyPressDelay REAL,
    DieselPricePerGallon REAL,
    ReeferPricePerGallon REAL,
    DiscountPricePerGallon REAL,
    DefPricePerGallon REAL,
    WarnCustomer REAL,
    Tax REAL
);

CREATE TABLE Customer (
    ID TEXT PRIMARY KEY,
    Name TEXT,
    Address1 TEXT,
    Address2 TEXT,
    City TEXT,
    State TEXT,
    Zip TEXT,
    Contact TEXT,
    Phone TEXT,
    Fax TEXT,
    Inactive INTEGER,
    CurrentBalance REAL DEFAULT 0,
    "Limit" REAL,
    WarnAt REAL,
    AcctOnHold INTEGER,
    DateEntered TEXT
);

CREATE TABLE Cards (
    CustomerID TEXT,
    CardNo TEXT,
    CardType TEXT,
    InActive INTEGER,
    CardNote TEXT
);

CREATE TABLE CardType (
    CardType TEXT
);

CREATE TABLE State (
    State TEXT
);

CREATE TABLE WebUser (
    CustomerID TEXT,
    UserName TEXT,
    Password TEXT
);

CREATE TABLE Tickets (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    CustomerID TEXT,
    CardNo TEXT,
    Clerk TEXT,
    TruckNumber TEXT,
    Mileage TEXT,
    License TEXT,
    DriverID TEXT,
    Trip TEXT,
    Trailer TEXT,
    GasGallons REAL,
    GasPriceEach REAL,
    GasPriceExt REAL,
    DieselGallons REAL,
    DieselPriceEach REAL,
    DieselPriceExt REAL,
    ReeferGallons REAL,
    ReeferPriceEach REAL,
    ReeferPriceExt REAL,
    DiscountGallons REAL,
    DiscountPriceEach REAL,
    DiscountPriceExt REAL,
    DEFGallons REAL,
    DEFPriceEach REAL,
    DEFPriceExt REAL,
    OilPriceExt REAL,
    AddativePriceExt REAL,
    AntifreezePriceExt REAL,
    WasherPriceExt REAL,
    GroceryPriceExt REAL,
    DeliPriceExt REAL,
    TobaccoPriceExt REAL,
    Subtotal REAL,
    Tax REAL,
    Total REAL,
    WorkStationID TEXT,
    Location INTEGER,
    DateEntered TEXT
);

CREATE TABLE CashTickets (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Customer TEXT,
    Address1 TEXT,
    Address2 TEXT,
    Clerk TEXT,
    TruckNumber TEXT,
    Mileage TEXT,
    License TEXT,
    DriverID TEXT,
    Trip TEXT,
    Trailer TEXT,
    GasGallons REAL,
    GasPriceEach REAL,
    GasPriceExt REAL,
    DieselGallons REAL,
    DieselPriceEach REAL,
    DieselPriceExt REAL,
    ReeferGallons REAL,
    ReeferPriceEach REAL,
    ReeferPriceExt REAL,
    DiscountGallons REAL,
    DiscountPriceEach REAL,
    DiscountPriceExt REAL,
    DEFGallons REAL,
    DEFPriceEach REAL,
    DEFPriceExt REAL,
    OilPriceExt REAL,
    AddativePriceExt REAL,
    AntifreezePriceExt REAL,
    WasherPriceExt REAL,
    GroceryPriceExt REAL,
    DeliPriceExt REAL,
    TobaccoPriceExt REAL,
    Subtotal REAL,
    Tax REAL,
    Total REAL,
    WorkStationID TEXT,
    Location INTEGER,
    DateEntered TEXT
);

CREATE TABLE Payments (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Customer TEXT,
    PaymentDate TEXT,
    Amount REAL,
    CheckNum TEXT,
    EntryDate TEXT
);

CREATE TABLE GiftCards (
    ID TEXT PRIMARY KEY,
    DateActivated TEXT,
    ActivatedBy TEXT,
    ActivationAmount REAL,
    CardBalance REAL,
    Active INTEGER,
    Notes TEXT,
    WorkStationID TEXT,
    Location INTEGER
);

CREATE TABLE GiftCardTransactions (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    CardID TEXT,
    TransactionDate TEXT,
    TransactionType TEXT,
    Amount REAL,
    Clerk TEXT,
    WorkStationID TEXT,
    Location INTEGER
);

CREATE INDEX Tickets_Location_ID ON Tickets (Location, ID);

CREATE INDEX Tickets_DateEntered ON Tickets (DateEntered);

CREATE INDEX Tickets_CustomerID ON Tickets (CustomerID);

CREATE INDEX Payments_Customer_Date ON Payments (Customer, PaymentDate);

CREATE INDEX GiftCardTransactions_Date ON GiftCardTransactions (TransactionDate);

CREATE INDEX Cards_Customer_CardNo ON Cards (CustomerID, CardNo);

CREATE INDEX CashTickets_Customer ON CashTickets (Customer);

CREATE INDEX WebUser_CustomerID ON WebUser (CustomerID);

-- The website signs fleets in by username alone, so one username is one customer's.
CREATE UNIQUE INDEX WebUser_UserName ON WebUser (UserName);
