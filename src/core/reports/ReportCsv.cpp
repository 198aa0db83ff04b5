#include "reports/ReportCsv.h"

#include "app/Numbers.h"
#include "app/OutputFile.h"
#include "db/DbError.h"
#include "reports/Report.h"

#include <QIODevice>

namespace ReportCsv {

namespace {

QString valueText(const ReportColumn &column, const QVariant &value)
{
    using Kind = ReportColumn::Kind;
    // A flag never set is a missing value like any other, not a "No": a customer without
    // cards has no card to be inactive.
    if (value.isNull())
        return QString();
    switch (column.kind) {
    case Kind::Number:
        return Numbers::plainText(value.toDouble());
    case Kind::Integer:
        return QString::number(value.toLongLong());
    case Kind::Date:
    case Kind::DateTime: {
        const QDateTime dt = ReportText::readDateTime(value);
        if (!dt.isValid())
            return value.toString();
        return column.kind == Kind::Date ? dt.date().toString(Qt::ISODate) : dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }
    case Kind::Flag:
        return value.toInt() != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    case Kind::Text:
        break;
    }
    return value.toString();
}

} // namespace

QString quoted(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') && !field.contains(u'\r'))
        return field;
    QString out = field;
    out.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

bool write(const Report &report, QIODevice &device, const ReportProgress &progress)
{
    QList<ReportColumn> columns;
    for (const ReportColumn &column : report.columns) {
        if (column.inCsv())
            columns.append(column);
    }
    QStringList fields;
    fields.reserve(columns.size());
    for (const ReportColumn &column : std::as_const(columns))
        fields << quoted(column.caption);
    QByteArray line = fields.join(u',').toUtf8() + "\r\n";
    device.write(line);
    qint64 rows = 0;
    bool cancelled = false;
    report.rows().run([&](const QSqlRecord &row) {
        fields.clear();
        for (const ReportColumn &column : std::as_const(columns))
            fields << quoted(valueText(column, column.value(row)));
        line = fields.join(u',').toUtf8() + "\r\n";
        if (device.write(line) != line.size())
            return false;
        if (progress && ++rows % reportProgressStep == 0 && !progress(rows))
            cancelled = true;
        return !cancelled;
    });
    if (!cancelled && progress && !progress(rows))
        cancelled = true;
    return !cancelled;
}

bool save(const Report &report, const QString &path, QString *error, const ReportProgress &progress)
{
    return OutputFile::write(
        path,
        [&report, &progress](QIODevice &device, QString &why) {
            if (write(report, device, progress))
                return true;
            why = QStringLiteral("Cancelled.");
            return false;
        },
        error);
}

} // namespace ReportCsv
