#pragma once

#include <QtGlobal>

#include <functional>

// Told how far a long output has come: how many pages or rows of it are done. Returning
// false cancels the output, which then writes nothing (a file already there stays as it
// was). The caller knows the whole count and what it asked for.
using ReportProgress = std::function<bool(qint64 done)>;

// Rows are told in steps of this many (and at the end), so that telling is never what
// makes a long export slow.
constexpr qint64 reportProgressStep = 500;
