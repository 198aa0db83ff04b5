#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every message the program shows goes through here. In production it is a QMessageBox
// with exactly the given text, title, buttons and icon. Tests switch it to recording:
// nothing is opened, each message is kept for the test to read, and the answers come
// from a queue the test fills. With AMS_MESSAGES=stderr in the environment (for tests
// that start the program as a process) each message is printed to standard error as
// "title: text" and answered with its first button.
class MessageBox
{
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Answer { Ok, Yes, No };

    struct Shown
    {
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        // Shown only when the user asks for the details (the statement that failed).
        QString details;
    };

    static Answer show(QWidget *parent, const QString &text, const QString &title, Buttons buttons = Buttons::Ok,
                       Icon icon = Icon::None, const QString &details = {});
    // An OK message.
    static void ok(QWidget *parent, const QString &text, const QString &title, Icon icon = Icon::None,
                   const QString &details = {})
    {
        show(parent, text, title, Buttons::Ok, icon, details);
    }
    // A Yes/No question; true for Yes.
    static bool askYesNo(QWidget *parent, const QString &text, const QString &title, Icon icon = Icon::None)
    {
        return show(parent, text, title, Buttons::YesNo, icon) == Answer::Yes;
    }

    // Test side.
    static void startRecording();
    static void stopRecording();
    static bool isRecording();
    // The next answer a recorded question gets; without one, OK messages answer Ok and
    // questions answer No.
    static void queueAnswer(Answer answer);
    // Every message shown since the last call, oldest first.
    static QList<Shown> takeShown();
};
