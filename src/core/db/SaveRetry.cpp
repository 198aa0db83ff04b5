#include "db/SaveRetry.h"

namespace {

QString sentence(const QString &text) { return text.endsWith(u'.') ? text : text + u'.'; }

} // namespace

namespace SaveRetry {

QString notSavedText(const QString &reason)
{
    return sentence(reason) + QStringLiteral(" Nothing was saved; save the entry again once the database answers.");
}

QString notKnownText(const QString &reason)
{
    return sentence(reason)
           + QStringLiteral(" The connection went while the entry was being saved, so whether it was "
                            "stored is not known: look for it before saving it again.");
}

bool rowStored(Db &db, const QString &table, const QVariant &key)
{
    // The table is always one of the program's own names, never typed text.
    return db.firstRow(QStringLiteral("SELECT 1 FROM %1 WHERE ID = ?").arg(table), {key}).has_value();
}

} // namespace SaveRetry
