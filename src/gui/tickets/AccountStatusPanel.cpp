#include "tickets/AccountStatusPanel.h"

#include "accounts/CustomerStore.h"
#include "app/AmountField.h"
#include "app/FormLayout.h"
#include "app/Numbers.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

AmountField *money(const char *name, QWidget *parent)
{
    auto *field = new AmountField(AmountField::moneyFormat(), parent);
    field->setObjectName(QLatin1String(name));
    field->setDisplayOnly(true);
    markDisplayOnly(field);
    field->setFixedWidth(110);
    return field;
}

QLineEdit *text(const char *name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    markDisplayOnly(box);
    return box;
}

} // namespace

AccountStatusPanel::AccountStatusPanel(QWidget *parent) : QWidget(parent)
{
    txtBalance = money("txtBalance", this);
    txtCreditLimit = money("txtCreditLimit", this);
    txtAvailableCredit = money("txtAvailableCredit", this);
    txtCardType = text("txtCardType", this);
    txtCardType->setFixedWidth(60);
    txtCardNote = text("txtCardNote", this);
    lblWhose = new QLabel(this);
    lblWhose->setObjectName(QStringLiteral("lblWhose"));
    // Its line is always there, so the screen keeps its size when it fills.
    lblWhose->setMinimumHeight(lblWhose->fontMetrics().height());

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(fieldLabel(QStringLiteral("Balance"), this), 0, 0);
    grid->addWidget(txtBalance, 0, 1);
    grid->addWidget(fieldLabel(QStringLiteral("Credit Limit"), this), 0, 2);
    grid->addWidget(txtCreditLimit, 0, 3);
    grid->addWidget(fieldLabel(QStringLiteral("Available Credit"), this), 1, 0);
    grid->addWidget(txtAvailableCredit, 1, 1);
    grid->addWidget(fieldLabel(QStringLiteral("Card Type"), this), 1, 2);
    grid->addWidget(txtCardType, 1, 3, Qt::AlignLeft);
    grid->addWidget(fieldLabel(QStringLiteral("Card Note"), this), 2, 0);
    grid->addWidget(txtCardNote, 2, 1, 1, 3);
    grid->addWidget(lblWhose, 3, 0, 1, 5);
    grid->setColumnStretch(4, 1);
}

void AccountStatusPanel::showCard(const CustomerCard &card, const QString &whose)
{
    lblWhose->setText(whose);
    txtBalance->setPlainText(Numbers::plainText(card.balance));
    txtCreditLimit->setPlainText(Numbers::plainText(card.limit));
    txtAvailableCredit->setPlainText(Numbers::plainText(Numbers::roundHalfEven(card.limit - card.balance, 2)));
    txtCardType->setText(card.cardType);
    txtCardNote->setText(card.cardNote);
    txtCardNote->setCursorPosition(0);
    txtCardNote->setToolTip(card.cardNote);
}

void AccountStatusPanel::clear()
{
    for (AmountField *field : {txtBalance, txtCreditLimit, txtAvailableCredit})
        field->setPlainText(QString());
    txtCardType->clear();
    txtCardNote->clear();
    txtCardNote->setToolTip(QString());
    lblWhose->clear();
}
