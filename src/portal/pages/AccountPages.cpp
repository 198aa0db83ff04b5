#include "pages/Pages.h"

#include "accounts/CustomerStore.h"
#include "accounts/PaymentStore.h"
#include "accounts/WebPassword.h"
#include "pages/PageText.h"
#include "web/Exchange.h"
#include "web/Html.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPortalAccount, "ams.portal.account")

namespace {

QString row(const QString &caption, const QString &value)
{
    return QStringLiteral("<dt>%1</dt><dd>%2</dd>").arg(caption, Html::text(value));
}

QString passwordForm(const Exchange &x, const QString &notice)
{
    return notice
           + QStringLiteral("<form class=\"box\" method=\"post\" action=\"/password\">%1"
                            "<label>Current password<input name=\"old\" type=\"password\" autocomplete=\"current-password\" "
                            "required></label>"
                            "<label>New password<input name=\"new\" type=\"password\" autocomplete=\"new-password\" required "
                            "minlength=\"%2\"></label>"
                            "<label>New password again<input name=\"again\" type=\"password\" autocomplete=\"new-password\" "
                            "required></label>"
                            "<button type=\"submit\">Change password</button></form>")
                 .arg(Html::csrfField(x.session->csrfToken))
                 .arg(WebPassword::MinimumLength);
}

} // namespace

namespace Pages {

void account(Exchange &x)
{
    const QString &id = x.session->customerId;
    // Everything the page shows is read in one turn; the page is written after it.
    std::optional<CustomerAccount> found;
    std::optional<PaymentStore::StoredPayment> last;
    QList<IssuedCard> cards;
    {
        DatabaseTurn turn(x.services);
        Db &db = turn.db();
        found = CustomerStore::account(db, id);
        if (found) {
            last = PaymentStore::lastPayment(db, id);
            cards = CustomerStore::cardsOf(db, id);
        }
    }
    if (!found) {
        x.notFound();
        return;
    }
    const CustomerRecord &c = found->customer;
    QString body = QStringLiteral("<dl>");
    body += row(QStringLiteral("Name"), c.name);
    body += row(QStringLiteral("Account"), c.id);
    body += row(QStringLiteral("Balance"), PageText::money(c.balance));
    body += row(QStringLiteral("Credit limit"), PageText::money(c.limit));
    body += row(QStringLiteral("Available credit"), PageText::money(c.availableCredit()));
    body += row(QStringLiteral("On hold"), c.onHold ? QStringLiteral("Yes") : QStringLiteral("No"));
    body += row(
        QStringLiteral("Last payment"),
        last ? QStringLiteral("%1 on %2").arg(PageText::money(last->payment.amount), PageText::date(last->payment.paymentDate))
             : QStringLiteral("None"));
    body += QStringLiteral("</dl><h2>Cards</h2><table><thead><tr><th>Card</th><th>Type</th><th>Active</th></tr></thead><tbody>");
    for (const IssuedCard &card : cards) {
        body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(Html::text(card.cardNo), Html::text(card.cardType),
                         card.inactive ? QStringLiteral("No") : QStringLiteral("Yes"));
    }
    if (cards.isEmpty())
        body += QStringLiteral("<tr><td colspan=\"3\">No cards are issued on this account.</td></tr>");
    body += QStringLiteral("</tbody></table>");
    x.page(200, QStringLiteral("Account"), body);
}

void payments(Exchange &x)
{
    const PageText::Range range = PageText::range(x);
    QString body = range.problem.isEmpty() ? QString() : Html::message(range.problem);
    body += QStringLiteral(
                "<form class=\"filter\" method=\"get\" action=\"/payments\">%1<button type=\"submit\">Show</button></form>")
                .arg(PageText::rangeFields(range));
    const auto list = PaymentStore::paymentsOf(DatabaseTurn(x.services).db(), x.session->customerId, range.from, range.to);
    body += QStringLiteral(
        "<table><thead><tr><th>Date</th><th>Number</th><th>Check or memo</th><th class=\"n\">Amount</th></tr></thead><tbody>");
    double sum = 0;
    for (const PaymentStore::StoredPayment &p : list) {
        body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td class=\"n\">%4</td></tr>")
                    .arg(PageText::date(p.payment.paymentDate))
                    .arg(p.id)
                    .arg(Html::text(p.payment.checkNum), PageText::money(p.payment.amount));
        sum += p.payment.amount;
    }
    if (list.isEmpty())
        body += QStringLiteral("<tr><td colspan=\"4\">No payments in this range.</td></tr>");
    else
        body += QStringLiteral("<tr><th colspan=\"3\">Total</th><th class=\"n\">%1</th></tr>").arg(PageText::money(sum));
    body += QStringLiteral("</tbody></table>");
    x.page(range.problem.isEmpty() ? 200 : 400, QStringLiteral("Payments"), body);
}

void passwordForm(Exchange &x) { x.page(200, QStringLiteral("Change password"), ::passwordForm(x, QString())); }

void changePassword(Exchange &x)
{
    PortalServices &s = x.services;
    const QString oldPassword = x.value("old");
    const QString newPassword = x.value("new");
    const auto found = CustomerStore::loginOf(DatabaseTurn(s).db(), x.session->customerId);
    auto refuse = [&](const QString &text) {
        x.page(400, QStringLiteral("Change password"), ::passwordForm(x, Html::message(text)));
    };
    if (!found) {
        x.notFound();
        return;
    }
    bool oldGood = false;
    {
        HashTurn turn(s);
        oldGood = WebPassword::verify(found->passwordHash, oldPassword);
    }
    if (!oldGood) {
        refuse(QStringLiteral("Current password: this is not the password of this account."));
        return;
    }
    const QString refusal = WebPassword::refusal(newPassword, found->userName);
    if (!refusal.isEmpty()) {
        refuse(refusal);
        return;
    }
    if (newPassword != x.value("again")) {
        refuse(QStringLiteral("New password again: the two new passwords differ."));
        return;
    }
    QString hashed;
    {
        HashTurn turn(s);
        hashed = WebPassword::hash(newPassword);
    }
    if (!CustomerStore::replacePassword(DatabaseTurn(s).db(), x.session->customerId, found->passwordHash, hashed)) {
        refuse(QStringLiteral("The password was changed meanwhile from elsewhere; nothing was changed now. Please try again."));
        return;
    }
    // Whoever else is signed in with the old password is signed out.
    s.sessions.endOthers(x.session->customerId, x.sessionId);
    qCInfo(lcPortalAccount) << "password changed: customer" << x.session->customerId;
    x.page(200, QStringLiteral("Change password"), Html::message(QStringLiteral("Your password was changed."), false));
}

} // namespace Pages
