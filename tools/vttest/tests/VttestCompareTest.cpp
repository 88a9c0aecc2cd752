// Compares the emulator with libvterm on every recorded vttest screen, fed alone into a fresh terminal
// and fed in order with the screens before it in its menu. Differences must match the checked-in list
// exactly; VT52 screens (which libvterm lacks) are compared with golden dumps instead.
// ORVA_VTTEST_REGENERATE=1 rewrites the golden dumps.
#include "tools/vttest/VttestDump.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QString sourceDir() {
    return qEnvironmentVariable("ORVA_SOURCE_DIR", QStringLiteral(".")) + "/tools/vttest";
}

// Fixtures by menu ("m01" ...), each in screen order.
QMap<QString, QList<QPair<QString, QByteArray>>> loadFixtures() {
    QMap<QString, QList<QPair<QString, QByteArray>>> menus;
    const QDir dir(sourceDir() + "/fixtures");
    for (const QString &name : dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            menus[name.left(3)].append({name.chopped(4), file.readAll()});
    }
    return menus;
}

// "rows" of a difference: the differing row numbers and "cursor", comma separated.
QString differingKeys(const QStringList &a, const QStringList &b) {
    QStringList keys;
    for (int i = 0; i < kDumpRows; ++i)
        if (a.value(i) != b.value(i))
            keys << QString::number(i + 1);
    if (a.value(kDumpRows) != b.value(kDumpRows))
        keys << QStringLiteral("cursor");
    return keys.join(',');
}

// "fixture mode" -> keys, from the expected-differences list (fixture mode keys reason...).
QMap<QString, QString> loadExpected() {
    QMap<QString, QString> expected;
    QFile file(sourceDir() + "/expected-differences.txt");
    if (!file.open(QIODevice::ReadOnly))
        return expected;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s+")));
        EXPECT_GE(parts.size(), 4) << "entry without a reason: " << line.toStdString();
        if (parts.size() >= 3)
            expected[parts[0] + ' ' + parts[1]] = parts[2];
    }
    return expected;
}

struct Dumps {
    QList<QStringList> orvaAlone, orvaCumulative, vtermAlone, vtermCumulative;
};

Dumps dumpMenu(const QList<QPair<QString, QByteArray>> &screens) {
    Dumps d;
    QList<QByteArray> bytes;
    for (const auto &screen : screens) {
        bytes << screen.second;
        d.orvaAlone << DumpOrva({screen.second}).last();
        d.vtermAlone << DumpVterm({screen.second}).last();
    }
    d.orvaCumulative = DumpOrva(bytes);
    d.vtermCumulative = DumpVterm(bytes);
    return d;
}
} // namespace

TEST(VttestCompare, EveryScreenMatchesLibvtermOrIsAListedDifference) {
    const auto menus = loadFixtures();
    ASSERT_FALSE(menus.isEmpty()) << "no fixtures under " << sourceDir().toStdString();
    const QMap<QString, QString> expected = loadExpected();
    QMap<QString, QString> actual;
    int compared = 0, exact = 0;
    for (auto it = menus.begin(); it != menus.end(); ++it) {
        if (it.key() == "m07")
            continue;
        const Dumps d = dumpMenu(it.value());
        for (int i = 0; i < it.value().size(); ++i) {
            const QString name = it.value()[i].first;
            const QString alone = differingKeys(d.orvaAlone[i], d.vtermAlone[i]);
            const QString cumulative = differingKeys(d.orvaCumulative[i], d.vtermCumulative[i]);
            compared += 2;
            exact += int(alone.isEmpty()) + int(cumulative.isEmpty());
            if (!alone.isEmpty())
                actual[name + " alone"] = alone;
            if (!cumulative.isEmpty())
                actual[name + " cumulative"] = cumulative;
        }
    }
    for (auto it = actual.begin(); it != actual.end(); ++it)
        EXPECT_EQ(expected.value(it.key()), it.value())
            << "new or changed difference: " << it.key().toStdString() << " " << it.value().toStdString();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_TRUE(actual.contains(it.key()))
            << "listed difference no longer shows: " << it.key().toStdString();
    std::printf("vttest comparison: %d of %d dumps match libvterm exactly, %d listed differences\n", exact,
                compared, int(actual.size()));
}

TEST(VttestCompare, Vt52ScreensMatchGoldenDumps) {
    const auto menus = loadFixtures();
    ASSERT_TRUE(menus.contains("m07"));
    const auto &screens = menus["m07"];
    const Dumps d = dumpMenu(screens);
    const bool regenerate = qEnvironmentVariableIntValue("ORVA_VTTEST_REGENERATE") == 1;
    for (int i = 0; i < screens.size(); ++i) {
        for (const auto &[mode, dump] : {std::pair{QStringLiteral("alone"), d.orvaAlone[i]},
                                         std::pair{QStringLiteral("cumulative"), d.orvaCumulative[i]}}) {
            QFile file(sourceDir() + "/golden/" + screens[i].first + "." + mode + ".txt");
            const QByteArray text = dump.join('\n').toUtf8() + '\n';
            if (regenerate) {
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(text);
                continue;
            }
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            EXPECT_EQ(file.readAll().toStdString(), text.toStdString()) << file.fileName().toStdString();
        }
    }
}
