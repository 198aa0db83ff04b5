#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the database layer. It carries the server's own message and
// the statement that failed, so the screen boundary can show exactly what went wrong.
class DbError : public std::runtime_error
{
public:
    DbError(const QString &serverText, const QString &statement = {})
        : std::runtime_error(serverText.toStdString()),
          m_serverText(serverText),
          m_statement(statement)
    {}

    const QString &serverText() const { return m_serverText; }
    const QString &statement() const { return m_statement; }

private:
    QString m_serverText;
    QString m_statement;
};
