#include "db/SchemaTables.h"

#include "db/DatabaseTool.h"
#include "db/DbError.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

// Splits a column list at the commas that stand outside parentheses, so that a type
// such as NUMERIC(12,2) stays whole.
QStringList splitTopLevel(const QString &body)
{
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'(')
            ++depth;
        else if (body[i] == u')')
            --depth;
        else if (body[i] == u',' && depth == 0) {
            parts << body.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    parts << body.mid(start).trimmed();
    return parts;
}

SchemaColumn::Kind kindOf(const QString &type, const QString &where)
{
    using Kind = SchemaColumn::Kind;
    const QString t = type.toUpper();
    if (t.startsWith(u"TEXT") || t.startsWith(u"VARCHAR") || t.startsWith(u"CHAR"))
        return Kind::Text;
    if (t.startsWith(u"INTEGER") || t.startsWith(u"SMALLINT") || t.startsWith(u"BIGINT"))
        return Kind::Whole;
    if (t.startsWith(u"DOUBLE PRECISION") || t.startsWith(u"REAL"))
        return Kind::Number;
    if (t.startsWith(u"NUMERIC") || t.startsWith(u"DECIMAL"))
        return Kind::Money;
    if (t.startsWith(u"TIMESTAMP"))
        return Kind::DateTime;
    if (t.startsWith(u"DATE"))
        return Kind::Date;
    throw DbError(QStringLiteral("The schema's column %1 has a type the copy cannot move: %2").arg(where, type));
}

} // namespace

namespace SchemaTables {

QList<SchemaTable> parse(const QString &schemaText)
{
    QStringList lines;
    for (const QString &line : schemaText.split(u'\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\\w+)\\s*\\((.*)\\)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression column(QStringLiteral("^(\"?)(\\w+)\\1\\s+(.+)$"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tableConstraint(QStringLiteral("^(PRIMARY|UNIQUE|CONSTRAINT|CHECK|FOREIGN)\\b"),
                                                    QRegularExpression::CaseInsensitiveOption);
    QList<SchemaTable> tables;
    for (const QString &statement : lines.join(u'\n').split(u';')) {
        const auto m = create.match(statement);
        if (!m.hasMatch())
            continue;
        SchemaTable table;
        table.name = m.captured(1);
        for (const QString &part : splitTopLevel(m.captured(2))) {
            if (part.isEmpty() || tableConstraint.match(part).hasMatch())
                continue;
            const auto c = column.match(part);
            if (!c.hasMatch())
                throw DbError(QStringLiteral("The schema's table %1 has a column the copy cannot read: %2").arg(table.name, part));
            const QString name = c.captured(2);
            const QString definition = c.captured(3).simplified();
            static const QRegularExpression typeWords(QStringLiteral("^(DOUBLE PRECISION|\\w+(\\s*\\([^)]*\\))?)"),
                                                      QRegularExpression::CaseInsensitiveOption);
            table.columns.append({name, kindOf(definition, table.name + u'.' + name), typeWords.match(definition).captured(1)});
            const QString upper = definition.toUpper();
            if (upper.contains(QLatin1String("PRIMARY KEY"))) {
                table.primaryKey = name;
                table.serverAssignsKey = upper.contains(QLatin1String("IDENTITY")) || upper.contains(QLatin1String("AUTOINCREMENT"))
                                         || upper.contains(QLatin1String("SERIAL"));
            }
        }
        tables.append(table);
    }
    return tables;
}

namespace {

QList<SchemaTable> ordered(const QString &dialectName)
{
    const QList<SchemaTable> parsed = parse(DatabaseTool::schemaText(dialectName));
    QList<SchemaTable> result;
    for (const QString &name : DatabaseTool::tableNames()) {
        auto found = std::find_if(parsed.begin(), parsed.end(),
                                  [&](const SchemaTable &t) { return t.name.compare(name, Qt::CaseInsensitive) == 0; });
        if (found == parsed.end())
            throw DbError(QStringLiteral("The schema file defines no table %1.").arg(name));
        result.append(*found);
    }
    return result;
}

} // namespace

const QList<SchemaTable> &all()
{
    return of(QStringLiteral("PostgreSQL"));
}

const QList<SchemaTable> &of(const QString &dialectName)
{
    static const QList<SchemaTable> postgres = ordered(QStringLiteral("PostgreSQL"));
    static const QList<SchemaTable> sqlite = ordered(QStringLiteral("SQLite"));
    return dialectName == QLatin1String("SQLite") ? sqlite : postgres;
}

} // namespace SchemaTables
