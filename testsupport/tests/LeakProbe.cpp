// Leaks on purpose from a timer slot run by Qt's event loop (Core, or Gui's application object),
// so that a test can show the sanitizer's leak check still sees leaks that Qt's frames sit above.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cstring>
#include <memory>

namespace {

char *volatile g_sink = nullptr;

int run(QCoreApplication &app) {
    QTimer::singleShot(0, &app, [&app] {
        g_sink = new char[2048];
        std::memset(g_sink, 1, 2048);
        g_sink = nullptr; // the only pointer is gone: a leak
        app.quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "gui") == 0) {
        QGuiApplication app(argc, argv);
        return run(app);
    }
    QCoreApplication app(argc, argv);
    return run(app);
}
