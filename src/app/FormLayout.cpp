#include "app/FormLayout.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

void layOutFormAndButtons(QWidget *screen, QLayout *fields, const QList<QPushButton *> &buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);

    auto *layout = new QVBoxLayout(screen);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(row);
}
