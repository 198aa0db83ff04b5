#include "db/ConnectionText.h"

#include "db/DbError.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

QMap<QString, QString> ConnectionText::pairs(const QString &text)
{
    QMap<QString, QString> result;
    const auto parts = text.split(u';', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        result.insert(part.left(eq).trimmed().toUpper(), part.mid(eq + 1).trimmed());
    }
    return result;
}

QString ConnectionText::withProgramPassword(const QString &configured)
{
    if (pairs(configured).contains(QStringLiteral("PWD")))
        return configured;
    QString text = configured;
    if (!text.trimmed().isEmpty() && !text.trimmed().endsWith(u';'))
        text += u';';
    return text + QStringLiteral("PWD=") + programPassword() + u';';
}

QString ConnectionText::withoutPasswords(const QString &message, const QString &text)
{
    static const QString hidden = QStringLiteral("********");
    // "PWD=" anywhere, not only at the start of a pair: a missing ";" glues the keyword
    // to the value before it ("UID=amsPWD=secret"), and the pairs then hold no PWD.
    static const QRegularExpression inText(QStringLiteral("PWD\\s*=([^;]*)"), QRegularExpression::CaseInsensitiveOption);
    QStringList passwords;
    for (auto it = inText.globalMatch(text); it.hasNext();) {
        const QString value = it.next().captured(1);
        if (!value.isEmpty())
            passwords << value << value.trimmed();
    }
    // The longest first, so that no part of a longer one is left showing. A password of
    // a letter or three is taken out only where "PWD=" stands before it (below): taken
    // out everywhere, it would cut names and paths apart (the shared "QZ").
    std::sort(passwords.begin(), passwords.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QString result = message;
    for (const QString &password : std::as_const(passwords)) {
        if (password.size() >= 4)
            result.replace(password, hidden);
    }
    static const QRegularExpression inMessage(QStringLiteral("(PWD\\s*=)(?!\\*{8})[^;\\s]*"),
                                              QRegularExpression::CaseInsensitiveOption);
    result.replace(inMessage, QStringLiteral("\\1") + hidden);
    return result;
}

QString ConnectionText::withoutPasswordPairs(const QString &text)
{
    static const QRegularExpression pair(QStringLiteral("(^|;)\\s*PWD\\s*=[^;]*;?"), QRegularExpression::CaseInsensitiveOption);
    QString shown = text;
    shown.replace(pair, QStringLiteral("\\1"));
    return withoutPasswords(shown, text);
}

namespace {

ConnectionText parsed(const QString &text, const QString &baseDir);

} // namespace

ConnectionText ConnectionText::parse(const QString &text, const QString &baseDir)
{
    try {
        return parsed(text, baseDir);
    } catch (const DbError &error) {
        throw DbError(withoutPasswords(error.serverText(), text));
    }
}

namespace {

ConnectionText parsed(const QString &text, const QString &baseDir)
{
    using Provider = ConnectionText::Provider;
    const auto kv = ConnectionText::pairs(text);
    auto required = [&](const char *keyword) {
        QString value = kv.value(QString::fromLatin1(keyword).toUpper());
        if (value.isEmpty())
            throw DbError(QStringLiteral("The connection text has no %1 keyword.").arg(QLatin1String(keyword)));
        return value;
    };

    ConnectionText c;
    const QString provider = required("Provider");
    if (provider.compare(u"SQLite", Qt::CaseInsensitive) == 0) {
        c.provider = Provider::SQLite;
        c.dataSource = required("Data Source");
        if (QDir::isRelativePath(c.dataSource) && !baseDir.isEmpty())
            c.dataSource = QDir(baseDir).filePath(c.dataSource);
    } else if (provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0) {
        c.provider = Provider::PostgreSQL;
        c.server = required("Server");
        c.database = required("Database");
        c.user = required("UID");
        if (kv.contains(QStringLiteral("PORT"))) {
            bool ok = false;
            c.port = kv.value(QStringLiteral("PORT")).toInt(&ok);
            if (!ok)
                throw DbError(
                    QStringLiteral("The connection text's Port is not a number: %1").arg(kv.value(QStringLiteral("PORT"))));
        }
        c.sslMode = kv.value(QStringLiteral("SSLMODE"));
        c.sslRootCert = kv.value(QStringLiteral("SSLROOTCERT"));
        static const QStringList modes = {QStringLiteral("disable"), QStringLiteral("allow"),     QStringLiteral("prefer"),
                                          QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
        if (!c.sslMode.isEmpty() && !modes.contains(c.sslMode))
            throw DbError(QStringLiteral("The connection text's sslmode is not one of %1: %2").arg(modes.join(u", "), c.sslMode));
    } else {
        throw DbError(QStringLiteral("Unknown database provider in the connection text: %1").arg(provider));
    }
    c.password = kv.value(QStringLiteral("PWD"));
    return c;
}

} // namespace
