#include "web/Portal.h"

#include "db/DbError.h"
#include "http/ConnectionDeadline.h"
#include "http/ListenQueue.h"
#include "pages/Pages.h"
#include "web/Exchange.h"
#include "web/Html.h"

#include <QLoggingCategory>

#include <openssl/crypto.h>

Q_LOGGING_CATEGORY(lcPortal, "ams.portal")

namespace {

// The session ID the request's cookie carries; empty when none.
QByteArray sessionCookie(const httplib::Request &request)
{
    const std::string prefix = std::string(kSessionCookie) + "=";
    for (size_t i = 0, n = request.get_header_value_count("Cookie"); i < n; ++i) {
        const QByteArray header = QByteArray::fromStdString(request.get_header_value("Cookie", i));
        for (const QByteArray &part : header.split(';')) {
            const QByteArray item = part.trimmed();
            if (item.startsWith(prefix.c_str()))
                return item.mid(int(prefix.size()));
        }
    }
    return {};
}

// A text for the log: control characters of hostile paths shown as escapes.
QString loggable(const std::string &text)
{
    QString out;
    for (unsigned char c : text.substr(0, 200))
        out += (c < 0x20 || c >= 0x7F) ? QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0')) : QString(QChar(c));
    return out;
}

QString statusText(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("The request could not be read.");
    case 403:
        return QStringLiteral("This form has expired. Open the page again and send it from there.");
    case 404:
        return QStringLiteral("There is no such page on this account.");
    case 413:
        return QStringLiteral("The request is too large.");
    case 414:
        return QStringLiteral("The address is too long.");
    case 431:
        return QStringLiteral("The request has too many headers.");
    case 503:
        return QStringLiteral("The website is busy. Please try again in a minute.");
    default:
        return QStringLiteral("The page could not be shown. Please try again later.");
    }
}

} // namespace

Portal::Portal(const PortalConfig &config) : m_config(config), m_services(std::make_unique<PortalServices>(config)) {}

Portal::~Portal() = default;

bool Portal::bind(QString *error)
{
    const auto deadline = std::chrono::seconds(kDeadlineSeconds);
    if (m_config.tls()) {
        auto server = std::make_unique<BoundedServer<httplib::SSLServer>>(
            deadline, m_config.tlsCertificate.toLocal8Bit().constData(), m_config.tlsKey.toLocal8Bit().constData());
        if (!server->canWatch()) {
            *error = QStringLiteral("The HTTP library's connection routine was not found.");
            return false;
        }
        if (!server->is_valid()) {
            *error =
                QStringLiteral("The TLS certificate %1 or key %2 cannot be used.").arg(m_config.tlsCertificate, m_config.tlsKey);
            return false;
        }
        m_server = std::move(server);
    } else {
        auto server = std::make_unique<BoundedServer<httplib::Server>>(deadline);
        if (!server->canWatch()) {
            *error = QStringLiteral("The HTTP library's connection routine was not found.");
            return false;
        }
        m_server = std::move(server);
    }
    route();
    const std::string host = m_config.listenAddress.toStdString();
    if (m_config.port == 0) {
        m_port = m_server->bind_to_any_port(host);
    } else {
        m_port = m_server->bind_to_port(host, m_config.port) ? m_config.port : -1;
    }
    if (m_port <= 0) {
        *error = QStringLiteral("Cannot listen on %1 port %2.").arg(m_config.listenAddress).arg(m_config.port);
        return false;
    }
    if (!ListenQueue::lengthen(m_port))
        qCWarning(lcPortal) << "the queue of waiting connections could not be lengthened; a burst of requests may wait";
    return true;
}

bool Portal::run() { return m_server->listen_after_bind(); }

void Portal::stop()
{
    if (m_server)
        m_server->stop();
}

void Portal::route()
{
    httplib::Server &server = *m_server;
    PortalServices &services = *m_services;

    // One request per connection, read within the deadline; bodies are small forms.
    server.set_keep_alive_max_count(1);
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.set_payload_max_length(kMaxBody);
    server.new_task_queue = [] { return new httplib::ThreadPool(PortalConfig::kRequestWorkers); };
    server.set_default_headers({
        {"Content-Security-Policy",
         "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'"},
        {"X-Frame-Options", "DENY"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "same-origin"},
    });

    server.set_pre_routing_handler([](const httplib::Request &request, httplib::Response &response) {
        if (request.headers.size() > kMaxHeaders) {
            response.status = 431;
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    // The library's own refusals (no such path, too large, unreadable) get a page of
    // their own; a page that says why it refused keeps its words.
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request &, httplib::Response &response) {
        if (!response.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        response.set_header("Cache-Control", "no-store");
        response.set_content(Html::page(QStringLiteral("Sorry"), Html::message(statusText(response.status))).toStdString(),
                             "text/html; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
    }));

    server.set_exception_handler(
        [&services](const httplib::Request &, httplib::Response &response, const std::exception_ptr &error) {
            try {
                std::rethrow_exception(error);
            } catch (const PortalBusy &e) {
                qCInfo(lcPortal) << "busy:" << e.what();
                response.status = 503;
                response.set_header("Cache-Control", "no-store");
                response.set_header("Retry-After", "60");
                response.set_content(Html::page(QStringLiteral("Sorry"), Html::message(statusText(503))).toStdString(),
                                     "text/html; charset=utf-8");
                return;
            } catch (const DbError &e) {
                qCWarning(lcPortal) << "database error:" << e.what();
            } catch (const std::exception &e) {
                qCWarning(lcPortal) << "error:" << e.what();
            } catch (...) {
                qCWarning(lcPortal) << "unknown error";
            }
            // The connection may be broken; the next request of this worker opens a new one.
            services.dropDb();
            response.status = 500;
            response.set_header("Cache-Control", "no-store");
            response.set_content(Html::page(QStringLiteral("Sorry"), Html::message(statusText(500))).toStdString(),
                                 "text/html; charset=utf-8");
        });

    // Paths only, never the query, a header or a body: no password, hash or session ID.
    server.set_logger([](const httplib::Request &request, const httplib::Response &response) {
        qCInfo(lcPortal).noquote() << QString::fromStdString(request.remote_addr) << QString::fromStdString(request.method)
                                   << loggable(request.path) << response.status;
    });

    using Handler = std::function<void(Exchange &)>;
    // A page anyone may open.
    auto open = [&services](Handler handler) {
        return [&services, handler = std::move(handler)](const httplib::Request &request, httplib::Response &response) {
            Exchange x{request, response, services, sessionCookie(request), std::nullopt};
            x.session = services.sessions.find(x.sessionId);
            handler(x);
        };
    };
    // A page for a signed-in fleet; a POST must also carry the session's form token.
    auto signedIn = [&services](Handler handler, bool post) {
        return [&services, handler = std::move(handler), post](const httplib::Request &request, httplib::Response &response) {
            Exchange x{request, response, services, sessionCookie(request), std::nullopt};
            x.session = services.sessions.find(x.sessionId);
            if (!x.session) {
                if (post) {
                    // A form sent after the session ended: nothing is done, and sign-in follows.
                    x.clearSessionCookie();
                }
                x.redirect(QStringLiteral("/signin"));
                return;
            }
            if (post) {
                const std::string token = request.has_param("csrf") ? request.get_param_value("csrf") : std::string();
                const QByteArray &expected = x.session->csrfToken;
                if (token.size() != size_t(expected.size())
                    || CRYPTO_memcmp(token.data(), expected.constData(), token.size()) != 0) {
                    x.page(403, QStringLiteral("Form expired"), Html::message(statusText(403)));
                    return;
                }
            }
            handler(x);
        };
    };

    server.Get("/style.css", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Cache-Control", "public, max-age=3600");
        response.set_content(Html::styleSheet().toStdString(), "text/css; charset=utf-8");
    });
    server.Get("/", open([](Exchange &x) { x.redirect(x.session ? QStringLiteral("/account") : QStringLiteral("/signin")); }));
    server.Get("/signin", open(Pages::signInForm));
    server.Post("/signin", open(Pages::signIn));
    server.Post("/signout", signedIn(Pages::signOut, true));
    server.Get("/account", signedIn(Pages::account, false));
    server.Get("/payments", signedIn(Pages::payments, false));
    server.Get("/password", signedIn(Pages::passwordForm, false));
    server.Post("/password", signedIn(Pages::changePassword, true));
    server.Get("/tickets", signedIn(Pages::tickets, false));
    server.Get("/tickets.csv", signedIn(Pages::ticketsCsv, false));
    server.Get(R"(/tickets/(\d{1,9}))", [signedIn](const httplib::Request &request, httplib::Response &response) {
        const int id = std::stoi(request.matches[1]);
        signedIn([id](Exchange &x) { Pages::ticket(x, id); }, false)(request, response);
    });
    server.Get("/statements", signedIn(Pages::statements, false));
    server.Get(R"(/statements/(\d{4})-(\d{2})\.pdf)", [signedIn](const httplib::Request &request, httplib::Response &response) {
        const int year = std::stoi(request.matches[1]);
        const int month = std::stoi(request.matches[2]);
        signedIn([year, month](Exchange &x) { Pages::statementPdf(x, year, month); }, false)(request, response);
    });
}
