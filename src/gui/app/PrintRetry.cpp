#include "app/PrintRetry.h"

#include "app/BusyCursor.h"
#include "app/MessageBox.h"

namespace PrintRetry {

bool run(QWidget *screen, const std::function<bool()> &print)
{
    for (;;) {
        bool printed = false;
        {
            BusyCursor busy;
            printed = print();
        }
        if (printed)
            return true;
        if (!MessageBox::askYesNo(screen, QStringLiteral("There was an error printing the Ticket. Would you like to retry?"),
                                  QStringLiteral("Error Printing")))
            return false;
    }
}

} // namespace PrintRetry
