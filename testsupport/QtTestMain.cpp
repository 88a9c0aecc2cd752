// The main of GoogleTest programs whose cases need Qt's application object: a QApplication for
// widgets, fonts and the clipboard (ORVA_TEST_WIDGETS), else a QCoreApplication for event loops,
// timers and threads that hand work to the main thread.
#include <QCoreApplication>
#include <gtest/gtest.h>

#ifdef ORVA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QCoreApplication;
#endif

#include <cstring>
#include <memory>

int main(int argc, char **argv) {
#ifdef ORVA_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser control's engine needs this before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    // Listing the cases (as ctest does to register each one) needs no application.
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    std::unique_ptr<TestApplication> app;
    if (!listing)
        app = std::make_unique<TestApplication>(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
