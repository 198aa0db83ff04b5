#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the busy pointer for as long as it lives; the normal pointer comes back on every
// path out of the scope, errors included.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
