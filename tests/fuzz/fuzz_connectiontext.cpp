// The connection text: any text either names a provider the program knows, with every
// keyword it needs, or is refused with a message; and keywords are found whatever their
// letter case and blanks.

#include "FuzzInput.h"

#include "db/ConnectionText.h"
#include "db/DbError.h"

using FuzzInput::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    try {
        const ConnectionText c = ConnectionText::parse(text, QStringLiteral("/opt/ams"));
        if (c.provider == ConnectionText::Provider::SQLite && c.dataSource.isEmpty())
            broken("an SQLite text without its file was accepted", text);
        if (c.provider == ConnectionText::Provider::PostgreSQL
            && (c.server.isEmpty() || c.database.isEmpty() || c.user.isEmpty()))
            broken("a PostgreSQL text without server, database or user was accepted", text);
    } catch (const DbError &error) {
        if (error.serverText().isEmpty())
            broken("a refusal without a message", text);
    }

    // A value from the input, as it would be configured, is found again under any case.
    QString value = text.left(20);
    value.remove(u';').remove(u'=');
    value = value.trimmed();
    const auto pairs = ConnectionText::pairs(QStringLiteral("provider=sqlite; Data Source = ") + value + QStringLiteral(";"));
    if (pairs.value(QStringLiteral("DATA SOURCE")) != value)
        broken("a value did not come back", value, pairs.value(QStringLiteral("DATA SOURCE")));
    return 0;
}
