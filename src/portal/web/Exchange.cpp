#include "web/Exchange.h"

#include "accounts/WebPassword.h"
#include "db/Db.h"
#include "web/Html.h"

#include <thread>

namespace {

thread_local std::unique_ptr<Db> t_db;

} // namespace

PortalServices::PortalServices(const PortalConfig &c)
    : config(c),
      sessions(std::chrono::milliseconds(qint64(c.sessionMinutes * 60000))),
      throttle(std::chrono::milliseconds(qint64(c.failureWindowMinutes * 60000)),
               std::chrono::milliseconds(qint64(c.lockoutMinutes * 60000)), c.failuresPerUser, c.failuresPerAddress),
      decoyHash(WebPassword::hash(QString::fromLatin1(Sessions::randomId()))),
      databaseTurns(c.databaseWorkers)
{}

Db &PortalServices::db()
{
    if (!t_db)
        t_db = Db::open(config.connection, config.baseDir);
    return *t_db;
}

void PortalServices::dropDb() { t_db.reset(); }

DatabaseTurn::DatabaseTurn(PortalServices &services) : m_services(services)
{
    const auto wait = std::chrono::milliseconds(qint64(services.config.databaseWaitSeconds * 1000));
    if (!m_services.databaseTurns.take(wait))
        throw PortalBusy("a request found no turn for the database");
}

QString Exchange::value(const char *name) const
{
    if (!request.has_param(name))
        return {};
    return QString::fromStdString(request.get_param_value(name));
}

QString Exchange::clientAddress() const
{
    if (services.config.behindProxy && request.has_header("X-Real-IP"))
        return QString::fromStdString(request.get_header_value("X-Real-IP")).left(64);
    return QString::fromStdString(request.remote_addr);
}

void Exchange::page(int status, const QString &title, const QString &body)
{
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(Html::page(title, body, session ? session->csrfToken : QByteArray()).toStdString(),
                         "text/html; charset=utf-8");
}

void Exchange::redirect(const QString &path)
{
    response.status = 303;
    response.set_header("Cache-Control", "no-store");
    response.set_header("Location", path.toStdString());
}

void Exchange::notFound()
{
    page(404, QStringLiteral("Not found"), Html::message(QStringLiteral("There is no such page on this account.")));
}

void Exchange::setSessionCookie(const QByteArray &id)
{
    std::string cookie = std::string(kSessionCookie) + "=" + id.toStdString() + "; Path=/; HttpOnly; SameSite=Strict";
    if (services.config.tls() || services.config.behindProxy)
        cookie += "; Secure";
    response.set_header("Set-Cookie", cookie);
}

void Exchange::clearSessionCookie()
{
    std::string cookie = std::string(kSessionCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0";
    if (services.config.tls() || services.config.behindProxy)
        cookie += "; Secure";
    response.set_header("Set-Cookie", cookie);
}
