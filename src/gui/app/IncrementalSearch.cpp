#include "app/IncrementalSearch.h"

#include "app/AppContext.h"

#include <QComboBox>
#include <QElapsedTimer>

namespace {

double monotonicSeconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.nsecsElapsed() / 1e9;
}

SearchClock &searchClock()
{
    static SearchClock c = monotonicSeconds;
    return c;
}

} // namespace

IncrementalSearchState &incrementalSearchState()
{
    static IncrementalSearchState state;
    return state;
}

void setIncrementalSearchClock(SearchClock c) { searchClock() = c ? std::move(c) : SearchClock(monotonicSeconds); }

void ComboIncrementalSearch(QComboBox *combo, QChar &keyAscii)
{
    IncrementalSearchState &state = incrementalSearchState();
    const double elapsed = searchClock()() - state.LastKeyTime;

    if (state.LastCombo != combo || elapsed >= appContext().company.KeyPressDelay) {
        state.TypedPrefix = QString(keyAscii);
        state.LastCombo = combo;
    } else {
        state.TypedPrefix += keyAscii;
    }

    // findText with MatchStartsWith ignores case and searches from the top.
    const int found = combo->findText(state.TypedPrefix, Qt::MatchStartsWith);
    if (found >= 0)
        combo->setCurrentIndex(found);

    keyAscii = QChar();
    state.LastKeyTime = searchClock()();
}
