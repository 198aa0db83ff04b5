#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QComboBox;

// Type-ahead selection in drop-down lists: keys typed within KeyPressDelay seconds of
// each other form a prefix, and the first entry beginning with it (ignoring case) is
// selected. One state serves every list of the program, so moving to another list, or
// back again, always starts a new prefix.
struct IncrementalSearchState
{
    // Clock reading, in seconds, at the end of the last handled key.
    double LastKeyTime = 0;
    QString TypedPrefix;
    // The list that received the last handled key. A list that has since been closed
    // reads as null, so a new list at the same address is not mistaken for it.
    QPointer<QComboBox> LastCombo;
};

// The program's one search state.
IncrementalSearchState &incrementalSearchState();

// The clock the search measures pauses with: seconds on a monotonic clock, so that
// neither midnight nor a change of the system time matters. Tests put their own in;
// an empty function puts the real one back.
using SearchClock = std::function<double()>;
void setIncrementalSearchClock(SearchClock clock);

// Handles one typed character for the list: extends or restarts the prefix and selects
// the first matching entry (a prefix that matches nothing leaves the selection alone).
// Every character counts, Backspace and Enter included. keyAscii is set to 0: the key
// is consumed and must not reach the list's own key handling.
void ComboIncrementalSearch(QComboBox *combo, QChar &keyAscii);
