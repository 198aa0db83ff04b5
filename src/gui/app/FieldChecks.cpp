#include "app/FieldChecks.h"

#include "app/FieldRules.h"
#include "app/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QValidator>

namespace {

const char *const kWidth = "amsTextWidth";
const char *const kCaption = "amsTextCaption";

// The last guard: whatever way an edit arrives, a text that breaks the rule is not
// taken. It says nothing; the ways a clerk pastes are caught before it and explained.
class TextValidator : public QValidator
{
public:
    TextValidator(int width, QObject *parent) : QValidator(parent), m_width(width) {}
    State validate(QString &input, int &) const override
    {
        return FieldRules::textProblem(input, m_width) == FieldRules::TextProblem::None ? Acceptable : Invalid;
    }

private:
    int m_width;
};

class PasteGuard : public QObject
{
public:
    PasteGuard(QLineEdit *box, int width, const QString &caption) : QObject(box), m_box(box), m_width(width), m_caption(caption)
    {}

    // Puts the text in place of the selection (or at the caret), or refuses it whole.
    void insert(const QString &text)
    {
        QString result = m_box->text();
        int at = m_box->cursorPosition();
        int length = 0;
        if (m_box->hasSelectedText()) {
            at = m_box->selectionStart();
            length = int(m_box->selectedText().size());
        }
        result.replace(at, length, text);
        const FieldRules::TextProblem problem = FieldRules::textProblem(result, m_width);
        if (problem != FieldRules::TextProblem::None) {
            const QPointer<QLineEdit> box = m_box;
            MessageBox::ok(m_box->window(),
                           FieldRules::textRefusal(problem, m_caption, m_width) + QStringLiteral(" Nothing was pasted."),
                           QStringLiteral("Text Not Pasted"));
            if (box)
                box->setFocus(Qt::OtherFocusReason);
            return;
        }
        m_box->insert(text);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_box || m_box->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (!key->matches(QKeySequence::Paste))
                return false;
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            insert(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
                return false;
            m_box->setCursorPosition(m_box->cursorPositionAt(mouse->position().toPoint()));
            insert(QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (!drop->mimeData()->hasText())
                return false;
            m_box->setCursorPosition(m_box->cursorPositionAt(drop->position().toPoint()));
            insert(drop->mimeData()->text());
            drop->acceptProposedAction();
            return true;
        }
        case QEvent::ContextMenu: {
            auto *request = static_cast<QContextMenuEvent *>(event);
            QMenu *menu = m_box->createStandardContextMenu();
            for (QAction *action : menu->actions()) {
                if (action->objectName() == QLatin1String("edit-paste")) {
                    action->disconnect();
                    connect(action, &QAction::triggered, this,
                            [this] { insert(QGuiApplication::clipboard()->text(QClipboard::Clipboard)); });
                }
            }
            menu->exec(request->globalPos());
            delete menu;
            return true;
        }
        default:
            return false;
        }
    }

private:
    QLineEdit *m_box;
    int m_width;
    QString m_caption;
};

} // namespace

namespace TextRule {

void apply(QLineEdit *box, int width, const QString &caption)
{
    box->setProperty(kWidth, width);
    box->setProperty(kCaption, caption);
    // No maximum length: Qt would cut a long paste to it without a word.
    box->setMaxLength(32767);
    box->setValidator(new TextValidator(width, box));
    box->installEventFilter(new PasteGuard(box, width, caption));
}

bool checkBeforeSave(QWidget *screen, const QList<QLineEdit *> &boxes)
{
    for (QLineEdit *box : boxes) {
        const QVariant width = box->property(kWidth);
        if (!width.isValid())
            continue;
        const FieldRules::TextProblem problem = FieldRules::textProblem(box->text(), width.toInt());
        if (problem == FieldRules::TextProblem::None)
            continue;
        MessageBox::ok(screen, FieldRules::textRefusal(problem, box->property(kCaption).toString(), width.toInt()),
                       QStringLiteral("Text Cannot Be Saved"), MessageBox::Icon::Exclamation);
        box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

} // namespace TextRule

namespace AmountRule {

bool checkBeforeSave(QWidget *screen, const std::optional<QString> &unstorableCaption)
{
    if (!unstorableCaption)
        return true;
    MessageBox::ok(screen, FieldRules::amountRefusal(*unstorableCaption), QStringLiteral("Amount Cannot Be Saved"),
                   MessageBox::Icon::Exclamation);
    return false;
}

bool checkBeforeSave(QWidget *screen, const QList<QPair<QString, double>> &amounts)
{
    return checkBeforeSave(screen, FieldRules::firstUnstorableAmount(amounts));
}

} // namespace AmountRule
