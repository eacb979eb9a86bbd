// Program entry: the application, the main window, the graph parameter
// dialogs and the about box, and the message loop.
#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"
#include "ui/AboutButtonFrame.h"
#include "ui/AboutForm.h"
#include "ui/MainForm.h"
#include "ui/ModalInteraction.h"
#include "ui/QtModalInteraction.h"
#include "ui/SkewTGraphParametersForm.h"
#include "ui/StdGraphParametersForm.h"
#include "ui/TimeGraphParametersForm.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <exception>

namespace {

// The default error display: an exception that no handler took is shown to
// the operator, and the program carries on.
class TVentrelApplication : public QApplication
{
  public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const EVentrelError &e) {
            ModalInteraction().ShowError(e.Message());
        } catch (const std::exception &e) {
            ModalInteraction().ShowError(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    TVentrelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ventrel1.1"));
    // Installed, the window goes with its menu entry: the desktop's name for
    // the program and its icon from the icon theme (none in a build folder).
    QGuiApplication::setDesktopFileName(QStringLiteral(VENTREL_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VENTREL_APP_ID)));
    InitialiseProcess();
    TQtModalInteraction interaction;
    InstallModalInteraction(&interaction);

    TfrmMain window;
    TfrmStdGraphParameters standardParameters(&window);
    TfrmSkewTGraphParameters skewTParameters(&window);
    TfrmTimeGraphParameters timeParameters(&window);
    TfrmAbout about(&window);
    window.SetParameterDialogs(&standardParameters, &skewTParameters, &timeParameters);
    TfraAboutButton::SetSharedAboutForm(&about);

    window.show();
    // Once the window is up: the question of an interrupted run is its own.
    QTimer::singleShot(0, &window, [&window] { window.OfferInterruptedRun(); });
    const int result = app.exec();

    TfraAboutButton::SetSharedAboutForm(nullptr);
    window.SetParameterDialogs(nullptr, nullptr, nullptr);
    InstallModalInteraction(nullptr);
    return result;
}
