#include "tickets/TicketInfoGroup.h"

#include "app/FormLayout.h"
#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/ScreenGuard.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

class KeepTextBox : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        if (event->reason() != Qt::MouseFocusReason) {
            deselect();
            end(false);
        }
    }
};

} // namespace

QLineEdit *newTicketTextBox(const char *name, QWidget *parent)
{
    auto *box = new KeepTextBox(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

TicketInfoGroup::TicketInfoGroup(OnFocus onFocus, QWidget *parent) : QGroupBox(QStringLiteral("Ticket Info"), parent)
{
    auto box = [this, onFocus](const char *name) {
        QLineEdit *b = newTicketTextBox(name, this);
        if (onFocus == OnFocus::SelectAll)
            ScreenGuard::selectAllOnFocus(b);
        return b;
    };
    txtTruckNo = box("txtTruckNo");
    txtMileage = box("txtMileage");
    txtDriverID = box("txtDriverID");
    txtLicense = box("txtLicense");
    txtTrip = box("txtTrip");
    txtTrailer = box("txtTrailer");

    // Three boxes in the left column, three in the right; each holds at most the width
    // the printed tickets give ticket details.
    const QStringList captions = {QStringLiteral("Truck Number"), QStringLiteral("Mileage"),
                                  QStringLiteral("Driver ID"),    QStringLiteral("Drivers License"),
                                  QStringLiteral("Trip Number"),  QStringLiteral("Trailer Number")};
    auto *grid = new QGridLayout(this);
    const QList<QLineEdit *> all = boxes();
    for (int i = 0; i < all.size(); ++i) {
        TextRule::apply(all[i], FieldRules::Width::TicketDetail, captions[i]);
        const int row = i % 3;
        const int column = i < 3 ? 0 : 3;
        grid->addWidget(fieldLabel(captions[i], this), row, column);
        grid->addWidget(all[i], row, column + 1);
    }
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
}

QList<QLineEdit *> TicketInfoGroup::boxes() const
{
    return {txtTruckNo, txtMileage, txtDriverID, txtLicense, txtTrip, txtTrailer};
}

TicketDetails TicketInfoGroup::details(const QString &clerk) const
{
    return {clerk,           txtTruckNo->text(), txtMileage->text(), txtLicense->text(), txtDriverID->text(),
            txtTrip->text(), txtTrailer->text()};
}

void TicketInfoGroup::setDetails(const TicketDetails &d)
{
    txtTruckNo->setText(d.truckNumber);
    txtMileage->setText(d.mileage);
    txtLicense->setText(d.license);
    txtDriverID->setText(d.driverId);
    txtTrip->setText(d.trip);
    txtTrailer->setText(d.trailer);
}

void TicketInfoGroup::clear()
{
    for (QLineEdit *box : boxes())
        box->setText(QString());
}
