#pragma once

#include <QList>
#include <QString>

// The eleven tables with their columns and the kind of value each column holds, as the
// schema files define them: the one list that moving rows between databases works from,
// so a column added to the schema is moved too. The kinds are read from the PostgreSQL
// file, whose column types tell them apart (SQLite stores dates and texts alike as TEXT).
struct SchemaColumn
{
    enum class Kind { Text, Whole, Number, Money, DateTime, Date };

    QString name;
    Kind kind = Kind::Text;
    // The type as the schema file declares it ("NUMERIC", "TIMESTAMP(0)").
    QString declared;
};

struct SchemaTable
{
    QString name;
    QList<SchemaColumn> columns;
    // The primary key column, or empty.
    QString primaryKey;
    // Whether the server assigns the primary key of a new row.
    bool serverAssignsKey = false;
};

namespace SchemaTables {

// The tables in the order of DatabaseTool::tableNames(). Throws DbError when a schema
// file holds a column type or a table this list cannot read.
const QList<SchemaTable> &all();

// The tables as one server's schema file declares them ("SQLite", "PostgreSQL"), in the
// same order; their kinds follow that file's types.
const QList<SchemaTable> &of(const QString &dialectName);

// Reads the tables of a schema text (exposed for the test that holds both files to one
// list).
QList<SchemaTable> parse(const QString &schemaText);

} // namespace SchemaTables
