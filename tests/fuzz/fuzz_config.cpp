// The config.txt reader: any text is read without failing, gives at most the items asked
// for, and a file written from nine plain items reads back as those items.

#include "FuzzInput.h"

#include "app/ConfigFile.h"

using FuzzInput::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    const QStringList items = ConfigFile::readItems(text, 9);
    if (items.size() > 9)
        broken("more items than asked for", text);
    try {
        const Configuration c = ConfigFile::parse(text);
        if (items.size() < 9)
            broken("a text of fewer than nine items was accepted", text);
        if (c.ConnectionInfo != items[2] || c.WorkstationID != items[4] || c.AdminWorkstation != items[6]
            || c.LocationID != items[8])
            broken("the four values are not items 3, 5, 7 and 9", text);
    } catch (const ConfigError &error) {
        if (items.size() == 9)
            broken("a text of nine items was refused", text, error.text());
        if (error.text().isEmpty())
            broken("a refusal without a message", text);
    }

    // Nine items written one per line, quoted, read back as themselves: any item without
    // a double quote or a line end survives, commas included.
    QStringList written;
    for (int i = 0; i < 9; ++i) {
        QString item = text.mid(i * 7, 7);
        item.remove(u'"').remove(u'\r').remove(u'\n');
        written << item;
    }
    QString file;
    for (const QString &item : written)
        file += u'"' + item + QStringLiteral("\"\n");
    if (ConfigFile::readItems(file, 9) != written)
        broken("quoted items did not read back", file);
    return 0;
}
