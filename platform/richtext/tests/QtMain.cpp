// Gives the GoogleTest programs of this folder the Qt application that text layout needs.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "orva_richtext_test";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};
[[maybe_unused]] auto *const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace
