#pragma once

#include <QMap>
#include <QString>

// A connection text is a list of "Keyword=Value;" pairs, keywords case-insensitive:
//   Provider=SQLite;Data Source=<file>;
//   Provider=PostgreSQL;Server=<host>;Port=<port>;Database=<name>;UID=<user>;PWD=<password>;
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

    // Throws DbError naming the unknown provider or the missing keyword.
    static ConnectionText parse(const QString &text, const QString &baseDir = {});

    // Raw keyword/value pairs, keywords upper-cased; later pairs replace earlier ones.
    static QMap<QString, QString> pairs(const QString &text);
};
