#include "accounts/CustomerStore.h"

#include "accounts/WebPassword.h"
#include "db/Db.h"
#include "db/SaveRetry.h"
#include "db/DbError.h"

#include <QSqlRecord>

#include <exception>

namespace {

QString text(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toString(); }
bool flag(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toInt() != 0; }
double number(const QSqlRecord &row, const char *column) { return row.value(QLatin1String(column)).toDouble(); }

bool hasLogin(Db &db, const QString &customerId)
{
    return db.firstRow(QStringLiteral("SELECT CustomerID FROM WebUser WHERE CustomerID = ?"), {customerId}).has_value();
}

// `hashed` is the new password's hash, or empty to keep the stored one.
void writeLogin(Db &db, const QString &customerId, const QString &userName, const QString &hashed)
{
    if (hashed.isEmpty()) {
        db.exec(QStringLiteral("UPDATE WebUser SET UserName = ? WHERE CustomerID = ?"), {userName, customerId});
        return;
    }
    if (db.exec(QStringLiteral("UPDATE WebUser SET UserName = ?, Password = ? WHERE CustomerID = ?"),
                {userName, hashed, customerId})
        == 0)
        db.insert(QStringLiteral("WebUser"),
                  {{QStringLiteral("CustomerID"), customerId},
                   {QStringLiteral("UserName"), userName},
                   {QStringLiteral("Password"), hashed}},
                  QString());
}

// The login step of a customer save: checked and written inside the save's transaction,
// as a step of its own so that a lost username leaves the customer row to commit.
LoginSave saveLogin(Db &db, const QString &customerId, const CustomerEntry &entry, const QString &hashed)
{
    // Without a new password only a stored login changes (its username): a customer
    // without one gets no login and no word about the username.
    if (hashed.isEmpty() && !hasLogin(db, customerId))
        return LoginSave::NotGiven;
    std::exception_ptr failure;
    {
        Savepoint step(db);
        try {
            if (!CustomerStore::userNameFree(db, entry.userName, customerId))
                return LoginSave::UserNameTaken;
            writeLogin(db, customerId, entry.userName, hashed);
            step.commit();
            return LoginSave::Written;
        } catch (const DbError &) {
            failure = std::current_exception();
        }
    }
    // Another workstation can write the same username between our check and our write;
    // the unique username then refuses ours. With the step undone, the username is seen
    // as taken, exactly as if the other save had come first.
    if (!CustomerStore::userNameFree(db, entry.userName, customerId))
        return LoginSave::UserNameTaken;
    std::rethrow_exception(failure);
}

} // namespace

namespace CustomerStore {

std::optional<QString> cardType(Db &db, const QString &customerId, const QString &cardNo)
{
    const auto row =
        db.firstRow(QStringLiteral("SELECT CardType FROM Cards WHERE CustomerID = ? AND CardNo = ?"), {customerId, cardNo});
    if (!row)
        return std::nullopt;
    return row->value(0).toString();
}

std::optional<CustomerCard> card(Db &db, const QString &customerId, const QString &cardNo)
{
    const QString sql =
        QStringLiteral(
            "SELECT Customer.ID,Customer.Name,Customer.Inactive AS CustomerInActive,Customer.CurrentBalance,"
            "Customer.%1 AS CreditLimit,Customer.WarnAt,Customer.AcctOnHold,Cards.CardNo,Cards.CardType,"
            "Cards.InActive AS CardInActive,Cards.CardNote FROM Customer LEFT JOIN Cards ON Customer.ID = Cards.CustomerID "
            "WHERE Customer.ID = ? AND Cards.CardNo = ?")
            .arg(db.dialect().limitColumn());
    const auto row = db.firstRow(sql, {customerId, cardNo});
    if (!row)
        return std::nullopt;
    // A NULL flag reads as 0, which is "not set".
    CustomerCard result;
    result.customerId = text(*row, "ID");
    result.name = text(*row, "Name");
    result.customerInactive = row->value(QStringLiteral("CustomerInActive")).toInt() != 0;
    result.cardInactive = row->value(QStringLiteral("CardInActive")).toInt() != 0;
    result.onHold = row->value(QStringLiteral("AcctOnHold")).toInt() != 0;
    result.balance = row->value(QStringLiteral("CurrentBalance")).toDouble();
    result.limit = row->value(QStringLiteral("CreditLimit")).toDouble();
    result.warnAt = row->value(QStringLiteral("WarnAt")).toDouble();
    result.cardType = text(*row, "CardType");
    result.cardNote = text(*row, "CardNote");
    return result;
}

QList<NameEntry> cardsByName(Db &db)
{
    // The condition on CardNo also drops the customers the outer join gives without a
    // card. Inactive customers and cards are listed: the account check refuses them.
    QList<NameEntry> entries;
    db.forEachRow(QStringLiteral("SELECT Customer.ID,Customer.Name,Cards.CardNo FROM Customer LEFT JOIN Cards ON "
                                 "Customer.ID = Cards.CustomerID WHERE Cards.CardNo <> '' ORDER BY Customer.Name, Cards.CardNo"),
                  {}, [&entries](const QSqlRecord &row) {
                      const QString cardNo = text(row, "CardNo");
                      entries.append({text(row, "Name") + QStringLiteral(" - ") + cardNo, text(row, "ID") + cardNo});
                  });
    return entries;
}

QList<NameEntry> customersByName(Db &db)
{
    QList<NameEntry> entries;
    db.forEachRow(QStringLiteral("SELECT ID,Name FROM Customer ORDER BY Name"), {}, [&entries](const QSqlRecord &row) {
        entries.append({text(row, "Name"), text(row, "ID")});
    });
    return entries;
}

std::optional<QString> nameOf(Db &db, const QString &customerId)
{
    const auto row = db.firstRow(QStringLiteral("SELECT Name FROM Customer WHERE ID = ?"), {customerId});
    if (!row)
        return std::nullopt;
    return row->value(0).toString();
}

std::optional<CustomerAccount> account(Db &db, const QString &id)
{
    const SqlDialect &sql = db.dialect();
    const auto row = db.firstRow(
        sql.firstRowOnly(
            QStringLiteral("SELECT Customer.ID,Name,Address1,Address2,City,State,Zip,Contact,Phone,Fax,Inactive,"
                           "CurrentBalance,%1 AS CreditLimit,WarnAt,AcctOnHold,PaymentTerms,WebUser.CustomerID AS LoginOf,"
                           "UserName,CASE WHEN Password IS NULL OR Password = '' THEN 0 ELSE 1 END AS PasswordSet "
                           "FROM Customer LEFT JOIN WebUser ON WebUser.CustomerID = Customer.ID "
                           "WHERE Customer.ID = ?")
                .arg(sql.limitColumn())),
        {id});
    if (!row)
        return std::nullopt;
    CustomerAccount account;
    CustomerRecord &c = account.customer;
    c.id = text(*row, "ID");
    c.name = text(*row, "Name");
    c.address1 = text(*row, "Address1");
    c.address2 = text(*row, "Address2");
    c.city = text(*row, "City");
    c.state = text(*row, "State");
    c.zip = text(*row, "Zip");
    c.contact = text(*row, "Contact");
    c.phone = text(*row, "Phone");
    c.fax = text(*row, "Fax");
    c.inactive = flag(*row, "Inactive");
    c.balance = number(*row, "CurrentBalance");
    c.limit = number(*row, "CreditLimit");
    c.warnAt = number(*row, "WarnAt");
    c.onHold = flag(*row, "AcctOnHold");
    c.paymentTerms = row->value(QStringLiteral("PaymentTerms"));
    if (!row->value(QStringLiteral("LoginOf")).isNull())
        account.login = WebLogin{text(*row, "UserName"), flag(*row, "PasswordSet")};
    return account;
}

double balanceOf(Db &db, const QString &customerId)
{
    const auto row = db.firstRow(QStringLiteral("SELECT CurrentBalance FROM Customer WHERE ID = ?"), {customerId});
    return row ? row->value(0).toDouble() : 0;
}

LoginSave save(Db &db, const CustomerEntry &entry, const QDateTime &entered)
{
    const SqlDialect &sql = db.dialect();
    if (const QString refusal = entry.passwordRefusal(); !refusal.isEmpty())
        throw DbError(refusal + QStringLiteral(" Nothing was saved."));
    // Hashed before the transaction opens: a hash takes a tenth of a second by design,
    // and other workstations should not wait on it.
    const QString hashed = entry.givesLogin() ? WebPassword::hash(entry.password) : QString();
    const std::function<LoginSave()> attempt = [&] {
        Transaction transaction(db);
        ColumnValues columns = CustomerColumns::written(sql, entry);
        QString id = entry.accountNumber;
        if (db.update(QStringLiteral("Customer"), columns, entry.accountNumber) == 0) {
            id = entry.newCustomerId();
            columns.prepend({QStringLiteral("ID"), id});
            columns.append({QStringLiteral("DateEntered"), sql.dateTimeValue(entered)});
            db.insert(QStringLiteral("Customer"), columns, QString());
        }
        const LoginSave login =
            entry.givesLogin() || entry.keepsPassword() ? saveLogin(db, id, entry, hashed) : LoginSave::NotGiven;
        transaction.commit();
        return login;
    };
    // Saved again, a stored customer is written over with the same values. Only a new
    // customer typed with blanks around its number could not be: its row is stored
    // under the number without them, which the second save would try to insert again.
    const QString newId = entry.newCustomerId();
    return SaveRetry::run<LoginSave>(db, attempt, [&](LoginSave) {
        return newId != entry.accountNumber
               && db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ?"), {newId}).has_value();
    });
}

QString savedId(Db &db, const QString &accountNumber)
{
    const bool stored = db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ?"), {accountNumber}).has_value();
    return stored ? accountNumber : accountNumber.trimmed();
}

bool newIdTaken(Db &db, const QString &accountNumber)
{
    const QString id = savedId(db, accountNumber);
    return id != accountNumber && db.firstRow(QStringLiteral("SELECT ID FROM Customer WHERE ID = ?"), {id}).has_value();
}

bool userNameFree(Db &db, const QString &userName, const QString &customerId)
{
    return !db.firstRow(
                  QStringLiteral("SELECT UserName FROM WebUser WHERE UserName = ? AND (CustomerID <> ? OR CustomerID IS NULL)"),
                  {userName, customerId})
                .has_value();
}

QList<IssuedCard> cardsOf(Db &db, const QString &customerId)
{
    QList<IssuedCard> cards;
    db.forEachRow(QStringLiteral("SELECT CardNo,CardType,InActive,CardNote FROM Cards WHERE CustomerID = ? ORDER BY CardNo"),
                  {customerId}, [&cards](const QSqlRecord &row) {
                      cards.append({text(row, "CardNo"), text(row, "CardType"), flag(row, "InActive"), text(row, "CardNote")});
                  });
    return cards;
}

void saveCard(Db &db, const QString &customerId, const IssuedCard &card)
{
    // Saved again, the card replaces itself: nothing needs looking for first.
    SaveRetry::run<bool>(
        db,
        [&] {
            Transaction transaction(db);
            removeCard(db, customerId, card.cardNo);
            db.insert(QStringLiteral("Cards"),
                      {{QStringLiteral("CustomerID"), customerId},
                       {QStringLiteral("CardNo"), card.cardNo},
                       {QStringLiteral("CardType"), card.cardType},
                       {QStringLiteral("InActive"), db.dialect().flag(card.inactive)},
                       {QStringLiteral("CardNote"), card.note}},
                      QString());
            transaction.commit();
            return true;
        },
        [](bool) { return false; });
}

int removeCard(Db &db, const QString &customerId, const QString &cardNo)
{
    return db.exec(QStringLiteral("DELETE FROM Cards WHERE CustomerID = ? AND CardNo = ?"), {customerId, cardNo});
}

namespace {

std::optional<WebLoginOwner> oneLogin(Db &db, const QString &column, const QString &value)
{
    const auto row = db.firstRow(
        db.dialect().firstRowOnly(QStringLiteral("SELECT CustomerID,UserName,Password FROM WebUser WHERE %1 = ?").arg(column)),
        {value});
    if (!row)
        return std::nullopt;
    return WebLoginOwner{text(*row, "CustomerID"), text(*row, "UserName"), text(*row, "Password")};
}

} // namespace

std::optional<WebLoginOwner> loginByUserName(Db &db, const QString &userName)
{
    return oneLogin(db, QStringLiteral("UserName"), userName);
}

std::optional<WebLoginOwner> loginOf(Db &db, const QString &customerId)
{
    return oneLogin(db, QStringLiteral("CustomerID"), customerId);
}

bool replacePassword(Db &db, const QString &customerId, const QString &expected, const QString &stored)
{
    return db.exec(QStringLiteral("UPDATE WebUser SET Password = ? WHERE CustomerID = ? AND Password = ?"),
                   {stored, customerId, expected})
           > 0;
}

} // namespace CustomerStore
