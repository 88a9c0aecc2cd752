// Program entry.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orva 4.1"));
    QWidget w;
    w.show();
    return app.exec();
}
