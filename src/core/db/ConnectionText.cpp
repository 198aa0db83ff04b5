#include "db/ConnectionText.h"

#include "db/DbError.h"

#include <QDir>

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
    return configured + QStringLiteral("PWD=") + programPassword() + u';';
}

ConnectionText ConnectionText::parse(const QString &text, const QString &baseDir)
{
    const auto kv = pairs(text);
    auto required = [&](const char *keyword) {
        const QString value = kv.value(QString::fromLatin1(keyword).toUpper());
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
                throw DbError(QStringLiteral("The connection text's Port is not a number: %1").arg(kv.value(QStringLiteral("PORT"))));
        }
        c.sslMode = kv.value(QStringLiteral("SSLMODE"));
        c.sslRootCert = kv.value(QStringLiteral("SSLROOTCERT"));
        static const QStringList modes = {QStringLiteral("disable"), QStringLiteral("allow"), QStringLiteral("prefer"),
                                          QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
        if (!c.sslMode.isEmpty() && !modes.contains(c.sslMode))
            throw DbError(QStringLiteral("The connection text's sslmode is not one of %1: %2").arg(modes.join(u", "), c.sslMode));
    } else {
        throw DbError(QStringLiteral("Unknown database provider in the connection text: %1").arg(provider));
    }
    c.password = kv.value(QStringLiteral("PWD"));
    return c;
}
