// The settings file over a small form: defaults made once from the built-in values, which stored
// values count, radio groups restored with exactly one button on, the crop's edges, reset, and the
// ini text itself.
#include "effects/dialog/EffectSettings.h"
#include "effects/dialog/TIniFile.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace orva::effects;

namespace {

struct Form {
    QWidget root;
    QLineEdit *edit = new QLineEdit(QStringLiteral("10"), &root);
    QCheckBox *check = new QCheckBox(&root);
    QGroupBox *group = new QGroupBox(&root);
    QRadioButton *a = new QRadioButton(group);
    QRadioButton *b = new QRadioButton(group);
    Form() {
        edit->setObjectName(QStringLiteral("BlurEdit"));
        check->setObjectName(QStringLiteral("Smear"));
        a->setObjectName(QStringLiteral("jgSine"));
        b->setObjectName(QStringLiteral("jgTriangle"));
        a->setChecked(true);
        check->setChecked(true);
    }
    TEffectColours colours{Qt::red, Qt::green, Qt::blue};
};

QByteArray readAll(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeText(const QString &path, const QByteArray &text) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
}

} // namespace

class EffectSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const char *name) const {
        return m_dir.filePath(QString::fromLatin1(name) + "/IFiltSet.Ini");
    }

private slots:
    void firstUseWritesOnlyTheBuiltInDefaults() {
        Form f;
        const TControlValues builtIn = CaptureControls(&f.root, f.colours);
        f.edit->setText(QStringLiteral("55"));
        TEffectSettingsState state;
        const QString file = path("first");
        QVERIFY(EffectSettings(TSettingsMode::Load, file, &f.root, builtIn, state));
        const QByteArray text = readAll(file);
        QVERIFY(text.contains("[DEF_FL_EDIT]\nBlurEdit=10\n"));
        QVERIFY(text.contains("[DEF_FL_CHECK]\nSmear=1\n"));
        QVERIFY(text.contains("[DEF_FL_RADIO]\njgSine=1\njgTriangle=0\n"));
        QVERIFY2(text.contains("BackGroundColor=255\n"), "red as a Windows colour value");
        QVERIFY(!text.contains("[FL_"));
        QCOMPARE(f.edit->text(), QStringLiteral("55"));
        QVERIFY(state.Page.isEmpty());
        QVERIFY(!state.Crop[0]);
        const QFileDevice::Permissions folder = QFileInfo(QFileInfo(file).absolutePath()).permissions();
        QVERIFY(!(folder & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther)));
    }

    void storedValuesCountOnlyWhenThere() {
        Form f;
        const TControlValues builtIn = CaptureControls(&f.root, f.colours);
        const QString file = path("values");
        QDir().mkpath(QFileInfo(file).absolutePath());
        const struct {
            const char *stored;
            bool checked;
        } cases[] = {{"Smear=1", true}, {"Smear=0", false}, {"Smear=2", false}, {"", false}};
        for (const auto &c : cases) {
            writeText(file, QByteArray("[FL_CHECK]\n") + c.stored + "\n[FL_EDIT]\nBlurEdit=x\n");
            TEffectSettingsState state;
            EffectSettings(TSettingsMode::Load, file, &f.root, builtIn, state);
            QCOMPARE(f.check->isChecked(), c.checked);
            QCOMPARE(f.edit->text(), QStringLiteral("10")); // \"x\" reads as missing
        }
    }

    void radioGroupsEndWithOneButtonOn() {
        Form f;
        const TControlValues builtIn = CaptureControls(&f.root, f.colours);
        const QString file = path("radios");
        QDir().mkpath(QFileInfo(file).absolutePath());
        writeText(file, "[FL_RADIO]\njgSine=0\njgTriangle=1\n");
        TEffectSettingsState state;
        EffectSettings(TSettingsMode::Load, file, &f.root, builtIn, state);
        QVERIFY(!f.a->isChecked());
        QVERIFY(f.b->isChecked());
        QVERIFY(f.a->autoExclusive());
        writeText(file, "[FL_RADIO]\njgSine=0\njgTriangle=0\n");
        EffectSettings(TSettingsMode::Load, file, &f.root, builtIn, state);
        QVERIFY2(f.a->isChecked(), "none stored on: the built-in one");
        QVERIFY(!f.b->isChecked());
    }

    void saveLoadAndReset() {
        Form f;
        const TControlValues builtIn = CaptureControls(&f.root, f.colours);
        const QString file = path("save");
        QColorDialog::setCustomColor(0, QColor(0x14, 0x14, 0x14));
        TEffectSettingsState state;
        state.Colours = {Qt::white, Qt::black, QColor(1, 2, 3)};
        state.Place = {10, 20, 800, 600};
        state.Crop = {10, 20, 300, 400};
        state.Page = QStringLiteral("Wave");
        f.edit->setText(QStringLiteral("33"));
        f.check->setChecked(false);
        f.b->setChecked(true);
        QVERIFY(EffectSettings(TSettingsMode::Save, file, &f.root, builtIn, state));
        const QByteArray text = readAll(file);
        QVERIFY(text.contains("[FL_RUBBERBAND]\nCropX=10\nCropY=20\nCropWidth=300\nCropHeight=400\n"));
        QVERIFY(text.contains("[CustomColors]\n0=ColorA=141414\n"));
        QVERIFY(text.contains("[ActivePage]\nPage=Wave\n"));
        QVERIFY2(text.contains("MaskColor=197121\n"), "0x030201");
        QVERIFY2(text.contains("[DEF_FL_EDIT]\nBlurEdit=10\n"), "defaults are the built-in values");

        Form g;
        TEffectSettingsState loaded;
        QVERIFY(EffectSettings(TSettingsMode::Load, file, &g.root, builtIn, loaded));
        QCOMPARE(g.edit->text(), QStringLiteral("33"));
        QVERIFY(!g.check->isChecked());
        QVERIFY(g.b->isChecked());
        QCOMPARE(*loaded.Crop[2], 300);
        QCOMPARE(*loaded.Place[3], 600);
        QCOMPARE(loaded.Colours.Mask, QColor(1, 2, 3));
        QCOMPARE(loaded.Page, QStringLiteral("Wave"));

        TEffectSettingsState reset;
        reset.Page = QStringLiteral("kept");
        QVERIFY(EffectSettings(TSettingsMode::Reset, file, &g.root, builtIn, reset));
        QCOMPARE(g.edit->text(), QStringLiteral("10"));
        QVERIFY(g.check->isChecked());
        QVERIFY(g.a->isChecked());
        QCOMPARE(reset.Colours.Background, QColor(Qt::red));
        QCOMPARE(reset.Page, QStringLiteral("kept"));
        QVERIFY(!reset.Crop[0]);
    }

    void iniKeepsValuesAsTheyAre() {
        TIniFile ini =
            TIniFile::parse("; note\n[CustomColors]\n0 = ColorA=141414\r\n[Other]\nKey=1\nkey=2\nbroken\n");
        QCOMPARE(ini.readString(QStringLiteral("customcolors"), QStringLiteral("0"), QString()),
                 QStringLiteral("ColorA=141414"));
        QCOMPARE(ini.readInteger(QStringLiteral("Other"), QStringLiteral("KEY"), -1), 2);
        QCOMPARE(ini.readInteger(QStringLiteral("Other"), QStringLiteral("none"), -99999), -99999);
        ini.write(QStringLiteral("New"), QStringLiteral("Text"), QStringLiteral("a\nb"));
        QCOMPARE(
            TIniFile::parse(ini.bytes()).readString(QStringLiteral("New"), QStringLiteral("Text"), QString()),
            QStringLiteral("a b"));
        QCOMPARE(CustomColourLine(15, QColor(0x12, 0x34, 0x56)), QStringLiteral("ColorP=563412"));
        QCOMPARE(ParseCustomColourLine(QStringLiteral("ColorB=563412")),
                 std::optional<QColor>(QColor(0x12, 0x34, 0x56)));
        QVERIFY(!ParseCustomColourLine(QStringLiteral("ColorB=zz")));
    }
};

QTEST_MAIN(EffectSettingsTest)
#include "EffectSettingsTest.moc"
