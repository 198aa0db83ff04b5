#pragma once

#include <QStringList>
#include <QWidget>

class QPushButton;

// frmAbout, "About Screen": the program's title and version, who made it, and a button
// that starts the desktop's system-information tool.
class AboutScreen : public QWidget
{
    Q_OBJECT
public:
    explicit AboutScreen(QWidget *parent = nullptr);

    // Finds and starts the system-information tool, or says it is unavailable.
    void StartSysInfo();

    // The tools tried, first found first: the KDE and GNOME information centres and the
    // common stand-alone profilers. Looked up on PATH.
    static QStringList systemInfoTools();

private:
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;
};
