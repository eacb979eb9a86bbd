// Program entry: the application and its main window.
#include "foundation/CustomUtilities.h"
#include "ui/QtModalInteraction.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ventrel1.1"));
    InitialiseProcess();
    TQtModalInteraction interaction;
    InstallModalInteraction(&interaction);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Ventrel 1.1"));
    window.resize(769, 648);
    window.show();
    return app.exec();
}
