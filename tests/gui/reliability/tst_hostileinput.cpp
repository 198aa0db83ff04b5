// Hostile input on every screen. Each screen of the table below is opened from the menu
// as a clerk opens it and made ready to save with ordinary values; then every box a clerk
// can type into (found in the screen's widgets, so a box added later is walked too) is
// fed, one input at a time on a freshly opened screen, with the texts and amounts that
// break programs: quotes, SQL, wildcards, control characters typed and pasted, texts at
// and past the box's width, letters from every script, numbers no column can hold. After
// each save the stored rows are read back: what the box showed is stored byte for byte,
// or the clerk was told why nothing was stored, and nothing is ever half-written.

#include "ScreenTest.h"
#include "TestDb.h"

#include "accounts/WebPassword.h"

#include "app/AmountField.h"
#include "app/AppContext.h"
#include "app/FieldRules.h"
#include "app/MessageBox.h"
#include "app/NumberText.h"
#include "app/Numbers.h"
#include "app/PickList.h"
#include "db/Db.h"
#include "db/SchemaTables.h"
#include "giftcards/GiftCardStore.h"
#include "reports/Reports.h"
#include "reports/Viewer.h"
#include "tickets/TicketSaving.h"
#include "tickets/TicketStore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QSqlField>
#include <QSqlRecord>
#include <QTest>

#include <cmath>

using namespace ScreenTest;

namespace {

// ---------------------------------------------------------------------------------------
// The screens

// One step of making a screen ready to save, as the clerk takes it.
struct Step
{
    enum Kind { Type, TypeAndEnter, Choose };
    Kind kind = Type;
    QString field;
    // What is typed ("#" stands for the input's serial number, so that every save
    // stores something of its own) or the entry chosen (its ID in a pick list, else its
    // text).
    QString value;
};

Step typed(const char *field, const char *value) { return {Step::Type, QLatin1String(field), QString::fromUtf8(value)}; }
Step typedWithEnter(const char *field, const char *value)
{
    return {Step::TypeAndEnter, QLatin1String(field), QString::fromUtf8(value)};
}
Step chosen(const char *field, const char *value) { return {Step::Choose, QLatin1String(field), QString::fromUtf8(value)}; }

// Each screen's row names only what differs from the defaults below; gcc 12 warns about
// every member a designated initializer leaves to its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

struct ScreenRow
{
    const char *name;
    QString command;
    // Only the boxes inside the group with this title belong to this save ("" for all)...
    QString onlyGroup;
    // ... or all but those in this group, which another row saves.
    QString apartGroup;
    QList<Step> prepare;
    // The button that saves; empty when the last step of the preparation is the save.
    QString saveButton;
    // The tables the save may write, and the rows a whole save adds to each table whose
    // key the server assigns.
    QStringList writes;
    QHash<QString, int> adds;
    // Boxes fed as a card reader sends a swipe: "%", the input, "?".
    QStringList swipeBoxes;
    // Editable lists with the type-ahead that clerks know: what is typed may be completed
    // with an entry of the list that begins with it, and a paste is cancelled.
    QStringList typeAheadBoxes;
    // Amount boxes that put 0 in place of a text that is no number when the clerk leaves
    // them, without a word (as clerks know them); saving then asks for an amount.
    QStringList zeroedWhenLeft;
    // Boxes whose text is stored without the blanks around it.
    QStringList trimmedBoxes;
    // Boxes whose text is stored as its password hash: a row written holds a hash that
    // verifies the text exactly.
    QStringList hashedBoxes;
    // The save shows a report instead of storing anything.
    bool showsReport = false;
};

const QList<ScreenRow> &screens()
{
    static const QList<ScreenRow> table = {
        {.name = "Ticket Entry",
         .command = QStringLiteral("TicketEntry"),
         .prepare = {typedWithEnter("txtAcctNo", "1234AB"), typed("txtClerk", "JD"), typed("txtOil", "5")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"Tickets", "Customer"},
         .adds = {{"Tickets", 1}}},
        {.name = "Cash Ticket Entry",
         .command = QStringLiteral("CashTicketEntry"),
         .prepare = {typed("txtClerk", "JD"), typed("cmbCustomer", "WALK IN #"), typed("txtOil", "5")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"CashTickets"},
         .adds = {{"CashTickets", 1}},
         .typeAheadBoxes = {QStringLiteral("cmbCustomer")}},
        {.name = "Customer Entry/Edit, the customer and its login",
         .command = QStringLiteral("CustomerEntry"),
         .apartGroup = QStringLiteral("Issued Cards"),
         .prepare = {typed("txtAccountNumber", "1001"), typed("txtName", "ACME FREIGHT #"), chosen("cmbState", "MO"),
                     typed("txtLimit", "50000"), typed("txtWarn", "0.8"), typed("txtUserName", "acme#")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"Customer", "WebUser"},
         .trimmedBoxes = {QStringLiteral("txtAccountNumber"), QStringLiteral("txtName")},
         .hashedBoxes = {QStringLiteral("txtPassword")}},
        {.name = "Customer Entry/Edit, its issued cards",
         .command = QStringLiteral("CustomerEntry"),
         .onlyGroup = QStringLiteral("Issued Cards"),
         .prepare = {typed("txtAccountNumber", "1001"), typed("txtCardNo", "C#"), chosen("cmbCardType", "1"),
                     typed("txtCardNote", "spare #")},
         .saveButton = QStringLiteral("btnSaveCard"),
         .writes = {"Cards"}},
        {.name = "Receive Payment",
         .command = QStringLiteral("ReceivePayment"),
         .prepare = {chosen("cmbCustomer", "1001"), typed("txtCheckNumber", "CK#"), typed("txtPaymentAmount", "12.5")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"Payments", "Customer"},
         .adds = {{"Payments", 1}},
         .zeroedWhenLeft = {QStringLiteral("txtPaymentAmount")}},
        {.name = "Gift Card Purchase",
         .command = QStringLiteral("GiftCardPurchase"),
         .prepare = {typedWithEnter("txtAcctNo", "%600100001?"), typed("txtClerk", "JD"), typed("txtAmount", "20")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"GiftCards", "GiftCardTransactions"},
         .adds = {{"GiftCardTransactions", 1}},
         .swipeBoxes = {QStringLiteral("txtAcctNo")}},
        {.name = "Gift Card Redemption",
         .command = QStringLiteral("GiftCardRedemption"),
         .prepare = {typedWithEnter("txtAcctNo", "%600100001?"), typed("txtClerk", "JD"), typed("txtAmount", "1")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"GiftCards", "GiftCardTransactions"},
         .adds = {{"GiftCardTransactions", 1}},
         .swipeBoxes = {QStringLiteral("txtAcctNo")}},
        // The swipe itself is the inquiry, written down as one.
        {.name = "Balance Inquiry",
         .command = QStringLiteral("BalanceInquiry"),
         .prepare = {typedWithEnter("txtAcctNo", "%600100001?")},
         .writes = {"GiftCardTransactions"},
         .adds = {{"GiftCardTransactions", 1}},
         .swipeBoxes = {QStringLiteral("txtAcctNo")}},
        {.name = "Gift Card Edit",
         .command = QStringLiteral("GiftCardEdit"),
         .prepare = {typed("txtAcctNo", "600100001"), typed("txtBalance", "75"), typed("txtNotes", "mended #")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"GiftCards", "GiftCardTransactions"},
         .adds = {{"GiftCardTransactions", 1}}},
        {.name = "Company Settings",
         .command = QStringLiteral("CompanyInfo"),
         .prepare = {chosen("cmbLocation", "1"), typed("txtCompany", "FUEL STOP #"), chosen("cmbState", "MO"),
                     typed("txtKeyPressDelay", "1")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"Company"}},
        {.name = "Pricing",
         .command = QStringLiteral("Pricing"),
         .prepare = {chosen("cmbLocation", "1"), typed("txtDieselPricePerGallon", "3.#"), typed("txtReeferPricePerGallon", "3.5"),
                     typed("txtDiscountPerGallon", "-0.05"), typed("txtDEFPerGallon", "2.999"), typed("txtWarnCustomer", "0.8"),
                     typed("txtTax", "0.0#")},
         .saveButton = QStringLiteral("btnSave"),
         .writes = {"Company"}},
        // The report dialogs take dates and a pick list, no free text; their reports run
        // over the hostile texts the walk's database holds.
        {.name = "Detail Sales Report",
         .command = QStringLiteral("DetailSalesReport"),
         .saveButton = QStringLiteral("btnOK"),
         .showsReport = true},
        {.name = "Daily Sales Summary",
         .command = QStringLiteral("DailySalesSummary"),
         .saveButton = QStringLiteral("btnOK"),
         .showsReport = true},
        {.name = "Gift Card Transaction Report",
         .command = QStringLiteral("GiftCardTransactionReport"),
         .saveButton = QStringLiteral("btnOK"),
         .showsReport = true},
        {.name = "Customer History Report",
         .command = QStringLiteral("CustomerHistoryReport"),
         .prepare = {chosen("cmbCustomer", "H001")},
         .saveButton = QStringLiteral("btnOK"),
         .showsReport = true},
    };
    return table;
}

// ---------------------------------------------------------------------------------------
// The inputs

enum class Entry { Typed, Pasted };

struct Input
{
    QString name;
    QString text;
    Entry entry = Entry::Typed;
};

QString fromUtf16(const char16_t *text, qsizetype size) { return QString(reinterpret_cast<const QChar *>(text), size); }

// The text's characters, each whole: a pair of surrogates is one character (an emoji),
// a surrogate without its partner one of its own.
QStringList charactersOf(const QString &text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out << text.mid(i, 2);
            ++i;
        } else {
            out << QString(text[i]);
        }
    }
    return out;
}

QChar::Category categoryOf(const QString &character)
{
    return character.size() == 2 ? QChar::category(QChar::surrogateToUcs4(character[0], character[1])) : character[0].category();
}

// The hostile texts every text box gets, also stored in the rows the reports read.
const QStringList &hostileTexts()
{
    static const QStringList texts = {
        QStringLiteral("O'Brien's"),          QStringLiteral("6\" \"Big\" Rig"), QStringLiteral("; DROP TABLE Tickets;--"),
        QStringLiteral("C:\\Fleet\\new\\"),   QStringLiteral("100% _a_b%"),      QStringLiteral("Crème Brûlée Ñandú Øster"),
        QStringLiteral("東京都渋谷区の運送"), QStringLiteral("⛽🚚💨 Diesel"),      QStringLiteral("שלום عليكم \u202Bmixed\u202C"),
    };
    return texts;
}

// A text of exactly `size` characters that no other input holds or begins with.
QString filler(int serial, int size)
{
    QString text = QStringLiteral("W%1 ").arg(serial, 5, 10, QLatin1Char('0'));
    for (int i = 0; text.size() < size; ++i)
        text += QLatin1Char(char('a' + i % 26));
    return text.left(size);
}

QList<Input> textInputs(int width, int serial)
{
    const QString control = fromUtf16(u"N\u0000U\tL\nL\r\u001b\u007f\u0085E", 12);
    QList<Input> inputs;
    const QStringList &texts = hostileTexts();
    const QStringList names = {
        QStringLiteral("an apostrophe"), QStringLiteral("double quotes"),  QStringLiteral("an SQL statement"),
        QStringLiteral("backslashes"),   QStringLiteral("LIKE wildcards"), QStringLiteral("accented letters"),
        QStringLiteral("CJK"),           QStringLiteral("emoji"),          QStringLiteral("right-to-left text")};
    for (int i = 0; i < texts.size(); ++i)
        inputs.append({names[i] + QStringLiteral(", typed"), texts[i], Entry::Typed});
    inputs.append({QStringLiteral("blanks around, typed"), QStringLiteral("  O'Brien's  "), Entry::Typed});
    inputs.append({QStringLiteral("control characters, typed"), control, Entry::Typed});
    inputs.append({QStringLiteral("control characters, pasted"), control, Entry::Pasted});
    inputs.append({QStringLiteral("line separators, typed"), QStringLiteral("Line\u2028Two\u2029"), Entry::Typed});
    inputs.append({QStringLiteral("line separators, pasted"), QStringLiteral("Line\u2028Two\u2029"), Entry::Pasted});
    inputs.append({QStringLiteral("quotes and SQL, pasted"),
                   QStringLiteral("O'Brien's \"Rig\"; DROP TABLE Tickets;-- C:\\ 100%_"), Entry::Pasted});
    inputs.append({QStringLiteral("every script, pasted"), texts.mid(5).join(u' '), Entry::Pasted});
    inputs.append({QStringLiteral("half an emoji, pasted"), fromUtf16(u"Rig \xD83D", 5), Entry::Pasted});
    inputs.append({QStringLiteral("the width, typed"), filler(serial, width), Entry::Typed});
    inputs.append({QStringLiteral("one past the width, typed"), filler(serial + 1, width + 1), Entry::Typed});
    inputs.append({QStringLiteral("the width, pasted"), filler(serial + 2, width), Entry::Pasted});
    inputs.append({QStringLiteral("one past the width, pasted"), filler(serial + 3, width + 1), Entry::Pasted});
    return inputs;
}

QList<Input> amountInputs()
{
    return {{QStringLiteral("1e400"), QStringLiteral("1e400")},   {QStringLiteral("inf"), QStringLiteral("inf")},
            {QStringLiteral("NaN"), QStringLiteral("NaN")},       {QStringLiteral("a minus alone"), QStringLiteral("-")},
            {QStringLiteral("two points"), QStringLiteral("..")}, {QStringLiteral("forty nines"), QString(40, u'9')}};
}

// What a box shows after the input was typed into it, empty, as any text box takes keys:
// a key that types a control character or a line break types nothing, and typing stops
// at the width.
QString typedResult(const QString &text, int width)
{
    QString result;
    for (const QString &one : charactersOf(text)) {
        const QChar::Category category = categoryOf(one);
        if (category == QChar::Other_Control || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            continue;
        if (result.size() + one.size() <= width)
            result += one;
    }
    return result;
}

// Whether a box takes a paste whole: not when it holds a character no box may hold (half
// a character among them) or is longer than the width; then it takes none of it.
bool pasteFits(const QString &text, int width)
{
    if (text.size() > width)
        return false;
    for (const QString &one : charactersOf(text)) {
        const QChar::Category category = categoryOf(one);
        if (category == QChar::Other_Control || category == QChar::Separator_Line || category == QChar::Separator_Paragraph
            || (one.size() == 1 && one[0].isSurrogate()))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Reading the database

// A table as it stands: its rows (all of them, or for a table whose key the server
// assigns only the highest key) and the count of rows.
struct TableState
{
    int count = 0;
    int highestKey = 0;
    QList<QSqlRecord> rows;
};
using Snapshot = QHash<QString, TableState>;

QString rowKey(const QSqlRecord &row)
{
    QString key;
    for (int i = 0; i < row.count(); ++i)
        key += (row.isNull(i) ? QStringLiteral("\x01") : row.value(i).toString()) + QChar(0x1f);
    return key;
}

const SchemaTable *schemaTable(const QString &name)
{
    for (const SchemaTable &table : SchemaTables::all())
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

// One statement for every table's count (and the highest key of the tables the save
// writes), so that a walk of a thousand inputs does not wait on a thousand round trips.
Snapshot snapshot(Db &db, const QStringList &written)
{
    QStringList columns;
    for (const SchemaTable &table : SchemaTables::all()) {
        columns << QStringLiteral("(SELECT COUNT(*) FROM %1)").arg(table.name);
        if (table.serverAssignsKey && written.contains(table.name))
            columns << QStringLiteral("(SELECT MAX(%1) FROM %2)").arg(table.primaryKey, table.name);
    }
    const QSqlRecord counts = *db.firstRow(QStringLiteral("SELECT ") + columns.join(u','));
    Snapshot state;
    int at = 0;
    for (const SchemaTable &table : SchemaTables::all()) {
        TableState &s = state[table.name];
        s.count = counts.value(at++).toInt();
        if (!written.contains(table.name))
            continue;
        if (table.serverAssignsKey)
            s.highestKey = counts.value(at++).toInt();
        else
            s.rows = db.rows(QStringLiteral("SELECT * FROM ") + table.name);
    }
    return state;
}

// The rows the save wrote into each table it may write: new rows of a table whose key the
// server assigns, rows not there before in the others.
QHash<QString, QList<QSqlRecord>> writtenRows(Db &db, const Snapshot &before, const Snapshot &after, const QStringList &written)
{
    QHash<QString, QList<QSqlRecord>> out;
    for (const QString &name : written) {
        const SchemaTable *table = schemaTable(name);
        if (table->serverAssignsKey) {
            if (after.value(table->name).highestKey != before.value(table->name).highestKey)
                out[name] = db.rows(QStringLiteral("SELECT * FROM %1 WHERE %2 > ?").arg(table->name, table->primaryKey),
                                    {before.value(table->name).highestKey});
            continue;
        }
        QHash<QString, int> old;
        for (const QSqlRecord &row : before.value(table->name).rows)
            ++old[rowKey(row)];
        for (const QSqlRecord &row : after.value(table->name).rows) {
            int &left = old[rowKey(row)];
            if (left > 0)
                --left;
            else
                out[name].append(row);
        }
    }
    return out;
}

bool isNumberColumn(const QSqlField &field)
{
    switch (field.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Typing as a clerk types

// Where the keyboard's keys go: an open drop-down list while there is one, else the
// widget with the focus.
QWidget *keyTarget()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    // The offscreen platform leaves no window active once a drop-down list has closed,
    // where a desktop gives the activation back to the main window: it is given back
    // here, and the focus returns to the box that had it.
    if (!QApplication::focusWidget() && MainWindow::instance()) {
        QApplication::setActiveWindow(MainWindow::instance());
        QApplication::processEvents();
    }
    return QApplication::focusWidget();
}

// One key per character, with the character as the key's text; QTest cannot type control
// characters or characters beyond the first 65,536, so the events are made here.
void typeText(const QString &text)
{
    for (const QString &one : charactersOf(text)) {
        const char16_t c = one[0].unicode();
        const int key = one.size() == 1 && c >= 0x20 && c < 0x7f ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QWidget *target = keyTarget();
        if (!target)
            return;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
        QApplication::sendEvent(target, &release);
    }
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (QWidget *target = keyTarget())
        QTest::keyClick(target, key, modifiers);
    QApplication::processEvents();
}

QComboBox *comboOf(const QLineEdit *box)
{
    auto *combo = qobject_cast<QComboBox *>(box->parentWidget());
    return combo && combo->lineEdit() == box ? combo : nullptr;
}

QString fieldName(const QLineEdit *box)
{
    if (const QComboBox *combo = comboOf(box))
        return combo->objectName();
    return box->objectName();
}

// The box a clerk types a field into: a text box, or an editable list's own box.
QLineEdit *fieldBox(const QWidget *screen, const QString &name)
{
    if (!screen)
        return nullptr;
    for (QLineEdit *box : screen->findChildren<QLineEdit *>())
        if (fieldName(box) == name)
            return box;
    return nullptr;
}

QString shownText(const QLineEdit *box)
{
    if (auto *amount = qobject_cast<const AmountField *>(box))
        return amount->plainText();
    return box->text();
}

bool hasTextRule(const QLineEdit *box) { return box->property("amsTextWidth").isValid(); }
int textWidth(const QLineEdit *box) { return box->property("amsTextWidth").toInt(); }

bool inGroup(const QWidget *widget, const QString &title)
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (auto *group = qobject_cast<const QGroupBox *>(w); group && group->title() == title)
            return true;
    return false;
}

bool isErrorTitle(const QString &title)
{
    return title == QLatin1String("Database Error") || title == QLatin1String("Error") || title == QLatin1String("DB Error");
}

QString describe(const QString &text)
{
    QString out;
    for (QChar c : text.left(60)) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0) || c.isSurrogate())
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return text.size() > 60 ? out + QStringLiteral("... (%1 characters)").arg(text.size()) : out;
}

struct Figures
{
    QSet<QString> commands;
    int saves = 0;
    int fields = 0;
    int inputs = 0;
    int storedExact = 0;
    int amountsStored = 0;
    int refused = 0;

    void add(const Figures &f)
    {
        commands += f.commands;
        saves += f.saves;
        fields += f.fields;
        inputs += f.inputs;
        storedExact += f.storedExact;
        amountsStored += f.amountsStored;
        refused += f.refused;
    }
    QString line() const
    {
        return QStringLiteral("%1 screens (%2 saves), %3 fields, %4 inputs fed: %5 texts stored byte-exact, %6 amounts stored "
                              "as read, %7 refused with a message")
            .arg(commands.size())
            .arg(saves)
            .arg(fields)
            .arg(inputs)
            .arg(storedExact)
            .arg(amountsStored)
            .arg(refused);
    }
};

// ---------------------------------------------------------------------------------------
// One screen's walk

struct Walk : ScreenSession
{
    const ScreenRow &row;
    QString server;
    int serial = 0;
    QStringList faults;
    Figures figures;

    Walk(const ScreenRow &screenRow, const QString &serverName) : row(screenRow), server(serverName)
    {
        begin(server);
        administrationWorkstationAt(QStringLiteral("1"));
        AppContext &context = appContext();
        context.config.WorkstationID = QStringLiteral("7");
        context.company.Name = QStringLiteral("FUEL STOP");
        context.company.DieselPricePerGallon = 3.8995;
        context.company.ReeferPricePerGallon = 3.5;
        context.company.DiscountPricePerGallon = -0.05;
        context.company.DefPricePerGallon = 2.999;
        context.company.Tax = 0.0825;
        context.company.KeyPressDelay = 1;
        // Nothing reaches a printer: every print succeeds at once.
        Printers::chargeTicket() = [](int, bool, bool) { return true; };
        Printers::cashTicket() = [](int, bool, bool) { return true; };
        Printers::giftCardReceipt() = [](int) { return true; };
        seed();
    }
    ~Walk()
    {
        end();
        Printers::reset();
    }

    // What every screen needs to save, and rows holding every hostile text for the
    // lists and reports to show.
    void seed()
    {
        for (const char *state : {"MO", "KS", "AR"})
            db->insert(QStringLiteral("State"), {{"State", state}}, QString());
        for (const char *type : {"1", "2", "3"})
            db->insert(QStringLiteral("CardType"), {{"CardType", type}}, QString());
        db->insert(QStringLiteral("Company"),
                   {{"ID", 1},
                    {"Name", "FUEL STOP"},
                    {"State", "MO"},
                    {"KeyPressDelay", 1},
                    {"DieselPricePerGallon", 3.8995},
                    {"ReeferPricePerGallon", 3.5},
                    {"DiscountPricePerGallon", -0.05},
                    {"DefPricePerGallon", 2.999},
                    {"WarnCustomer", 0.8},
                    {"Tax", 0.0825}},
                   QString());
        auto customer = [this](const QString &id, const QString &name) {
            db->insert(QStringLiteral("Customer"),
                       {{"ID", id},
                        {"Name", name},
                        {"Inactive", 0},
                        {"CurrentBalance", 0},
                        {"Limit", 100000000},
                        {"WarnAt", 0.99},
                        {"AcctOnHold", 0}},
                       QString());
        };
        customer(QStringLiteral("1234"), QStringLiteral("SMITH TRUCKING"));
        db->insert(QStringLiteral("Cards"), {{"CustomerID", "1234"}, {"CardNo", "AB"}, {"CardType", "1"}, {"InActive", 0}},
                   QString());
        customer(QStringLiteral("1001"), QStringLiteral("ACME FREIGHT"));
        // With a login of its own, a save with the password box empty takes the username
        // and keeps the stored password: only the password box's own inputs are hashed
        // (a hash takes a tenth of a second by design).
        db->insert(
            QStringLiteral("WebUser"),
            {{"CustomerID", "1001"}, {"UserName", "acme"}, {"Password", WebPassword::hash(QStringLiteral("acme-secret-0"))}},
            QString());
        const GiftCardStore::Stamp stamp{QStringLiteral("7"), 1, QDateTime::currentDateTime()};
        GiftCardStore::sell(*db, QStringLiteral("600100001"), 100000, QStringLiteral("AL"), QString(), stamp);

        const QStringList &texts = hostileTexts();
        for (int i = 0; i < texts.size(); ++i) {
            const QString id = QStringLiteral("H%1").arg(i + 1, 3, 10, QLatin1Char('0'));
            customer(id, texts[i]);
            db->insert(QStringLiteral("Cards"),
                       {{"CustomerID", id}, {"CardNo", "01"}, {"CardType", "1"}, {"InActive", 0}, {"CardNote", texts[i]}},
                       QString());
            TicketRecord ticket;
            ticket.customerId = id;
            ticket.cardNo = QStringLiteral("01");
            ticket.details = {texts[i], texts[i], texts[i], texts[i], texts[i], texts[i], texts[i]};
            ticket.amounts.merchandise[TicketLines::Oil] = QStringLiteral("5");
            ticket.amounts.subtotal = QStringLiteral("5");
            ticket.amounts.tax = QStringLiteral("0.41");
            ticket.amounts.total = QStringLiteral("5.41");
            TicketSaving::save(*db, ticket, {QStringLiteral("7"), 1, QDateTime::currentDateTime()});
            CashTicketRecord cash;
            cash.customer = cash.address1 = cash.address2 = texts[i];
            cash.details = ticket.details;
            cash.amounts = ticket.amounts;
            CashTicketStore::insert(*db, cash, {QStringLiteral("7"), 1, QDateTime::currentDateTime()});
            GiftCardStore::sell(*db, QStringLiteral("60020000%1").arg(i + 1), 50, texts[i], texts[i], stamp);
        }
    }

    QString ordinary(const QString &value) const
    {
        QString v = value;
        return v.replace(u'#', QString::number(serial));
    }

    // The screen opened afresh through its menu command: any earlier one is closed first.
    bool reopen()
    {
        if (!window)
            return open(row.command);
        if (screen)
            screen->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        window->action(row.command)->trigger();
        screen = window->openedScreen(row.command);
        return screen != nullptr;
    }

    void focusOn(QLineEdit *box)
    {
        if (QApplication::activeWindow() != window.get()) {
            QApplication::setActiveWindow(window.get());
            QApplication::processEvents();
        }
        QWidget *target = comboOf(box) ? static_cast<QWidget *>(comboOf(box)) : box;
        target->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        // A box that selects its text on gaining the focus is typed over; any other is
        // emptied first, as the clerk selects what it holds and deletes it.
        if (!box->text().isEmpty() && box->selectedText() != box->text()) {
            box->selectAll();
            pressKey(Qt::Key_Backspace);
        }
    }

    // Types or pastes the text into the box and leaves it as the clerk does, with Tab (or
    // with Enter where the step says so). False when the box cannot be typed into now.
    // `before` gets what the box held once it had the focus, just before the input.
    bool enter(QLineEdit *box, const QString &text, Entry how, bool withEnter, QString *before = nullptr)
    {
        if (!box || !box->isEnabled() || box->isReadOnly())
            return false;
        focusOn(box);
        if (before)
            *before = shownText(box);
        if (how == Entry::Typed) {
            typeText(text);
        } else {
            QGuiApplication::clipboard()->setText(text);
            pressKey(Qt::Key_V, Qt::ControlModifier);
        }
        QApplication::processEvents();
        pressKey(withEnter ? Qt::Key_Return : Qt::Key_Tab);
        return true;
    }

    void choose(const Step &step)
    {
        if (auto *list = screen->findChild<PickList *>(step.field)) {
            list->selectId(step.value);
        } else if (auto *combo = screen->findChild<QComboBox *>(step.field)) {
            combo->setCurrentIndex(combo->findText(step.value));
        } else {
            faults
                << QStringLiteral("%1: the preparation chooses in %2, which the screen does not have").arg(row.name, step.field);
        }
        QApplication::processEvents();
    }

    struct Fed
    {
        QString field;
        Input input;
        bool isAmount = false;
        int width = 0;
    };
    struct Entered
    {
        QString before;
        QString boxText;
        bool marked = false;
        // Shown while the fed box was typed into and left.
        QList<MessageBox::Shown> messages;
        // Shown by the rest of the preparation.
        QList<MessageBox::Shown> otherMessages;
        bool reached = false;
    };

    // Runs the preparation; the fed field's input takes the place of its ordinary value,
    // or follows the preparation when the preparation has none for it.
    Entered prepare(const Fed *fed)
    {
        Entered entered;
        auto feed = [&](bool withEnter) {
            QLineEdit *box = fieldBox(screen, fed->field);
            entered.otherMessages += MessageBox::takeShown();
            QString text = fed->input.text;
            if (row.swipeBoxes.contains(fed->field))
                text = QLatin1Char('%') + text + QLatin1Char('?');
            entered.reached = enter(box, text, fed->input.entry, withEnter, &entered.before);
            if (box && screen) {
                entered.boxText = shownText(box);
                if (auto *amount = qobject_cast<AmountField *>(box))
                    entered.marked = amount->isMarked();
            }
            entered.messages = MessageBox::takeShown();
        };
        bool fedInPlace = false;
        for (const Step &step : row.prepare) {
            if (step.kind == Step::Choose) {
                choose(step);
                continue;
            }
            if (fed && step.field == fed->field) {
                feed(step.kind == Step::TypeAndEnter);
                fedInPlace = true;
                continue;
            }
            enter(fieldBox(screen, step.field), ordinary(step.value), Entry::Typed, step.kind == Step::TypeAndEnter);
        }
        if (fed && !fedInPlace)
            feed(false);
        entered.otherMessages += MessageBox::takeShown();
        return entered;
    }

    void save()
    {
        if (row.saveButton.isEmpty() || !screen)
            return;
        auto *button = screen->findChild<QAbstractButton *>(row.saveButton);
        if (!button) {
            faults << QStringLiteral("%1 has no button %2").arg(row.name, row.saveButton);
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }

    // The boxes a clerk can type into once the screen is ready to save, by name.
    QList<Fed> discover()
    {
        QList<Fed> found;
        QStringList names;
        for (QLineEdit *box : screen->findChildren<QLineEdit *>()) {
            if (!box->isVisibleTo(screen) || !box->isEnabled() || box->isReadOnly() || box->focusPolicy() == Qt::NoFocus)
                continue;
            // A date picker's own box takes only dates, digit by digit.
            if (qobject_cast<QAbstractSpinBox *>(box->parentWidget()))
                continue;
            if (!row.onlyGroup.isEmpty() && !inGroup(box, row.onlyGroup))
                continue;
            if (!row.apartGroup.isEmpty() && inGroup(box, row.apartGroup))
                continue;
            const QString name = fieldName(box);
            if (name.isEmpty() || names.contains(name)) {
                faults << QStringLiteral("%1: a box that cannot be found by its name (\"%2\")").arg(row.name, name);
                continue;
            }
            names << name;
            const bool amount = qobject_cast<AmountField *>(box) && !hasTextRule(box);
            if (!amount && !hasTextRule(box)) {
                faults << QStringLiteral("%1: %2 is a free-text box without the text rule").arg(row.name, name);
                continue;
            }
            int width = textWidth(box);
            if (row.swipeBoxes.contains(name))
                width -= 2;
            found.append({name, {}, amount, width});
        }
        return found;
    }

    // Every fault one fed input shows, judged from what the box showed, the messages and
    // the rows written.
    void judge(const Fed &fed, const Entered &entered, const Snapshot &before, const QList<MessageBox::Shown> &saveMessages)
    {
        const QString what = QStringLiteral("%1 / %2 / %3 / %4").arg(server, row.name, fed.field, fed.input.name);
        QList<MessageBox::Shown> messages = entered.messages + entered.otherMessages + saveMessages;
        for (const MessageBox::Shown &m : messages)
            if (isErrorTitle(m.title))
                faults << QStringLiteral("%1: \"%2\" says %3").arg(what, m.title, describe(m.text));

        // What the box took of the input, unless the screen said something about it: a
        // box is typed into empty or over its whole text, selected; a paste it refuses
        // leaves it as it was.
        const QString input =
            row.swipeBoxes.contains(fed.field) ? QLatin1Char('%') + fed.input.text + QLatin1Char('?') : fed.input.text;
        const int width = fed.isAmount ? 32767 : fed.width + (row.swipeBoxes.contains(fed.field) ? 2 : 0);
        if (entered.reached && entered.messages.isEmpty()) {
            QString expected = input;
            if (!fed.isAmount && fed.input.entry == Entry::Typed)
                expected = typedResult(input, width);
            else if (!fed.isAmount && !pasteFits(input, width))
                expected = entered.before;
            const bool typeAhead = row.typeAheadBoxes.contains(fed.field);
            if (typeAhead && fed.input.entry == Entry::Pasted)
                expected = entered.before;
            bool completed = false;
            if (QLineEdit *box = fieldBox(screen, fed.field); typeAhead && box && comboOf(box) && !expected.isEmpty())
                completed = comboOf(box)->findText(entered.boxText, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0
                            && entered.boxText.startsWith(expected, Qt::CaseInsensitive);
            // A paste the box cannot take is refused with a message.
            if (!fed.isAmount && !typeAhead && fed.input.entry == Entry::Pasted && !pasteFits(input, width))
                faults << QStringLiteral("%1: a paste the box could not take was refused without a word").arg(what);
            const bool zeroed =
                row.zeroedWhenLeft.contains(fed.field) && entered.boxText == QLatin1String("0")
                && !(readsAsNumber(expected) && FieldRules::isStorableAmount(Numbers::parseLeadingNumber(expected)));
            if (entered.boxText != expected && !completed && !zeroed)
                faults << QStringLiteral("%1: the box shows \"%2\" instead of \"%3\", without a word")
                              .arg(what, describe(entered.boxText), describe(expected));
        }

        const Snapshot after = snapshot(*db, row.writes);
        const QHash<QString, QList<QSqlRecord>> written = writtenRows(*db, before, after, row.writes);
        bool anything = false;
        for (const SchemaTable &table : SchemaTables::all()) {
            const bool counted = after.value(table.name).count != before.value(table.name).count;
            if (counted && !row.writes.contains(table.name))
                faults << QStringLiteral("%1: the save changed %2, which it never writes").arg(what, table.name);
            anything = anything || counted || !written.value(table.name).isEmpty();
        }
        if (!anything) {
            if (messages.isEmpty())
                faults << QStringLiteral("%1: nothing was stored and nothing was said").arg(what);
            else
                ++figures.refused;
            return;
        }
        // Stored: all of it.
        for (auto it = row.adds.begin(); it != row.adds.end(); ++it) {
            const qsizetype added = written.value(it.key()).size();
            if (added != it.value())
                faults << QStringLiteral("%1: half-written: %2 rows added to %3 instead of %4")
                              .arg(what)
                              .arg(added)
                              .arg(it.key())
                              .arg(it.value());
        }
        for (auto it = written.begin(); it != written.end(); ++it)
            for (const QSqlRecord &r : it.value())
                for (int i = 0; i < r.count(); ++i) {
                    if (r.isNull(i) || !isNumberColumn(r.field(i)))
                        continue;
                    const double v = r.value(i).toDouble();
                    if (!std::isfinite(v) || std::fabs(v) > FieldRules::kLargestAmount)
                        faults << QStringLiteral("%1: %2.%3 was stored as %4")
                                      .arg(what, it.key(), r.fieldName(i), r.value(i).toString());
                }
        if (fed.isAmount) {
            const double read = Numbers::parseLeadingNumber(entered.boxText);
            if (!FieldRules::isStorableAmount(read))
                faults << QStringLiteral("%1: \"%2\", which no column holds, was saved").arg(what, describe(entered.boxText));
            else if (!Numbers::readsWhole(entered.boxText) && !entered.marked && messages.isEmpty())
                faults << QStringLiteral("%1: \"%2\" was stored as %3 without a word")
                              .arg(what, describe(entered.boxText))
                              .arg(read);
            ++figures.amountsStored;
            return;
        }
        // A swipe stores the card number it carries between "%" and "?".
        QString stored = entered.boxText;
        if (row.swipeBoxes.contains(fed.field))
            stored = entered.boxText.mid(1, entered.boxText.size() - 2);
        else if (row.trimmedBoxes.contains(fed.field))
            stored = entered.boxText.trimmed();
        // The box was left as it was by a refusal with a message: the input was refused,
        // and the save stored the rest of the ordinary entry (checked above to be whole).
        if (entered.boxText == entered.before && !entered.messages.isEmpty()) {
            ++figures.refused;
            return;
        }
        const bool hashed = row.hashedBoxes.contains(fed.field);
        bool found = false;
        for (const QList<QSqlRecord> &rows : written)
            for (const QSqlRecord &r : rows)
                for (int i = 0; i < r.count() && !found; ++i)
                    found = !r.isNull(i) && r.value(i).metaType().id() == QMetaType::QString
                            && (hashed ? r.value(i).toString().startsWith(QLatin1String("$argon2id$"))
                                             && WebPassword::verify(r.value(i).toString(), stored)
                                       : r.value(i).toString() == stored);
        if (found)
            ++figures.storedExact;
        else
            faults << QStringLiteral("%1: saved, but \"%2\" as the box showed it is not among the rows written")
                          .arg(what, describe(entered.boxText));
    }

    void checkInvariants(const QString &what)
    {
        for (const QString &wrong : TestDb::wrongBalances(*db))
            faults << QStringLiteral("%1: customer balance %2").arg(what, wrong);
        for (const QString &wrong : TestDb::wrongGiftCardBalances(*db))
            faults << QStringLiteral("%1: gift card balance %2").arg(what, wrong);
    }

    // The ordinary save the walk starts from must store (or show its report), or every
    // refusal after it would prove nothing: false when it does not. `fields` gets the
    // boxes to walk.
    bool readyToSave(QList<Fed> &fields)
    {
        ++serial;
        if (!reopen()) {
            faults << QStringLiteral("%1: %2 opened no screen").arg(row.name, row.command);
            return false;
        }
        const Snapshot before = snapshot(*db, row.writes);
        const Entered prepared = prepare(nullptr);
        fields = discover();
        save();
        bool ready = true;
        for (const MessageBox::Shown &m : prepared.otherMessages + MessageBox::takeShown()) {
            faults
                << QStringLiteral("%1 / %2: the ordinary save says \"%3\": %4").arg(server, row.name, m.title, describe(m.text));
            ready = false;
        }
        if (row.showsReport) {
            if (!Viewer::instance()) {
                faults << QStringLiteral("%1 / %2: the report was not shown").arg(server, row.name);
                ready = false;
            }
        } else {
            const QHash<QString, QList<QSqlRecord>> written = writtenRows(*db, before, snapshot(*db, row.writes), row.writes);
            bool any = false;
            for (const auto &rows : written)
                any = any || !rows.isEmpty();
            if (!any) {
                faults << QStringLiteral("%1 / %2: the ordinary save stored nothing").arg(server, row.name);
                ready = false;
            }
        }
        checkInvariants(QStringLiteral("%1 / %2 / ordinary save").arg(server, row.name));
        return ready;
    }

    void run()
    {
        QList<Fed> fields;
        if (!readyToSave(fields))
            return;
        figures.commands.insert(row.command);
        figures.saves = 1;
        figures.fields = int(fields.size());
        for (const Fed &field : fields) {
            const QList<Input> inputs = field.isAmount ? amountInputs() : textInputs(field.width, serial * 10);
            for (const Input &input : inputs) {
                ++serial;
                Fed fed = field;
                fed.input = input;
                if (!reopen()) {
                    faults << QStringLiteral("%1: %2 opened no screen").arg(row.name, row.command);
                    return;
                }
                // Opening the screen says nothing.
                for (const MessageBox::Shown &m : MessageBox::takeShown())
                    faults
                        << QStringLiteral("%1 / %2: opening it says \"%3\": %4").arg(server, row.name, m.title, describe(m.text));
                const Snapshot before = snapshot(*db, row.writes);
                const Entered entered = prepare(&fed);
                save();
                const QList<MessageBox::Shown> saveMessages = MessageBox::takeShown();
                ++figures.inputs;
                judge(fed, entered, before, saveMessages);
                checkInvariants(QStringLiteral("%1 / %2 / %3 / %4").arg(server, row.name, fed.field, input.name));
            }
        }
    }
};

} // namespace

class tst_HostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { TestDb::addServerRows(); }
    void initTestCase() { m_clock.start(); }
    void cleanupTestCase();

    void everyBox_data();
    void everyBox();

private:
    QHash<QString, Figures> m_figures;
    QElapsedTimer m_clock;
};

void tst_HostileInput::everyBox_data()
{
    QTest::addColumn<int>("screen");
    for (int i = 0; i < screens().size(); ++i)
        QTest::newRow(screens()[i].name) << i;
}

void tst_HostileInput::everyBox()
{
    QFETCH_GLOBAL(QString, server);
    QFETCH(int, screen);
    Walk walk(screens()[screen], server);
    walk.run();
    qInfo().noquote()
        << QStringLiteral("hostile input, %1, %2: %3").arg(server, QLatin1String(screens()[screen].name), walk.figures.line());
    m_figures[server].add(walk.figures);
    for (const QString &fault : walk.faults)
        qWarning().noquote() << fault;
    QVERIFY2(walk.faults.isEmpty(), qPrintable(QStringLiteral("%1 faults, each above").arg(walk.faults.size())));
}

void tst_HostileInput::cleanupTestCase()
{
    for (auto it = m_figures.begin(); it != m_figures.end(); ++it)
        qInfo().noquote() << QStringLiteral("hostile input, %1 in all: %2").arg(it.key(), it.value().line());
    qInfo().noquote() << QStringLiteral("hostile input took %1 s").arg(m_clock.elapsed() / 1000.0, 0, 'f', 1);
}

QTEST_MAIN(tst_HostileInput)
#include "tst_hostileinput.moc"
