#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the database layer. It carries the server's own message and
// the statement that failed, so the screen boundary can show exactly what went wrong.
class DbError : public std::runtime_error
{
public:
    // What became of the connection to the server when the statement failed.
    enum class Connection {
        // The server answered: the error is about the statement.
        Kept,
        // The connection is gone (the server stopped or restarted). Whatever its open
        // transaction wrote was not committed: the server drops it with the connection.
        Lost,
        // The connection went while the server was committing: the change may be stored
        // or not, and only a look at the stored rows can tell.
        LostInCommit,
    };

    DbError(const QString &serverText, const QString &statement = {}, Connection connection = Connection::Kept)
        : std::runtime_error(serverText.toStdString()),
          m_serverText(serverText),
          m_statement(statement),
          m_connection(connection)
    {}

    const QString &serverText() const { return m_serverText; }
    const QString &statement() const { return m_statement; }
    Connection connection() const { return m_connection; }
    bool connectionLost() const { return m_connection != Connection::Kept; }

private:
    QString m_serverText;
    QString m_statement;
    Connection m_connection;
};
