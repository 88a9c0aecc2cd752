// Gives the GoogleTest programs of this folder the Qt application that text layout needs.
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "orva_report_test";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};
[[maybe_unused]] auto *const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace
