#pragma once

#include "accounts/CustomerStore.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class PickList;
class QPushButton;

// A window that picks one entry of a name list for a screen: "Name", the list, then
// "Cancel" and "Select" (the default button; Enter in the list presses it too). The
// screen is disabled while the dialog is open and enabled again however it closes.
// Select with no entry chosen shows the given message and keeps the dialog open;
// otherwise the dialog closes and hands the chosen entry's ID to the screen.
class LookupDialog : public QDialog
{
    Q_OBJECT
public:
    struct Setup
    {
        QString objectName;
        QString title;
        // The message and its title when Select is pressed with nothing chosen.
        QString noChoiceText;
        QString noChoiceTitle;
        // Reads the list when the dialog opens.
        std::function<QList<NameEntry>()> entries;
        // Runs once the dialog has closed, with the chosen entry's ID.
        std::function<void(const QString &id)> chosen;
    };

    // `screen` is the screen the dialog serves; the dialog becomes a window of its own
    // over `parent`, so disabling the screen leaves the dialog usable.
    LookupDialog(QWidget *screen, Setup setup, QWidget *parent = nullptr);

    // Opens the dialog for the screen and disables the screen.
    template <class Dialog, class Screen>
    static Dialog *openFor(Screen *screen)
    {
        QWidget *owner = screen->window() == screen ? nullptr : screen->window();
        auto *dialog = new Dialog(screen, owner);
        screen->setEnabled(false);
        dialog->show();
        return dialog;
    }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill();
    void select();

    QPointer<QWidget> m_screen;
    Setup m_setup;
    PickList *cmbCustomer = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
