#pragma once

#include <QByteArray>
#include <QString>

// The website's pages are plain HTML made here, with one stylesheet and no script.
namespace Html {

// Text made safe to stand in an element or a double-quoted attribute.
QString text(const QString &value);

// A whole page: the heading, the menu for a signed-in fleet (with the sign-out form
// carrying the session's form token), and the body.
QString page(const QString &title, const QString &body, const QByteArray &csrfToken = {});

// A hidden field with the session's form token, for every form that changes something.
QString csrfField(const QByteArray &token);

// A message box above a form: an error when `error`, else a notice.
QString message(const QString &text, bool error = true);

// The one stylesheet, served at /style.css.
QByteArray styleSheet();

} // namespace Html
