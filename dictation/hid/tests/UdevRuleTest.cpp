// The udev rule that lets the person at the desk open the pedal and the microphone must grant no
// more than the code takes: the microphone models by vendor, product id and release number exactly
// as the code's table has them, the pedal by its product string exactly (in any case), and nothing
// else.
#include "dictation/hid/TDictationMic.h"
#include "dictation/hid/TUsbFootPedal.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using Rule = QMap<QString, QString>; // key (with its operator) -> value

QList<Rule> readRules() {
    QFile f(qEnvironmentVariable("ORVA_SOURCE_DIR") + "/resources/udev/70-orva-dictation.rules");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression pair(
        R"re(([A-Za-z_]+(?:\{[^}]*\})?)\s*(==|!=|\+=|-=|:=|=)\s*"([^"]*)")re");
    QList<Rule> rules;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        Rule rule;
        for (auto it = pair.globalMatch(line); it.hasNext();) {
            const auto m = it.next();
            rule.insert(m.captured(1) + m.captured(2), m.captured(3));
        }
        rules.append(rule);
    }
    return rules;
}

bool grantsAccess(const Rule &rule) {
    for (auto it = rule.begin(); it != rule.end(); ++it) {
        if ((it.key() == "TAG+=" && it.value() == "uaccess") || it.key().startsWith("MODE") ||
            it.key().startsWith("GROUP") || it.key().startsWith("OWNER"))
            return true;
    }
    return false;
}

QString hex4(quint16 value) {
    return QString::number(value, 16).rightJustified(4, '0'); // as sysfs shows the ids: lower case
}

} // namespace

TEST(UdevRule, GrantsTheMicrophoneModelsOfTheCodeAndThePedalByItsExactName) {
    const QList<Rule> rules = readRules();
    ASSERT_FALSE(rules.isEmpty()) << "rules file not found or empty";

    QStringList expectedModels; // "vendor:product:release"
    for (const TDictationMic::Model &m : TDictationMic::kModels)
        expectedModels.append(hex4(TDictationMic::kVendorID) + ':' + hex4(m.ProductID) + ':' +
                              hex4(m.VersionNumber));

    QStringList grantedModels;
    int pedalRules = 0;
    for (const Rule &rule : rules) {
        if (!grantsAccess(rule))
            continue;
        EXPECT_EQ(rule.value("SUBSYSTEM=="), "hidraw") << "access granted beyond the hidraw nodes";
        if (rule.contains("ATTRS{idVendor}==")) {
            EXPECT_FALSE(rule.contains("ATTRS{product}=="));
            grantedModels.append(rule.value("ATTRS{idVendor}==") + ':' + rule.value("ATTRS{idProduct}==") +
                                 ':' + rule.value("ATTRS{bcdDevice}=="));
            continue;
        }
        ASSERT_TRUE(rule.contains("ATTRS{product}==")) << "a rule grants access without naming a device";
        ++pedalRules;
        const QString glob = rule.value("ATTRS{product}==");
        EXPECT_FALSE(glob.contains('*') || glob.contains('?')) << "the pedal's name is matched loosely";
        const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(glob));
        const QString name = QString::fromLatin1(TUsbFootPedal::kProductString);
        for (const QString &same : {name, name.toUpper(), name.toLower()})
            EXPECT_TRUE(pattern.match(same).hasMatch()) << same.toStdString();
        for (const QString &other : {name + ' ', name.left(name.size() - 1), QString(name).replace(' ', '_')})
            EXPECT_FALSE(pattern.match(other).hasMatch()) << other.toStdString();
    }
    grantedModels.sort();
    expectedModels.sort();
    EXPECT_EQ(grantedModels.join(' ').toStdString(), expectedModels.join(' ').toStdString());
    EXPECT_EQ(pedalRules, 1);
}
