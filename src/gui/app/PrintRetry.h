#pragma once

#include <functional>

class QWidget;

namespace PrintRetry {

// Prints a stored ticket or receipt, with the busy pointer on while it prints. When
// printing fails the clerk is asked "There was an error printing the Ticket. Would you
// like to retry?" ("Error Printing", Yes and No): Yes prints again, as often as the
// clerk asks; No gives up, and the stored row stays stored. Returns whether it printed.
bool run(QWidget *screen, const std::function<bool()> &print);

} // namespace PrintRetry
