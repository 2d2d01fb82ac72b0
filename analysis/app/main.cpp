// Orvane, the desktop program for microarray slide scans.
#include <QApplication>

#include "app/orvane_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    orvane::COrvaneApp app;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!app.InitInstance(arguments)) return app.exitCode();
    return QApplication::exec();
}
