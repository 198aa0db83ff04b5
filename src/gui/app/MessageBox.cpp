#include "app/MessageBox.h"

#include <QMessageBox>
#include <QTextStream>

namespace {

struct Recorder
{
    bool on = false;
    QList<MessageBox::Answer> answers;
    QList<MessageBox::Shown> shown;
};

Recorder &recorder()
{
    static Recorder r;
    return r;
}

QMessageBox::Icon toQt(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::None:
        return QMessageBox::NoIcon;
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBox::Answer MessageBox::show(QWidget *parent, const QString &text, const QString &title, Buttons buttons, Icon icon,
                                    const QString &details)
{
    Recorder &r = recorder();
    const Answer first = buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    if (r.on) {
        r.shown.append({text, title, buttons, icon, details});
        if (!r.answers.isEmpty())
            return r.answers.takeFirst();
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    if (qEnvironmentVariable("AMS_MESSAGES") == QLatin1String("stderr")) {
        QTextStream(stderr) << title << ": " << text << Qt::endl;
        return first;
    }
    QMessageBox box(toQt(icon), title, text, buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    parent);
    if (!details.isEmpty())
        box.setDetailedText(details);
    const int answer = box.exec();
    if (buttons == Buttons::YesNo)
        return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

void MessageBox::startRecording()
{
    Recorder &r = recorder();
    r.on = true;
    r.answers.clear();
    r.shown.clear();
}

void MessageBox::stopRecording() { recorder().on = false; }
bool MessageBox::isRecording() { return recorder().on; }
void MessageBox::queueAnswer(Answer answer) { recorder().answers.append(answer); }

QList<MessageBox::Shown> MessageBox::takeShown()
{
    QList<Shown> result;
    result.swap(recorder().shown);
    return result;
}
