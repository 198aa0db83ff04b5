#include "tickets/AutoComplete.h"

namespace AutoComplete {

namespace {

EditState caretAtEnd(const QString &text) { return {text, text.size(), 0}; }

Outcome printable(const EditState &before, QStringView keyText, const FindEntry &find, const EntryText &entryText)
{
    Outcome out;
    // With a selection the typed text is what stands before it: the completion the clerk
    // is typing over goes, and so does anything after it.
    out.typed = before.selectionLength != 0 ? before.text.left(before.caret) : before.text;
    out.typed += keyText;
    out.openList = true;
    out.entry = find(out.typed);
    if (out.entry) {
        const QString shown = entryText(*out.entry);
        out.state = {shown, out.typed.size(), shown.size() - out.typed.size()};
    } else {
        out.state = caretAtEnd(out.typed);
    }
    return out;
}

Outcome control(const EditState &before, char16_t code)
{
    Outcome out;
    // Every control key first drops the selection, leaving the caret where it starts.
    out.state = {before.text, before.caret, 0};
    switch (code) {
    case Backspace: {
        QString text = before.text;
        if (before.selectionLength != 0)
            text.truncate(before.caret);
        else if (!text.isEmpty())
            text.chop(1);
        out.state = caretAtEnd(text);
        break;
    }
    case Enter:
        out.state.caret = before.text.size();
        out.key = Enter;
        break;
    default:
        break;
    }
    return out;
}

} // namespace

std::optional<Outcome> press(const EditState &before, QStringView keyText, const FindEntry &find, const EntryText &entryText)
{
    if (keyText.isEmpty() || before.caret < 0 || before.selectionLength < 0
        || before.caret + before.selectionLength > before.text.size())
        return std::nullopt;
    const char16_t code = keyText.front().unicode();
    if (code < 32)
        return keyText.size() == 1 ? std::optional<Outcome>(control(before, code)) : std::nullopt;
    return printable(before, keyText, find, entryText);
}

std::optional<Outcome> press(const EditState &before, QStringView keyText, const QStringList &entries)
{
    return press(
        before, keyText, [&entries](const QString &typed) { return firstStartingWith(entries, typed); },
        [&entries](qsizetype entry) { return entries.at(entry); });
}

std::optional<qsizetype> firstStartingWith(const QStringList &entries, QStringView typed)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries.at(i).startsWith(typed, Qt::CaseInsensitive))
            return i;
    return std::nullopt;
}

void EntrySearch::setEntries(const QStringList &entries)
{
    m_entries = entries;
    m_typed.reset();
}

void EntrySearch::insert(qsizetype at, const QStringList &entries)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        m_entries.insert(at + i, entries.at(i));
    m_typed.reset();
}

void EntrySearch::remove(qsizetype at, qsizetype count)
{
    m_entries.remove(at, count);
    m_typed.reset();
}

std::optional<qsizetype> EntrySearch::first(const QString &typed)
{
    qsizetype from = 0;
    if (m_typed && typed.startsWith(*m_typed, Qt::CaseInsensitive)) {
        if (!m_found) {
            m_typed = typed;
            return std::nullopt;
        }
        from = *m_found;
    }
    m_typed = typed;
    m_found.reset();
    for (qsizetype i = from; i < m_entries.size(); ++i) {
        if (m_entries.at(i).startsWith(typed, Qt::CaseInsensitive)) {
            m_found = i;
            break;
        }
    }
    return m_found;
}

} // namespace AutoComplete
