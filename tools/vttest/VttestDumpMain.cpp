// vttest-dump FIXTURE... : prints the emulator's and libvterm's dumps after feeding the fixtures in
// order, and marks the rows that differ.
#include "tools/vttest/VttestDump.h"

#include <QFile>
#include <cstdio>

int main(int argc, char **argv) {
    QList<QByteArray> screens;
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        screens << file.readAll();
    }
    if (screens.isEmpty())
        return 1;
    const QStringList orva = DumpOrva(screens).last();
    const QStringList vterm = DumpVterm(screens).last();
    for (int i = 0; i < orva.size(); ++i) {
        const bool same = orva[i] == vterm[i];
        std::printf("%2d%c orva  %s\n", i + 1, same ? ' ' : '*', qPrintable(orva[i]));
        if (!same)
            std::printf("%2d* vterm %s\n", i + 1, qPrintable(vterm[i]));
    }
    return 0;
}
