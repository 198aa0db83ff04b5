// The config.txt reader: any text is read without failing, gives at most the items asked
// for, refuses nine items only for a value that does not fit, and a file written from nine
// plain items reads back as those items.

#include "FuzzInput.h"

#include "app/ConfigFile.h"
#include "app/FieldRules.h"

#include <climits>

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
        // Nine items are refused only for a value that is no text to keep: a control
        // character, half a character, or more than its column holds.
        if (items.size() == 9) {
            const bool unfit =
                FieldRules::textProblem(items[2], INT_MAX) != FieldRules::TextProblem::None
                || FieldRules::textProblem(items[4], FieldRules::Width::Workstation) != FieldRules::TextProblem::None
                || FieldRules::textProblem(items[6], INT_MAX) != FieldRules::TextProblem::None
                || FieldRules::textProblem(items[8], 11) != FieldRules::TextProblem::None;
            if (!unfit)
                broken("a text of nine fit items was refused", text, error.text());
            if (!error.text().contains(QStringLiteral(" value (item ")))
                broken("a value's refusal does not name the item", text, error.text());
        }
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
