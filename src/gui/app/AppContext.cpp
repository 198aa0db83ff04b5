#include "app/AppContext.h"

AppContext &appContext()
{
    static AppContext context;
    return context;
}
