#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

#include <optional>

// What may be stored: the rules every screen applies before it writes a row, so that
// nothing is stored silently wrong.
namespace FieldRules {

// The largest amount, in either direction, that is stored. Every money column holds it
// exactly to the cent on both servers: PostgreSQL keeps NUMERIC, and on SQLite a double
// holds every amount below a billion to the millionth (15 significant digits), which is
// the precision its balance arithmetic keeps, so sums of such amounts stay exact too.
constexpr double kLargestAmount = 999999999.99;

// A finite number within the largest amount either way.
bool isStorableAmount(double value);

// "<caption> holds an amount that cannot be stored. ..." for an amount that is not.
QString amountRefusal(const QString &caption);

// The first of the named amounts that cannot be stored: its caption; nothing when all can.
std::optional<QString> firstUnstorableAmount(const QList<QPair<QString, double>> &amounts);

// The widths the printed layouts give each kind of text, in characters.
namespace Width {
constexpr int CustomerName = 75;
constexpr int CashCustomer = 250; // cash customers' names and address lines
constexpr int TicketDetail = 53;  // truck number, mileage, driver ID, license, trip, trailer
constexpr int Clerk = 50;
constexpr int CardNumber = 50;
constexpr int CardType = 50;
constexpr int Workstation = 50;
constexpr int GiftCardNote = 255;
// Texts for which no layout sets a width: addresses, contacts, telephone numbers.
constexpr int Other = 50;
} // namespace Width

enum class TextProblem { None, ControlCharacter, BrokenCharacter, TooLong };

// Whether a one-line text can be stored in a field of this width: no NUL or other
// control character of either range and no line or paragraph separator (the servers
// cannot all hold them, and a printed ticket would break its line at them), no half of
// a character (a surrogate without its partner, which no server stores as it was), and
// no more characters than the width.
TextProblem textProblem(QStringView text, int width);

// The message for a text that is refused, naming the field.
QString textRefusal(TextProblem problem, const QString &caption, int width);

} // namespace FieldRules
