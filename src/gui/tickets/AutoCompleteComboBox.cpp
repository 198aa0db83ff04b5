#include "tickets/AutoCompleteComboBox.h"

#include "tickets/AutoComplete.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QValidator>

#include <optional>

namespace {

// The texts of the box's list, kept in hand and up to date with it, so that a key does
// not read thousands of entries out of the model again.
class ListTexts : public QObject
{
public:
    static constexpr const char *kName = "amsListTexts";

    explicit ListTexts(QComboBox *combo) : QObject(combo), m_combo(combo)
    {
        setObjectName(QLatin1String(kName));
        watch();
    }

    AutoComplete::EntrySearch &search()
    {
        if (m_model != m_combo->model())
            watch();
        return m_search;
    }

private:
    QStringList texts(int first, int last) const
    {
        QStringList out;
        for (int row = first; row <= last; ++row)
            out << m_combo->itemText(row);
        return out;
    }
    void reread() { m_search.setEntries(texts(0, m_combo->count() - 1)); }

    void watch()
    {
        if (m_model)
            disconnect(m_model, nullptr, this, nullptr);
        m_model = m_combo->model();
        reread();
        auto inRoot = [this](const QModelIndex &parent) { return parent == m_combo->rootModelIndex(); };
        connect(m_model, &QAbstractItemModel::rowsInserted, this, [this, inRoot](const QModelIndex &parent, int first, int last) {
            if (inRoot(parent))
                m_search.insert(first, texts(first, last));
        });
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this, inRoot](const QModelIndex &parent, int first, int last) {
            if (inRoot(parent))
                m_search.remove(first, last - first + 1);
        });
        // Anything else is rare: the list is read again.
        connect(m_model, &QAbstractItemModel::modelReset, this, [this] { reread(); });
        connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { reread(); });
        connect(m_model, &QAbstractItemModel::dataChanged, this, [this] { reread(); });
        connect(m_model, &QAbstractItemModel::rowsMoved, this, [this] { reread(); });
    }

    QComboBox *m_combo;
    QPointer<QAbstractItemModel> m_model;
    AutoComplete::EntrySearch m_search;
};

ListTexts *listTexts(QComboBox *combo)
{
    // Found by name: the class has no meta-object of its own to find it by.
    if (QObject *texts = combo->findChild<QObject *>(QLatin1String(ListTexts::kName), Qt::FindDirectChildrenOnly))
        return static_cast<ListTexts *>(texts);
    return new ListTexts(combo);
}

// The key's work done on the box; nothing when the box cannot be worked on, and the
// key is then left to the box.
std::optional<char16_t> applyKey(QComboBox *combo, QStringView keyText)
{
    QLineEdit *edit = combo->lineEdit();
    if (!edit)
        return std::nullopt;
    const qsizetype caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const AutoComplete::EditState before{edit->text(), caret, edit->selectionLength()};

    AutoComplete::EntrySearch &search = listTexts(combo)->search();
    auto find = [&search](const QString &typed) { return search.first(typed); };
    auto entryText = [&search](qsizetype row) { return search.entries().at(row); };
    const std::optional<AutoComplete::Outcome> out = AutoComplete::press(before, keyText, find, entryText);
    if (!out)
        return std::nullopt;

    // Typing past what the box may hold simply stops, as in any text box.
    if (const QValidator *validator = edit->validator(); validator && out->openList) {
        QString typed = out->typed;
        int at = int(typed.size());
        if (validator->validate(typed, at) == QValidator::Invalid)
            return char16_t(0);
    }
    if (out->openList && !combo->view()->isVisible())
        combo->showPopup();
    if (out->openList) {
        // The list shows the entry the box shows, or none when the typed text is new.
        combo->setCurrentIndex(out->entry ? int(*out->entry) : -1);
        combo->view()->setCurrentIndex(
            out->entry ? combo->model()->index(int(*out->entry), combo->modelColumn(), combo->rootModelIndex()) : QModelIndex());
        if (out->entry)
            combo->view()->scrollTo(combo->view()->currentIndex(), QAbstractItemView::PositionAtTop);
    }
    const AutoComplete::EditState &after = out->state;
    if (edit->text() != after.text)
        edit->setText(after.text);
    if (after.selectionLength > 0)
        edit->setSelection(int(after.caret), int(after.selectionLength));
    else
        edit->setCursorPosition(int(after.caret));
    return out->key;
}

// The character a key event types, as the rules take it: a control code for the
// control keys and shortcuts, the typed text otherwise; nothing for keys that type no
// character.
std::optional<QString> keyTextOf(const QKeyEvent *event)
{
    auto code = [](int c) { return QString(QChar(char16_t(c))); };
    if (event->matches(QKeySequence::Paste))
        return code(22);
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const int key = event->key();
    if (modifiers == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
        return code(key - Qt::Key_A + 1);
    switch (key) {
    case Qt::Key_Backspace:
        return code(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return code(13);
    case Qt::Key_Escape:
        return code(27);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || text.front() == QChar(0x7f) || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    return text;
}

class AutoCompleteFilter : public QObject
{
public:
    explicit AutoCompleteFilter(QComboBox *combo) : QObject(combo), m_combo(combo) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_combo)
            return boxKey(key);
        if (watched == m_combo->view())
            return listKey(key);
        return false;
    }

private:
    bool boxKey(QKeyEvent *key)
    {
        if (key->type() != QEvent::KeyPress || m_forwarding)
            return false;
        const std::optional<QString> text = keyTextOf(key);
        if (!text)
            return false;
        const std::optional<char16_t> result = applyKey(m_combo, *text);
        return result && *result == 0;
    }

    // While the list is open it has the keyboard; the keys that type go to the box all
    // the same, and the list keeps only its moves.
    bool listKey(QKeyEvent *key)
    {
        const std::optional<QString> text = keyTextOf(key);
        const int code = key->key();
        if (key->type() == QEvent::ShortcutOverride) {
            // Enter and Escape would otherwise choose the highlighted entry or close the
            // list before the rules see them.
            if (code == Qt::Key_Return || code == Qt::Key_Enter || code == Qt::Key_Escape) {
                key->accept();
                return true;
            }
            return false;
        }
        if (code == Qt::Key_Tab || code == Qt::Key_Backtab) {
            m_combo->hidePopup();
            forwardToBox(key);
            return true;
        }
        if (code == Qt::Key_Up || code == Qt::Key_Down || code == Qt::Key_PageUp || code == Qt::Key_PageDown) {
            // The list moves its highlight; the box shows the entry it lands on.
            QAbstractItemView *view = m_combo->view();
            static_cast<QObject *>(view)->event(key);
            if (view->currentIndex().isValid()) {
                m_combo->setCurrentIndex(view->currentIndex().row());
                m_combo->lineEdit()->selectAll();
            }
            return true;
        }
        if (!text)
            return false;
        const std::optional<char16_t> result = applyKey(m_combo, *text);
        if (!result)
            return false;
        if (code == Qt::Key_Escape)
            m_combo->hidePopup();
        if (*result != 0) {
            m_combo->hidePopup();
            forwardToBox(key);
        }
        return true;
    }

    void forwardToBox(const QKeyEvent *key)
    {
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), ushort(key->count()));
        // The box acts on the key itself; the rules have already had it.
        m_forwarding = true;
        QCoreApplication::sendEvent(m_combo, &copy);
        m_forwarding = false;
    }

    QComboBox *m_combo;
    bool m_forwarding = false;
};

} // namespace

int AutoCompleteComboBox(QComboBox *combo, int keyCode)
{
    if (!combo || keyCode < 0 || keyCode > 0xffff)
        return keyCode;
    const std::optional<char16_t> result = applyKey(combo, QString(QChar(char16_t(keyCode))));
    return result ? int(*result) : keyCode;
}

void installAutoComplete(QComboBox *combo)
{
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    // The list opens on every first key: with thousands of names it must not measure
    // each of them to lay itself out.
    if (auto *list = qobject_cast<QListView *>(combo->view()))
        list->setUniformItemSizes(true);
    listTexts(combo);
    auto *filter = new AutoCompleteFilter(combo);
    combo->installEventFilter(filter);
    combo->view()->installEventFilter(filter);
}
