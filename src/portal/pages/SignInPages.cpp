#include "pages/Pages.h"

#include "accounts/CustomerStore.h"
#include "accounts/WebPassword.h"
#include "web/Exchange.h"
#include "web/Html.h"

#include <QLoggingCategory>

#include <cmath>

Q_LOGGING_CATEGORY(lcPortalSignIn, "ams.portal.signin")

namespace {

// The same words for an unknown username and a wrong password: the page must not tell
// which usernames exist.
const QString kRefused = QStringLiteral("The username or password is not right.");

QString form(const QString &userName, const QString &notice)
{
    return notice
           + QStringLiteral(
                 "<form class=\"box\" method=\"post\" action=\"/signin\">"
                 "<label>Username<input name=\"username\" autocomplete=\"username\" required maxlength=\"50\" "
                 "value=\"%1\"></label>"
                 "<label>Password<input name=\"password\" type=\"password\" autocomplete=\"current-password\" required></label>"
                 "<button type=\"submit\">Sign in</button></form>")
                 .arg(Html::text(userName));
}

QString lockedText(std::chrono::milliseconds left)
{
    const int minutes = std::max(1, int(std::ceil(left.count() / 60000.0)));
    return QStringLiteral("Signing in is locked for a while after too many failed tries. Try again in %1 %2.")
        .arg(minutes)
        .arg(minutes == 1 ? QStringLiteral("minute") : QStringLiteral("minutes"));
}

} // namespace

namespace Pages {

void signInForm(Exchange &x)
{
    if (x.session) {
        x.redirect(QStringLiteral("/account"));
        return;
    }
    x.page(200, QStringLiteral("Sign in"), form(QString(), QString()));
}

void signIn(Exchange &x)
{
    const QString userName = x.value("username");
    const QString password = x.value("password");
    const QString address = x.clientAddress();
    PortalServices &s = x.services;

    const auto locked = s.throttle.lockedFor(userName, address);
    if (locked.count() > 0) {
        qCInfo(lcPortalSignIn) << "sign-in refused while locked from" << address;
        x.page(429, QStringLiteral("Sign in"), form(userName, Html::message(lockedText(locked))));
        return;
    }

    // A name no login can have (empty, control characters such as NUL, which PostgreSQL
    // refuses in a text, or longer than any username column) is not looked up at all.
    const bool possible =
        !userName.isEmpty() && userName.size() <= 200
        && std::none_of(userName.cbegin(), userName.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    const auto owner = possible ? CustomerStore::loginByUserName(DatabaseTurn(s).db(), userName) : std::nullopt;
    // An unknown name is checked against a decoy so that it costs the same time.
    bool good = false;
    {
        HashTurn turn(s);
        good = owner ? WebPassword::verify(owner->passwordHash, password) : (WebPassword::verify(s.decoyHash, password), false);
    }
    if (!good) {
        s.throttle.failed(userName, address);
        qCInfo(lcPortalSignIn) << "failed sign-in from" << address;
        x.page(200, QStringLiteral("Sign in"), form(userName, Html::message(kRefused)));
        return;
    }
    s.throttle.succeeded(userName);
    if (WebPassword::needsRehash(owner->passwordHash)) {
        // Stored under the old limits: store it again as new passwords are stored now.
        QString hashed;
        {
            HashTurn turn(s);
            hashed = WebPassword::hash(password);
        }
        CustomerStore::replacePassword(DatabaseTurn(s).db(), owner->customerId, owner->passwordHash, hashed);
    }
    // A fresh ID at every sign-in: an ID planted in the browser beforehand is worth nothing.
    if (!x.sessionId.isEmpty())
        s.sessions.end(x.sessionId);
    const QByteArray id = s.sessions.start(owner->customerId, owner->userName);
    qCInfo(lcPortalSignIn) << "signed in: customer" << owner->customerId << "from" << address;
    x.setSessionCookie(id);
    x.redirect(QStringLiteral("/account"));
}

void signOut(Exchange &x)
{
    x.services.sessions.end(x.sessionId);
    x.session.reset();
    x.clearSessionCookie();
    x.redirect(QStringLiteral("/signin"));
}

} // namespace Pages
