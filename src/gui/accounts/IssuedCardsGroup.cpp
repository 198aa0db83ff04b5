#include "accounts/IssuedCardsGroup.h"

#include "app/FieldChecks.h"
#include "app/FieldRules.h"
#include "app/FormLayout.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"
#include "db/Db.h"
#include "tickets/TicketLines.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { No, Type, InActive, Notes, ColumnCount };

// Draws a flag cell as a check box alone, in the middle of the cell.
class CentredCheckDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const bool ticked = cell.checkState == Qt::Checked;
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        cell.text.clear();
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

        QStyleOptionViewItem box = cell;
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &box, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &box, widget);
        box.rect = QRect(cell.rect.x() + (cell.rect.width() - w) / 2, cell.rect.y() + (cell.rect.height() - h) / 2, w, h);
        box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
        box.state |= ticked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
    }
};

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

IssuedCardsGroup::IssuedCardsGroup(std::function<QString()> accountNumber, QWidget *parent)
    : QGroupBox(QStringLiteral("Issued Cards"), parent),
      m_accountNumber(std::move(accountNumber))
{
    vsfgCards = new QTableWidget(this);
    vsfgCards->setObjectName(QStringLiteral("vsfgCards"));
    vsfgCards->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vsfgCards->setSelectionBehavior(QAbstractItemView::SelectRows);
    vsfgCards->setSelectionMode(QAbstractItemView::SingleSelection);
    vsfgCards->verticalHeader()->hide();
    vsfgCards->horizontalHeader()->setSectionsMovable(false);
    vsfgCards->horizontalHeader()->setSectionsClickable(false);
    vsfgCards->setItemDelegateForColumn(InActive, new CentredCheckDelegate(vsfgCards));
    vsfgCards->setMinimumHeight(130);
    vsfgCards->setTabKeyNavigation(false);

    txtCardNo = new QLineEdit(this);
    txtCardNo->setObjectName(QStringLiteral("txtCardNo"));
    cmbCardType = new PickList(this);
    cmbCardType->setObjectName(QStringLiteral("cmbCardType"));
    cmbCardType->setMinimumContentsLength(6);
    // What the chosen type lets the card buy, beside the list; the list's tooltip names
    // every type that decides it.
    lblCardTypeMeaning = new QLabel(this);
    lblCardTypeMeaning->setObjectName(QStringLiteral("lblCardTypeMeaning"));
    cmbCardType->setToolTip(QStringLiteral("1: %1\n2: %2\n3: %3\nAny other type leaves the lines as the previous card did.")
                                .arg(TicketLines::cardTypeMeaning(QStringLiteral("1")),
                                     TicketLines::cardTypeMeaning(QStringLiteral("2")),
                                     TicketLines::cardTypeMeaning(QStringLiteral("3"))));
    connect(cmbCardType, &QComboBox::currentTextChanged, this,
            [this](const QString &type) { lblCardTypeMeaning->setText(TicketLines::cardTypeMeaning(type)); });
    chkCardInActive = new QCheckBox(QStringLiteral("InActive"), this);
    chkCardInActive->setObjectName(QStringLiteral("chkCardInActive"));
    txtCardNote = new QLineEdit(this);
    txtCardNote->setObjectName(QStringLiteral("txtCardNote"));
    btnSaveCard = new QPushButton(QStringLiteral("Save"), this);
    btnSaveCard->setObjectName(QStringLiteral("btnSaveCard"));
    btnRemoveCard = new QPushButton(QStringLiteral("Remove"), this);
    btnRemoveCard->setObjectName(QStringLiteral("btnRemoveCard"));

    using namespace FieldRules;
    TextRule::apply(txtCardNo, Width::CardNumber, QStringLiteral("Card No."));
    TextRule::apply(txtCardNote, Width::Other, QStringLiteral("Notes"));

    auto *fields = new QGridLayout;
    fields->addWidget(fieldLabel(QStringLiteral("Card No."), this), 0, 0);
    fields->addWidget(txtCardNo, 0, 1);
    fields->addWidget(fieldLabel(QStringLiteral("Type"), this), 0, 2);
    fields->addWidget(cmbCardType, 0, 3);
    fields->addWidget(chkCardInActive, 0, 4);
    fields->addWidget(fieldLabel(QStringLiteral("Notes"), this), 1, 0);
    fields->addWidget(txtCardNote, 1, 1, 1, 4);
    fields->addWidget(lblCardTypeMeaning, 2, 1, 1, 4);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSaveCard);
    buttons->addWidget(btnRemoveCard);
    auto *column = new QVBoxLayout(this);
    column->addWidget(vsfgCards, 1);
    column->addLayout(fields);
    column->addLayout(buttons);

    // A click picks a row, the current row included; arrow keys pick the row they move
    // to. Only a move from one row to another counts, so that the grid making its first
    // row current as it gains the focus does not overwrite what the clerk typed.
    connect(vsfgCards, &QTableWidget::cellClicked, this, [this](int row, int) { pickRow(row); });
    connect(vsfgCards, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow, int) {
        if (previousRow >= 0 && row != previousRow)
            pickRow(row);
    });
    connect(btnSaveCard, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { saveCard(); }); });
    connect(btnRemoveCard, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { removeCard(); }); });
}

void IssuedCardsGroup::setCardTypes(const QList<NameEntry> &types) { cmbCardType->fill(types); }

QList<QWidget *> IssuedCardsGroup::tabOrder() const
{
    return {vsfgCards, txtCardNo, cmbCardType, chkCardInActive, txtCardNote, btnSaveCard, btnRemoveCard};
}

QList<QLineEdit *> IssuedCardsGroup::textBoxes() const { return {txtCardNo, txtCardNote}; }

void IssuedCardsGroup::LoadCards()
{
    const QString accountNumber = m_accountNumber();
    const QSignalBlocker blocker(vsfgCards);
    vsfgCards->clear();
    vsfgCards->setRowCount(0);
    m_cards.clear();
    if (accountNumber.isEmpty()) {
        vsfgCards->setColumnCount(0);
        return;
    }
    m_cards = CustomerStore::cardsOf(Db::current(), accountNumber);
    vsfgCards->setColumnCount(ColumnCount);
    const QStringList headings = {QStringLiteral("No."), QStringLiteral("Type"), QStringLiteral("InActive"),
                                  QStringLiteral("Notes")};
    for (int c = 0; c < ColumnCount; ++c)
        vsfgCards->setHorizontalHeaderItem(c, cell(headings[c], c == Notes ? Qt::AlignLeft : Qt::AlignHCenter));
    vsfgCards->setRowCount(int(m_cards.size()));
    for (int r = 0; r < m_cards.size(); ++r) {
        const IssuedCard &card = m_cards[r];
        vsfgCards->setItem(r, No, cell(card.cardNo, Qt::AlignHCenter));
        vsfgCards->setItem(r, Type, cell(card.cardType, Qt::AlignHCenter));
        QTableWidgetItem *flag = cell(QString(), Qt::AlignHCenter);
        flag->setCheckState(card.inactive ? Qt::Checked : Qt::Unchecked);
        vsfgCards->setItem(r, InActive, flag);
        vsfgCards->setItem(r, Notes, cell(card.note, Qt::AlignLeft));
    }
    vsfgCards->setCurrentCell(-1, -1);
    vsfgCards->resizeColumnsToContents();
}

void IssuedCardsGroup::pickRow(int row)
{
    if (row < 0 || row >= m_cards.size())
        return;
    const IssuedCard &card = m_cards[row];
    txtCardNo->setText(card.cardNo);
    // A type that is not in the list leaves none chosen: the clerk picks one before saving.
    cmbCardType->setCurrentIndex(cmbCardType->findText(card.cardType, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    chkCardInActive->setChecked(card.inactive);
    txtCardNote->setText(card.note);
}

void IssuedCardsGroup::clearEntry()
{
    txtCardNo->clear();
    txtCardNote->clear();
    cmbCardType->setCurrentIndex(-1);
    chkCardInActive->setChecked(false);
}

void IssuedCardsGroup::saveCard()
{
    const QString accountNumber = m_accountNumber();
    if (cmbCardType->currentText().isEmpty() || txtCardNo->text().isEmpty() || accountNumber.isEmpty()) {
        MessageBox::ok(window(), QStringLiteral("You must enter a Card Number, Type, and Customer Account Number before saving."),
                       QStringLiteral("Not Enought Information"));
        return;
    }
    if (!TextRule::checkBeforeSave(window(), textBoxes()))
        return;
    Db &db = Db::current();
    if (!CustomerStore::nameOf(db, accountNumber)) {
        MessageBox::ok(window(), QStringLiteral("Save the customer first."), QStringLiteral("Customer Not Saved"));
        return;
    }
    const QString cardNo = txtCardNo->text();
    const QString cardType = cmbCardType->currentText();
    CustomerStore::saveCard(db, accountNumber, {cardNo, cardType, chkCardInActive->isChecked(), txtCardNote->text()});
    clearEntry();
    LoadCards();
    MainWindow::showStatusLine(QStringLiteral("Card %1 (type %2) saved for %3").arg(cardNo, cardType, accountNumber));
}

void IssuedCardsGroup::removeCard()
{
    const QString accountNumber = m_accountNumber();
    if (cmbCardType->currentText().isEmpty() || txtCardNo->text().isEmpty() || accountNumber.isEmpty()) {
        MessageBox::ok(window(), QStringLiteral("No card selected to delete."), QStringLiteral("No Card Selected"));
        return;
    }
    if (!MessageBox::askYesNo(window(), QStringLiteral("Are you sure you want to delete the selected card?"),
                              QStringLiteral("Delete Confirmation")))
        return;
    CustomerStore::removeCard(Db::current(), accountNumber, txtCardNo->text());
    clearEntry();
    LoadCards();
}
