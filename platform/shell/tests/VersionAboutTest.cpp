// The version strings and the about box built from them.
#include "platform/shell/TZebVersionInfo.h"
#include "platform/shell/TfrmHelpAbout.h"
#include "testsupport/UserDriver.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

TEST(TZebVersionInfo, LooksUpByIndexAndName) {
    const TZebVersionInfo info;
    const QString product = QStringLiteral(ORVA_EXPECTED_VERSION);
    const QString file = product + QStringLiteral(".") + QStringLiteral(ORVA_EXPECTED_BUILD);
    const struct {
        int index;
        QString expected;
    } cases[] = {{10, product}, {3, file}, {12, QString()}, {-1, QString()}, {0, QString()}};
    for (const auto &c : cases) {
        EXPECT_EQ(info.StringValue(c.index), c.expected) << c.index;
    }
    EXPECT_EQ(info.StringValue(QStringLiteral("ProductVersion")), product);
    EXPECT_EQ(info.StringValue(QStringLiteral("NoSuchName")), QString());
    EXPECT_TRUE(product.startsWith(QStringLiteral("4.1.")));
}

TEST(TZebVersionInfo, AnotherFileHasNoInformation) {
    TZebVersionInfo info;
    info.setFileName(QStringLiteral("/usr/bin/true"));
    EXPECT_FALSE(info.HasInformation());
    EXPECT_EQ(info.StringValue(10), QString());
}

TEST(TfrmHelpAbout, ShowsVersionBuildAndOpenerLines) {
    TfrmHelpAbout box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Orva/Pendra"));
    EXPECT_EQ(child<QLabel>(&box, "lblVersion")->text(), QStringLiteral("Version: " ORVA_EXPECTED_VERSION));
    EXPECT_EQ(child<QLabel>(&box, "lblBuild")->text(),
              QStringLiteral("Build: " ORVA_EXPECTED_VERSION "." ORVA_EXPECTED_BUILD));
    EXPECT_TRUE(child<QPlainTextEdit>(&box, "memAppNames")
                    ->toPlainText()
                    .startsWith(QStringLiteral("Orva: Teminal Emulation")));
    EXPECT_TRUE(box.DynamicLines().isEmpty());
    for (const QString &line :
         HelpAbout::MainWindowLines(QString(), QStringLiteral("lab"), QStringLiteral("/c/orva.inf"))) {
        box.addDynamicLine(line);
    }
    EXPECT_EQ(box.DynamicLines(), (QStringList{QStringLiteral("Primary Image Server : <not assigned>"),
                                               QStringLiteral("Primary Host: lab"),
                                               QStringLiteral("Configuration File: /c/orva.inf")}));
    EXPECT_EQ(HelpAbout::MainWindowLines(QStringLiteral("//srv/img"), QString(), QString()).first(),
              QStringLiteral("Primary Image Server : //srv/img"));
}
