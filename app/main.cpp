// Program entry: the application, its title, the main window and the event loop.
#include "app/TOrvaMainForm.h"
#include "common/FileWait.h"
#include "common/LocalPath.h"
#include "imaging/core/DLL96V1.h"

#include <QApplication>

int main(int argc, char **argv) {
    // The host-forms web browser shares its rendering contexts with the rest of the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orva 4.1"));
    // Image files named by the setup file or the host are Windows paths until opened.
    orva::imaging::SetPathMapper(&LocalPath::toLocalPath);
    int code = 0;
    {
        TOrvaMainForm form(QApplication::arguments());
        if (!form.FormCreate()) {
            return 1;
        }
        form.show();
        form.FocusTerminal();
        code = QApplication::exec();
    }
    // A read still waiting on a dead share does not hold the exit up.
    return FileWait::LeaveWorkers(code);
}
