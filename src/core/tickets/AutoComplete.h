#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

// The type-ahead rules of an editable drop-down box, kept apart from any widget so that
// they can be checked on their own. Every key typed into the box is given to press()
// before the box acts on it:
// - a printable character extends what the clerk has typed so far (a selected
//   completion and anything after it are dropped; with nothing selected the character
//   goes to the end, wherever the caret stood), the list opens, and the first entry
//   that begins with the typed text, ignoring case, fills the box in its own spelling
//   with the untyped rest selected, so that the next character types over it;
// - Backspace removes a selected completion, or else the last character;
// - Enter puts the caret at the end and is passed on to the box;
// - every other control character (Escape, copy, cut, paste, ...) is cancelled.
namespace AutoComplete {

// What the box shows: its text, the caret (the start of the selection when there is
// one) and the length of the selection, all counted in UTF-16 code units from 0.
struct EditState
{
    QString text;
    qsizetype caret = 0;
    qsizetype selectionLength = 0;

    bool operator==(const EditState &) const = default;
};

constexpr char16_t Backspace = 8;
constexpr char16_t Enter = 13;

struct Outcome
{
    // What the box shows afterwards.
    EditState state;
    // The key the box should then act on: 0 when it is cancelled because the rules have
    // done what it should do; Enter is passed on.
    char16_t key = 0;
    // The list is to be opened (already open stays open).
    bool openList = false;
    // The entry the box now shows, as the finder gave it; none when no entry matched or
    // the list was not searched.
    std::optional<qsizetype> entry;
    // What the clerk has typed, without the completion (printable keys only).
    QString typed;
};

// The first entry, searching from the top, that begins with the typed text ignoring
// case; none when no entry does.
using FindEntry = std::function<std::optional<qsizetype>(const QString &typed)>;
// The text of an entry the finder returned.
using EntryText = std::function<QString(qsizetype entry)>;

// The rules for one key. `keyText` is the key's text: one control character (code below
// 32) or the printable character(s) it types. Nothing when the state is not one a box
// can hold (caret or selection outside the text) or the key has no text: the caller
// then lets the box handle the key itself.
std::optional<Outcome> press(const EditState &before, QStringView keyText, const FindEntry &find, const EntryText &entryText);

// The same over a plain list of entries.
std::optional<Outcome> press(const EditState &before, QStringView keyText, const QStringList &entries);

// The first of `entries` that begins with `typed`, ignoring case.
std::optional<qsizetype> firstStartingWith(const QStringList &entries, QStringView typed);

// The same search over a list that stays in hand, quick for a clerk typing on: an entry
// that begins with a longer typed text begins with the shorter one too, so the search
// for the longer text goes on from where the shorter one was found (and finds nothing
// when the shorter one found nothing). Any change of the entries starts afresh.
class EntrySearch
{
public:
    const QStringList &entries() const { return m_entries; }
    void setEntries(const QStringList &entries);
    void insert(qsizetype at, const QStringList &entries);
    void remove(qsizetype at, qsizetype count);

    std::optional<qsizetype> first(const QString &typed);

private:
    QStringList m_entries;
    // The last search: what was typed and where it was found.
    std::optional<QString> m_typed;
    std::optional<qsizetype> m_found;
};

} // namespace AutoComplete
