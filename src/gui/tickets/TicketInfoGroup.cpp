#include "tickets/TicketInfoGroup.h"

#include "app/FormLayout.h"
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

    auto *grid = new QGridLayout(this);
    const QList<QPair<QString, QLineEdit *>> left = {{QStringLiteral("Truck Number"), txtTruckNo},
                                                     {QStringLiteral("Mileage"), txtMileage},
                                                     {QStringLiteral("Driver ID"), txtDriverID}};
    const QList<QPair<QString, QLineEdit *>> right = {{QStringLiteral("Drivers License"), txtLicense},
                                                      {QStringLiteral("Trip Number"), txtTrip},
                                                      {QStringLiteral("Trailer Number"), txtTrailer}};
    for (int row = 0; row < 3; ++row) {
        grid->addWidget(fieldLabel(left[row].first, this), row, 0);
        grid->addWidget(left[row].second, row, 1);
        grid->addWidget(fieldLabel(right[row].first, this), row, 3);
        grid->addWidget(right[row].second, row, 4);
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
    return {clerk,
            txtTruckNo->text(),
            txtMileage->text(),
            txtLicense->text(),
            txtDriverID->text(),
            txtTrip->text(),
            txtTrailer->text()};
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
