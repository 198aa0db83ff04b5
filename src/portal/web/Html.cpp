#include "Html.h"

namespace Html {

QString text(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            // Control characters have no business on a page; show that something was there.
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                out += QChar(0xFFFD);
            else
                out += c;
        }
    }
    return out;
}

QString csrfField(const QByteArray &token)
{
    return QStringLiteral("<input type=\"hidden\" name=\"csrf\" value=\"%1\">").arg(QString::fromLatin1(token));
}

QString message(const QString &value, bool error)
{
    return QStringLiteral("<p class=\"%1\" role=\"%2\">%3</p>")
        .arg(error ? QStringLiteral("error") : QStringLiteral("notice"),
             error ? QStringLiteral("alert") : QStringLiteral("status"), text(value));
}

QString page(const QString &title, const QString &body, const QByteArray &csrfToken)
{
    QString menu;
    if (!csrfToken.isEmpty()) {
        menu =
            QStringLiteral("<nav><a href=\"/account\">Account</a><a href=\"/tickets\">Tickets</a>"
                           "<a href=\"/payments\">Payments</a><a href=\"/statements\">Statements</a>"
                           "<a href=\"/password\">Password</a>"
                           "<form method=\"post\" action=\"/signout\">%1<button type=\"submit\">Sign out</button></form></nav>")
                .arg(csrfField(csrfToken));
    }
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
               "<title>%1</title><link rel=\"stylesheet\" href=\"/style.css\"></head>"
               "<body><header><span class=\"site\">Fleet Account</span>%2</header><main><h1>%1</h1>%3</main></body></html>\n")
        .arg(text(title), menu, body);
}

QByteArray styleSheet()
{
    return QByteArrayLiteral(
        "*{box-sizing:border-box}\n"
        "body{margin:0;font:16px/1.45 system-ui,sans-serif;color:#1b1f24;background:#f4f5f7}\n"
        "header{background:#1d3b5a;color:#fff;padding:.6rem 1rem;display:flex;flex-wrap:wrap;align-items:center;gap:.5rem 1rem}\n"
        ".site{font-weight:600;margin-right:auto}\n"
        "nav{display:flex;flex-wrap:wrap;gap:.3rem .9rem;align-items:center}\n"
        "nav a{color:#fff}\nnav form{display:inline;margin:0}\n"
        "nav button{background:none;border:1px solid #fff;color:#fff;padding:.15rem .6rem;border-radius:3px;cursor:pointer}\n"
        "main{max-width:64rem;margin:0 auto;padding:1rem}\n"
        "h1{font-size:1.4rem;margin:.4rem 0 1rem}\n"
        "table{border-collapse:collapse;width:100%;background:#fff;margin:.5rem 0 1rem}\n"
        "th,td{padding:.35rem .5rem;border-bottom:1px solid #dde1e6;text-align:left;vertical-align:top}\n"
        "td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}\n"
        "dl{display:grid;grid-template-columns:max-content 1fr;gap:.3rem 1rem;background:#fff;padding:1rem;margin:0 0 1rem}\n"
        "dt{color:#4a5562}dd{margin:0;font-weight:600}\n"
        "form.box{background:#fff;padding:1rem;max-width:26rem;display:grid;gap:.6rem}\n"
        "form.filter{display:flex;flex-wrap:wrap;gap:.6rem;align-items:end;margin-bottom:.5rem}\n"
        "label{display:grid;gap:.15rem;font-size:.9rem;color:#4a5562}\n"
        "input,select,button{font:inherit;padding:.35rem .5rem}\n"
        "button{background:#1d3b5a;color:#fff;border:0;border-radius:3px;cursor:pointer}\n"
        ".error{background:#fde8e8;border-left:4px solid #b42318;padding:.5rem .8rem}\n"
        ".notice{background:#e7f5ec;border-left:4px solid #1a7f37;padding:.5rem .8rem}\n"
        ".pager{display:flex;gap:1rem}\n"
        "@media (max-width:40rem){.wide{display:none}th,td{padding:.3rem}main{padding:.6rem}}\n");
}

} // namespace Html
