#include "app/DatePicker.h"

#include <QDate>
#include <QDateEdit>
#include <QLocale>
#include <QRegularExpression>

namespace {

class TabbingDateEdit final : public QDateEdit
{
public:
    using QDateEdit::QDateEdit;

protected:
    // Tab leaves the field, as on every other field of the form, instead of stepping through
    // the date's sections as QDateTimeEdit's own handler does; so that handler is passed over.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

} // namespace

namespace DatePicker {

QString workstationFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    // A two-digit year would leave every date before 2000 or after 2099 untypable.
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(shortYear, QStringLiteral("yyyy"));
    return format;
}

QDateEdit *make(const QString &name, QWidget *parent)
{
    auto *picker = new TabbingDateEdit(QDate::currentDate(), parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(workstationFormat());
    return picker;
}

} // namespace DatePicker
