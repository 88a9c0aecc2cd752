// For fuzz targets that draw or lay out text: one offscreen GUI application for the whole run.
#pragma once

#include <QGuiApplication>

inline void ensureOffscreenGuiApp() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}
