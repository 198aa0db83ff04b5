#include "app/Application.h"

#include <QApplication>

namespace Application {

int run(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return 0;
}

} // namespace Application
