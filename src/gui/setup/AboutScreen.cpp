#include "setup/AboutScreen.h"

#include "app/DefaultButton.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Account Management Software");

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

QStringList AboutScreen::systemInfoTools()
{
    return {QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor"), QStringLiteral("hardinfo"),
            QStringLiteral("hardinfo2")};
}

AboutScreen::AboutScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Screen"));

    auto *Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QLabel *lblTitle = label(this, "lblTitle", kTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    QLabel *lblVersion = label(this, "lblVersion", QStringLiteral("Version " AMS_VERSION));
    QLabel *lblDescription = label(this, "lblDescription", QStringLiteral("Designed and Written By:"));
    // The program is its own project: its name, and where its source is kept.
    QLabel *lines[] = {
        label(this, "Label1", QStringLiteral("The Account Management Software project")),
        label(this, "Label2", QStringLiteral("Source code: kept in the project's git repository")),
        label(this, "Label3", QString()),
        label(this, "Label4", QString()),
        label(this, "Label5", QString()),
    };
    for (QLabel *line : lines)
        line->setVisible(!line->text().isEmpty());

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    for (QPushButton *b : {cmdOK, cmdSysInfo})
        b->setMinimumWidth(110);

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(14);
    text->addWidget(lblDescription);
    for (QLabel *line : lines)
        text->addWidget(line);
    text->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    DefaultButton::install(this, cmdOK);
    DefaultButton::installCancel(this, cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutScreen::StartSysInfo);
}

void AboutScreen::StartSysInfo()
{
    for (const QString &tool : systemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return;
    }
    MessageBox::ok(this, QStringLiteral("System Information Is Unavailable At This Time"), kTitle);
}
