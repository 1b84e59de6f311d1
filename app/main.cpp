#include "app/Form1.h"
#include "app/QtDialogs.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Lets the desktop match the window to its menu entry, for the icon and name in its task list.
    QGuiApplication::setDesktopFileName(QStringLiteral(BRINDLEWICK_APP_ID));
    QtDialogs dialogs;
    DesktopLauncher launcher;
    SystemClock clock;
    SeededRandom random;
    const Services services{dialogs, launcher, clock, random, QCoreApplication::applicationDirPath()};
    Form1 window(services);
    dialogs.setParentWindow(&window);
    window.show();
    // Files given on the command line (a file manager's Open With) load once the window is up.
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (!files.isEmpty())
        QTimer::singleShot(0, &window, [&window, files] { window.loadFromCommandLine(files); });
    return application.exec();
}
