#pragma once

#include <QMap>
#include <QString>

// A connection text is a list of "Keyword=Value;" pairs, keywords case-insensitive:
//   Provider=SQLite;Data Source=<file>;
//   Provider=PostgreSQL;Server=<host>;Port=<port>;Database=<name>;UID=<user>;PWD=<password>;
//            [sslmode=<disable|allow|prefer|require|verify-ca|verify-full>;sslrootcert=<file>;]
// A relative SQLite file is taken relative to the program's directory.
struct ConnectionText
{
    enum class Provider { SQLite, PostgreSQL };

    Provider provider = Provider::SQLite;
    QString dataSource; // SQLite file
    QString server;
    int port = 5432;
    QString database;
    QString user;
    QString password;
    // PostgreSQL's own TLS settings, passed to the server's client library as they are.
    QString sslMode;
    QString sslRootCert;

    // The password every installation has always shared; used only when the configured
    // text names none of its own.
    static QString programPassword() { return QStringLiteral("QZ"); }
    // The configured text as the program connects with it: followed by "PWD=QZ;" unless
    // it holds a PWD of its own, which then wins. A configured text that lost its final
    // ";" gets one first, so the password never runs into its last value.
    static QString withProgramPassword(const QString &configured);

    // The message with every password of the connection text taken out: each value a
    // PWD keyword gives, wherever it stands (also glued to another keyword's value by a
    // missing ";", where the pairs do not see it), and whatever follows "PWD=" in the
    // message itself.
    static QString withoutPasswords(const QString &message, const QString &text);
    // The connection text fit to be shown as part of a command to run: without its PWD
    // pairs (the program adds its own password when it connects), and with a password
    // glued to another value by a missing ";" hidden as withoutPasswords hides it.
    static QString withoutPasswordPairs(const QString &text);

    // Throws DbError naming the unknown provider or the missing keyword.
    static ConnectionText parse(const QString &text, const QString &baseDir = {});

    // Raw keyword/value pairs, keywords upper-cased; later pairs replace earlier ones.
    static QMap<QString, QString> pairs(const QString &text);
};
