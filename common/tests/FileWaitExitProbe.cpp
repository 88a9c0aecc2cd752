// A program that ends as the client does while a file worker is stuck on a hung share (the FIFO
// named on its command line): it waits for the file, gives up at the deadline, and quits.
#include "common/FileWait.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString path = QApplication::arguments().value(1);
    QTimer::singleShot(0, &app, [path] {
        const auto read = FileWait::Watched(
            path,
            [path] {
                QFile f(path);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            },
            200);
        QApplication::exit(read ? 3 : 0);
    });
    const int code = QApplication::exec();
    return FileWait::LeaveWorkers(code);
}
