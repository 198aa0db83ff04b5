#include "app/LookupDialog.h"

#include "app/BusyCursor.h"
#include "app/MessageBox.h"
#include "app/PickList.h"
#include "app/ScreenGuard.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

LookupDialog::LookupDialog(QWidget *screen, Setup setup, QWidget *parent)
    : QDialog(parent),
      m_screen(screen),
      m_setup(std::move(setup))
{
    setObjectName(m_setup.objectName);
    setWindowTitle(m_setup.title);
    setAttribute(Qt::WA_DeleteOnClose);

    cmbCustomer = new PickList(this);
    cmbCustomer->setObjectName(QStringLiteral("cmbCustomer"));
    cmbCustomer->setMinimumContentsLength(32);
    btnOK = new QPushButton(QStringLiteral("Select"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
    grid->addWidget(cmbCustomer, 0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(cmbCustomer, btnCancel);
    setTabOrder(btnCancel, btnOK);

    // The list takes every typed character for its search, Enter included; Enter must
    // still choose "Select", as in any dialog with a default button.
    cmbCustomer->installEventFilter(this);

    connect(btnOK, &QPushButton::clicked, this, [this] { ScreenGuard::run(this, [this] { select(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::close);
    // Escape ends a dialog without closing it; however it ends (Select, Cancel, Escape,
    // its window frame), the screen is usable again and the dialog goes away.
    connect(this, &QDialog::finished, this, [this] {
        if (m_screen)
            m_screen->setEnabled(true);
        deleteLater();
    });

    ScreenGuard::run(this, [this] { fill(); });
    cmbCustomer->setFocus();
}

void LookupDialog::fill()
{
    BusyCursor busy;
    cmbCustomer->fill(m_setup.entries());
}

void LookupDialog::select()
{
    if (cmbCustomer->currentText().isEmpty()) {
        MessageBox::ok(this, m_setup.noChoiceText, m_setup.noChoiceTitle);
        return;
    }
    const QString id = cmbCustomer->currentId().toString();
    const auto chosen = m_setup.chosen;
    const QPointer<QWidget> screen = m_screen;
    // Closing enables the screen and deletes the dialog once control returns to the
    // event loop; the screen then acts on the choice with every message it may show.
    close();
    if (screen)
        chosen(id);
}

bool LookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmbCustomer && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnOK->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LookupDialog::closeEvent(QCloseEvent *event)
{
    if (m_screen)
        m_screen->setEnabled(true);
    QDialog::closeEvent(event);
}
