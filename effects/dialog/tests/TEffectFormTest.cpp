// The filters-and-effects dialog offscreen: opened through the viewer's hook, window-modal and
// without a loop of its own; Preview, Apply and Reload; the pending question; closing while an effect
// runs; what each tab passes to its effect; the Color, Borders, Color Palette, Paste Image and
// Transitions tabs; the settings file across two showings.
#include "effects/dialog/TEffectForm.h"
#include "common/testing/RecordingMessages.h"
#include "effects/dialog/TPaletteBox.h"
#include "effects/dialog/TVisPImage.h"
#include "effects/dialog/TVisRubberBand.h"
#include "imaging/core/DllSP96.h"
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/DibConvert.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace orva::effects;
using orva::imageio::DibBlock;
namespace io = orva::imageio;

namespace {

DibBlock picture(int w, int h, int bits) {
    DibBlock d = DibBlock::create(w, h, bits);
    for (int i = 0; i < d.numColors(); ++i)
        d.setColor(i, qRgb(i * 3 % 256, 255 - i, i * 7 % 256));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (bits <= 8) {
                io::setDibIndex(d, x, y, (x + y) % d.numColors());
                continue;
            }
            std::uint8_t *p = d.scanLine(y) + x * (bits / 8);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    return d;
}

io::Bytes bytesOf(const DibBlock &d) {
    return io::Bytes(d.data(), d.data() + d.size());
}

void click(QObject *root, const char *name) {
    auto *b = root->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    b->click();
}

void setText(QObject *root, const char *name, const QString &text) {
    auto *e = root->findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY2(e, name);
    e->setText(text);
}

int sliderValue(QObject *root, const char *name) {
    auto *s = root->findChild<QSlider *>(QLatin1String(name));
    return s ? s->value() : -12345;
}

bool enabled(QObject *root, const char *name) {
    auto *w = root->findChild<QWidget *>(QLatin1String(name));
    return w && w->isEnabled();
}

} // namespace

class TEffectFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    RecordingMessages m_messages;
    int m_forms = 0;

    // A dialog with its settings in a folder of its own and the user's answers stood in for.
    std::unique_ptr<TEffectForm> form(DibBlock dib, const QString &settings = QString()) {
        auto f = std::make_unique<TEffectForm>(m_messages);
        prepare(*f, settings);
        f->EffectDib = std::move(dib);
        f->show();
        return f;
    }

    void prepare(TEffectForm &f, const QString &settings) {
        f.SettingsPath =
            settings.isEmpty() ? m_dir.filePath(QStringLiteral("s%1/IFiltSet.Ini").arg(++m_forms)) : settings;
        f.ChooseColor = [](QWidget *, const QColor &) { return std::optional<QColor>(QColor(10, 20, 30)); };
    }

private slots:
    void initTestCase() {
        // The dialogs opened through the hook keep their settings here, not in the shared test folder.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }

    void init() { m_messages = RecordingMessages(); }

    void openedForTheViewerAndHandsBackTheResult() {
        QWidget viewer;
        viewer.show();
        const DibBlock original = picture(120, 90, 24);
        DibBlock result;
        int handed = 0;
        QPointer<TEffectForm> f =
            TEffectForm::ShowEffects(&viewer, m_messages, original.copy(), [&](DibBlock &&d) {
                result = std::move(d);
                ++handed;
            });
        QVERIFY(f);
        QCOMPARE(f->parentWidget(), &viewer);
        prepare(*f, QString());
        QVERIFY(f->isVisible());
        QCOMPARE(f->windowModality(), Qt::WindowModal);
        QCOMPARE(f->CurrentTab(), QStringLiteral("AutoContrast")); // the first tab without settings
        QCOMPARE(f->Crop(), (TEdges{0, 0, 120, 90}));              // the whole picture without a stored area
        f->ShowTab(QStringLiteral("Invert"));
        f->DoApply();
        QVERIFY(!f->Pending());
        f->CloseAndSave();
        QVERIFY(m_messages.asked.isEmpty());
        QCOMPARE(handed, 1);
        DibBlock inverted = original.copy();
        orva::imaging::SpVisInvert(inverted);
        QCOMPARE(bytesOf(result), bytesOf(inverted));
        QTRY_VERIFY(f.isNull());

        f = TEffectForm::ShowEffects(&viewer, m_messages, original.copy(), [&](DibBlock &&) { ++handed; });
        prepare(*f, QString());
        f->ShowTab(QStringLiteral("Invert"));
        f->DoApply();
        click(f, "CloseNadNotSaveBtn");
        QCOMPARE(handed, 1); // closing without saving hands nothing back
        QTRY_VERIFY(f.isNull());
    }

    void previewsDoNotPileUpAndReloadKeepsThePending() {
        auto f = form(picture(200, 150, 24));
        f->ShowTab(QStringLiteral("Bright"));
        const io::Bytes start = bytesOf(f->PreviewDib());
        setText(f.get(), "BrightEdit", QStringLiteral("50"));
        f->DoPreview();
        setText(f.get(), "BrightEdit", QStringLiteral("100"));
        f->DoPreview();
        DibBlock expected = DibBlock::adopt(start);
        orva::imaging::SpVisBrightness(expected, 100);
        QCOMPARE(bytesOf(f->PreviewDib()), bytesOf(expected));
        QVERIFY(f->Pending());
        QVERIFY(enabled(f.get(), "ReloadimageBtn"));
        f->Reload();
        QCOMPARE(bytesOf(f->PreviewDib()), start);
        QVERIFY2(f->Pending(), "Reload does not clear the pending action");
        f->CloseAndSave();
        QCOMPARE(m_messages.asked,
                 QStringList{QStringLiteral(
                     "Confirm|There is still an action pending. Are you sure you want to exit ?")});
        QVERIFY2(f->isVisible(), "No keeps the dialog open");
        m_messages.replies = {UserMessages::Answer::Yes};
        f->CloseAndSave();
        QVERIFY(!f->isVisible());
        QCOMPARE(f->result(), int(QDialog::Accepted));
    }

    // Bright adds the amount to every channel and Dark takes it away, each clipped to 0..255: the
    // expected bytes come from the test picture's own formula, not from the effect routine.
    void brightAndDarkMoveEveryChannelByTheAmount() {
        const struct {
            const char *tab;
            const char *edit;
            int delta;
        } rows[] = {{"Bright", "BrightEdit", 60}, {"Dark", "DarkEdit", -60}};
        for (const auto &row : rows) {
            auto f = form(picture(40, 30, 24));
            f->ShowTab(QLatin1String(row.tab));
            setText(f.get(), row.edit, QString::number(qAbs(row.delta)));
            click(f.get(), "ApplyBtn");
            QTRY_VERIFY(!f->Running());
            const DibBlock &d = f->EffectDib;
            QCOMPARE(d.bitCount(), 24);
            const auto moved = [&](int v) { return std::clamp(v + row.delta, 0, 255); };
            for (int y = 0; y < 30; ++y) {
                const std::uint8_t *p = d.scanLine(y);
                for (int x = 0; x < 40; ++x, p += 3) {
                    const int want[3] = {moved(x), moved(y), moved(x + y)};
                    if (p[0] != want[0] || p[1] != want[1] || p[2] != want[2])
                        QFAIL(qPrintable(QStringLiteral("%1 at %2,%3: %4 %5 %6, want %7 %8 %9")
                                             .arg(row.tab)
                                             .arg(x)
                                             .arg(y)
                                             .arg(p[0])
                                             .arg(p[1])
                                             .arg(p[2])
                                             .arg(want[0])
                                             .arg(want[1])
                                             .arg(want[2])));
                }
            }
        }
    }

    void applyUsesTheCropClippedToThePicture() {
        const DibBlock source = picture(200, 150, 24);
        auto f = form(source.copy());
        f->ShowTab(QStringLiteral("Gray Area"));
        f->SetCrop(TEdges{-20, -10, 50, 40});
        f->DoApply();
        for (int y = 0; y < 150; y += 7)
            for (int x = 0; x < 200; x += 7) {
                const QRgb p = io::dibPixel(f->EffectDib, x, y);
                if (x < 50 && y < 40)
                    QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
                else
                    QCOMPARE(p, io::dibPixel(source, x, y));
            }
    }

    void closingWhileAnEffectRunsWaitsForIt() {
        auto f = form(picture(300, 240, 24));
        f->ShowTab(QStringLiteral("Warp"));
        setText(f.get(), "wrpStepsEdit", QStringLiteral("200"));
        const io::Bytes before = bytesOf(f->EffectDib);
        bool triedWhileRunning = false;
        QTimer::singleShot(0, f.get(), [&] {
            triedWhileRunning = f->Running();
            f->close();
            f->reject();
        });
        f->DoApply();
        QVERIFY(triedWhileRunning);
        QVERIFY(!f->Running());
        QVERIFY2(!f->isVisible(), "closed once the effect had stopped");
        QCOMPARE(f->result(), int(QDialog::Rejected));
        QCOMPARE(bytesOf(f->EffectDib), before); // the stopped effect left the picture
    }

    void tabsPassTheirControlsInTheBindingsOrder() {
        auto f = form(picture(100, 80, 24));
        f->ShowTab(QStringLiteral("Page Curl"));
        for (const char *n : {"C_Trans", "B_CUBC", "B_CBC", "C_RB", "C_OV"})
            click(f.get(), n);
        click(f.get(), "CShade");
        TEffectCall c = f->GatherCall();
        const QList<double> curl{0, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0, 4};
        QCOMPARE(c.Values, curl);

        f->ShowTab(QStringLiteral("Mosaic"));
        click(f.get(), "btnType");
        click(f.get(), "MosSur2");
        c = f->GatherCall();
        QCOMPARE(c.Values.mid(5, 3), (QList<double>{1, 0, 1}));
        QCOMPARE(f->findChild<QWidget *>(QStringLiteral("msTypeGroup"))->property("title").toString(),
                 QStringLiteral("Squares"));

        f->ShowTab(QStringLiteral("Color"));
        click(f.get(), "R3");
        QCOMPARE(f->GatherCall().Values.value(2), 2.0);

        f->SetCrop(TEdges{10, 20, 60, 70});
        f->ShowTab(QStringLiteral("Motion Blur"));
        QVERIFY(!f->SelectionShown());
        QCOMPARE(f->GatherCall().Area, (TEdges{10, 20, 60, 70}));

        f->ShowTab(QStringLiteral("Hue and Saturation"));
        click(f.get(), "rRed");
        QCOMPARE(sliderValue(f.get(), "hsHueBar"), 60);
        c = f->GatherCall();
        QCOMPARE(c.Values.mid(0, 6), (QList<double>{1, 0, 0, 0, 0, 0}));
        QCOMPARE(c.Values.mid(6), (QList<double>{0, 0, 0}));
        click(f.get(), "a3col");
        QCOMPARE(sliderValue(f.get(), "hsHueBar"), 180);

        f->ShowTab(QStringLiteral("HalfTone"));
        QCOMPARE(f->findChild<QLineEdit *>(QStringLiteral("htAngleEdit"))->text(), QStringLiteral("45.00"));
        setText(f.get(), "htAngleEdit", QStringLiteral("12.34"));
        QCOMPARE(sliderValue(f.get(), "htAngleBar"), 123);
        QCOMPARE(f->GatherCall().Values, (QList<double>{4, 5, 12.3}));

        setText(f.get(), "BleedEdit", QStringLiteral("300"));
        QCOMPARE(sliderValue(f.get(), "BleedBar"), 255);
        QLineEdit *bleed = f->findChild<QLineEdit *>(QStringLiteral("BleedEdit"));
        QCOMPARE(bleed->text(), QStringLiteral("255"));
        QTest::keyClick(bleed, Qt::Key_A);
        QCOMPARE(bleed->text(), QStringLiteral("255")); // letters do not enter a number box

        f->ShowTab(QStringLiteral("no such tab"));
        QCOMPARE(f->CurrentTab(),
                 QStringLiteral("Bleed")); // a menu item without its tab shows the second tab
    }

    void enablingFollowsTheTabAndThePicture() {
        auto f = form(picture(100, 80, 24));
        f->ShowTab(QStringLiteral("Borders"));
        QVERIFY(!enabled(f.get(), "PreviewBtn"));
        QVERIFY(!enabled(f.get(), "ApplyBtn"));
        QVERIFY(!f->SelectionShown());
        f->findChild<QComboBox *>(QStringLiteral("brShapeCombo"))->setCurrentIndex(5);
        QVERIFY(enabled(f.get(), "ApplyBtn"));
        const io::Bytes before = bytesOf(f->EffectDib);
        f->DoApply();
        // The ellipse is transparent in the window's colour: its middle keeps the picture, the corner is
        // black.
        QCOMPARE(io::dibPixel(f->EffectDib, 50, 40), io::dibPixel(DibBlock::adopt(before), 50, 40));
        QCOMPARE(io::dibPixel(f->EffectDib, 0, 0), qRgb(0, 0, 0));

        f->ShowTab(QStringLiteral("Color"));
        auto *million = f->findChild<QCheckBox *>(QStringLiteral("MillionColors"));
        QVERIFY(!million->isChecked());
        QVERIFY(!million->isEnabled());
        QCOMPARE(f->findChild<QLabel *>(QStringLiteral("ColorInfoLabel"))->text(),
                 QStringLiteral("Current displayed image has milions of colors"));
        setText(f.get(), "crColorsEdit", QStringLiteral("16"));
        f->DoApply();
        QCOMPARE(f->EffectDib.bitCount(), 4);
        QVERIFY(million->isEnabled());
        click(f.get(), "MillionColors");
        QVERIFY(!enabled(f.get(), "crColorsBar"));
        f->DoApply();
        QCOMPARE(f->EffectDib.bitCount(), 24);

        f->ShowTab(QStringLiteral("Blur"));
        QVERIFY(f->SelectionShown());
        QVERIFY(enabled(f.get(), "ResetRubberbandBtn"));
        click(f.get(), "HSRubberband");
        QVERIFY(!f->SelectionShown());
        QCOMPARE(f->findChild<QAbstractButton *>(QStringLiteral("HSRubberband"))->text(),
                 QStringLiteral("Show Selection"));
    }

    void colourTabDithersAndReducesPalettePictures() {
        // A gray ramp across the picture: at two colours an ordered dither mixes black and white down
        // each middle column, where picking the nearest colour gives one colour a column.
        DibBlock ramp = DibBlock::create(64, 16, 24);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x)
                std::fill_n(ramp.scanLine(y) + x * 3, 3, static_cast<std::uint8_t>(x * 4));
        auto bayer = form(ramp.copy());
        bayer->ShowTab(QStringLiteral("Color"));
        click(bayer.get(), "R1");
        setText(bayer.get(), "crColorsEdit", QStringLiteral("2"));
        click(bayer.get(), "ApplyBtn");
        QCOMPARE(bayer->EffectDib.bitCount(), 1);
        int mixedColumns = 0;
        for (int x = 0; x < 64; ++x) {
            QSet<QRgb> column;
            for (int y = 0; y < 16; ++y)
                column.insert(io::dibPixel(bayer->EffectDib, x, y));
            mixedColumns += column.size() > 1;
        }
        QVERIFY2(mixedColumns >= 8, qPrintable(QString::number(mixedColumns)));

        // "GrayScale" gives a gray picture, whatever the colours were.
        auto gray = form(picture(64, 48, 24));
        gray->ShowTab(QStringLiteral("Color"));
        click(gray.get(), "R4");
        setText(gray.get(), "crColorsEdit", QStringLiteral("16"));
        click(gray.get(), "ApplyBtn");
        QCOMPARE(gray->EffectDib.bitCount(), 4);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const QRgb c = io::dibPixel(gray->EffectDib, x, y);
                QVERIFY2(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c), qPrintable(QString::number(c, 16)));
            }

        // Palette pictures keep their depth when they are given fewer colours: an 8-bit picture at the
        // default 255, a 4-bit one at 3 to 16.
        struct Case {
            int bits, colours;
        } cases[] = {{8, 255}, {4, 3}, {4, 8}, {4, 16}};
        for (const Case &c : cases) {
            auto f = form(picture(256, 4, c.bits));
            f->ShowTab(QStringLiteral("Color"));
            setText(f.get(), "crColorsEdit", QString::number(c.colours));
            click(f.get(), "ApplyBtn");
            QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join(QLatin1Char('\n'))));
            QCOMPARE(f->EffectDib.bitCount(), c.bits);
            QSet<QRgb> used;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 256; ++x)
                    used.insert(io::dibPixel(f->EffectDib, x, y));
            QVERIFY2(used.size() <= c.colours, qPrintable(QString::number(used.size())));
        }
    }

    void bandReportsBecomeTheCrop() {
        auto f = form(picture(400, 300, 24));
        f->ShowTab(QStringLiteral("Blur"));
        TVisPImage *preview = f->Preview();
        const int w = preview->width(), h = preview->height();
        QVERIFY(w > 20 && h > 20);
        f->RubberBand()->SetRect(0, 0, w / 2, h / 2);
        QCOMPARE(f->Crop(), ScaleEdges(TEdges{0, 0, w / 2, h / 2}, w, h, 400, 300));
        f->ResetSelection();
        QCOMPARE(f->Crop(), (TEdges{0, 0, 400, 300}));
        f->resize(f->width() + 50, f->height() + 30);
        QCOMPARE(f->Crop(), (TEdges{0, 0, 400, 300})); // a resize refits the band, the crop stays
    }

    void settingsComeBackAtTheNextShowing() {
        const QString settings = m_dir.filePath(QStringLiteral("shared/IFiltSet.Ini"));
        {
            auto f = form(picture(200, 150, 24), settings);
            f->ShowTab(QStringLiteral("Wave"));
            setText(f.get(), "BlurEdit", QStringLiteral("7"));
            click(f.get(), "Refl");
            f->SetCrop(TEdges{10, 20, 100, 120});
        }
        QFile file(settings);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("BlurEdit=7"));
        QVERIFY(text.contains("CropWidth=100"));
        file.close();
        {
            auto f = form(picture(200, 150, 24), settings);
            QCOMPARE(sliderValue(f.get(), "BlurBar"), 7);
            QVERIFY(f->findChild<QCheckBox *>(QStringLiteral("Refl"))->isChecked());
            QCOMPARE(f->CurrentTab(), QStringLiteral("Wave"));
            QCOMPARE(f->Crop(), (TEdges{10, 20, 100, 120}));
            f->ResetToDefault();
            QCOMPARE(sliderValue(f.get(), "BlurBar"), 1);
            QCOMPARE(f->Crop(), (TEdges{10, 20, 100, 120})); // reset keeps the area
            for (QAction *a : f->findChildren<QAction *>())
                if (a->text() == QLatin1String("Save settings on exit"))
                    a->setChecked(false);
        }
        QVERIFY2(!QFile::exists(settings), "not saving on exit deletes the file");
        {
            // An area stored for a larger picture is cut to this one.
            QDir().mkpath(QFileInfo(settings).absolutePath());
            QFile out(settings);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("[FL_RUBBERBAND]\nCropX=-50\nCropY=10\nCropWidth=99999\nCropHeight=60\n");
            out.close();
            auto f = form(picture(200, 150, 24), settings);
            QCOMPARE(f->Crop(), (TEdges{0, 10, 200, 60}));
        }
    }

    void paletteToolsWorkOnTheFullPicture() {
        auto f = form(picture(60, 40, 8));
        f->ShowTab(QStringLiteral("Color Palette"));
        QVERIFY(!enabled(f.get(), "ApplyBtn"));
        QVERIFY(f->Preview()->Dib() == &f->EffectDib);
        f->SelectPaletteEntry(3);
        f->findChild<QSlider *>(QStringLiteral("PaletteRedBar"))->setValue(200);
        QCOMPARE(qRed(f->EffectDib.color(3)), 200);
        f->SelectPaletteEntry(9999);
        // A click on the preview picks the entry of the pixel under it.
        const QPoint at(f->Preview()->width() / 3, f->Preview()->height() / 2);
        const QPoint pixel = f->Preview()->ImagePoint(at);
        QTest::mouseClick(f->Preview(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f->findChild<TPaletteBox *>()->Selected(), io::dibIndex(f->EffectDib, pixel.x(), pixel.y()));
        const QString file = m_dir.filePath(QStringLiteral("saved.VPL"));
        m_messages.chosenFiles = {m_dir.filePath(QStringLiteral("saved")), file};
        f->RunPaletteAction(3);
        QCOMPARE(QFileInfo(file).size(), qint64(1047));
        f->RunPaletteAction(0);
        for (int i = 0; i < f->EffectDib.numColors(); ++i) {
            const QRgb c = f->EffectDib.color(i);
            QVERIFY(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
        }
        f->RunPaletteAction(2);
        QCOMPARE(qRed(f->EffectDib.color(3)), 200); // the saved palette came back, pixels unchanged
        f->ShowTab(QStringLiteral("Blur"));
        QVERIFY(f->Preview()->Dib() != &f->EffectDib);

        QCOMPARE(m_messages.fileDialogs.first(),
                 QStringLiteral("save|Save Palette||Vistrane 3.0 Palette (*.VPL *.vpl)"));
        auto rgb = form(picture(60, 40, 24));
        rgb->ShowTab(QStringLiteral("Color Palette"));
        QVERIFY(rgb->findChild<QLabel *>(QStringLiteral("PaletteNotice"))->isVisible());
        QVERIFY(!enabled(rgb.get(), "PaletteTools"));
    }

    void paletteFilesThatFailAreToldAndChangeNothing() {
        auto f = form(picture(60, 40, 8));
        f->ShowTab(QStringLiteral("Color Palette"));
        const QVector<QRgb> before = f->EffectDib.colorTable();
        auto *action = f->findChild<QComboBox *>(QStringLiteral("PaletteActionCombo"));
        auto *apply = f->findChild<QPushButton *>(QStringLiteral("PaletteApplyBtn"));
        QVERIFY(action && apply);
        action->setCurrentIndex(3);
        m_messages.chosenFiles = {m_dir.filePath(QStringLiteral("no/such/folder/x.VPL"))};
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(m_messages.shown, QStringList{QStringLiteral("Filters and Effects|Could not create file!")});
        // A missing palette file is passed over without a word.
        action->setCurrentIndex(2);
        m_messages.chosenFiles = {m_dir.filePath(QStringLiteral("missing.VPL"))};
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(f->EffectDib.colorTable(), before);
    }

    void pastedPictureIsDroppedOnTheArea() {
        const QString png = m_dir.filePath(QStringLiteral("paste.png"));
        QImage red(20, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(png));
        const DibBlock source = picture(200, 150, 24);
        auto f = form(source.copy());
        f->ShowTab(QStringLiteral("Paste Image"));
        QVERIFY(!enabled(f.get(), "PreviewBtn"));
        QVERIFY(f->LoadPasteFile(png));
        QVERIFY(!f->PasteDib().isNull());
        QVERIFY(!f->LoadPasteFile(m_dir.filePath(QStringLiteral("none.png"))));
        QVERIFY(f->PasteDib().isNull());
        QVERIFY(f->LoadPasteFile(png));
        f->SetCrop(TEdges{190, 140, 150, 100});
        f->DoApply();
        QCOMPARE(io::dibPixel(f->EffectDib, 170, 120), qRgb(255, 0, 0));
        QCOMPARE(io::dibPixel(f->EffectDib, 140, 90), io::dibPixel(source, 140, 90));
        QCOMPARE(io::dibPixel(f->EffectDib, 199, 149), io::dibPixel(source, 199, 149));
    }

    void transitionsPlayOnThePreviewAndEnd() {
        auto f = form(picture(120, 90, 24));
        f->ShowTab(QStringLiteral("Transitions"));
        QVERIFY(!enabled(f.get(), "ApplyBtn"));
        setText(f.get(), "trDelayEdit", QStringLiteral("1"));
        click(f.get(), "FXD");
        QVERIFY(f->Preview()->Transition().isActive());
        QTRY_VERIFY_WITH_TIMEOUT(!f->Preview()->Transition().isActive(), 5000);
        QCOMPARE(f->Preview()->Transition().frame(),
                 io::dibToQImage(f->PreviewDib()).convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TEffectFormTest)
#include "TEffectFormTest.moc"
