// The tabs of the filters-and-effects dialog: their controls, what each passes to its effect, the
// colours and the Color tab's text.
#include "effects/dialog/TEffectForm.h"

#include "effects/dialog/ShapeImage.h"
#include "effects/dialog/TTrackEdit.h"
#include "effects/dialog/TVisPImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace orva::effects {

namespace {

const QString kSelectArea = QStringLiteral("Select an area and click apply or preview");
const QString kClickApply = QStringLiteral("Click apply or preview");
const QString kWindowColour = QStringLiteral("Use  the color of this window or ");

QGridLayout *gridOf(QWidget *page) {
    return static_cast<QGridLayout *>(page->layout());
}

// The edit box beside a bar is named after it ("BleedBar" -> "BleedEdit").
QString editNameFor(const QString &bar) {
    if (bar.endsWith(QLatin1String("Bar"), Qt::CaseInsensitive))
        return bar.left(bar.size() - 3) + QStringLiteral("Edit");
    return bar + QStringLiteral("Edit");
}

} // namespace

QWidget *TEffectForm::addPage(const QString &caption) {
    auto *page = new QWidget(m_tabs);
    page->setObjectName(QString(caption).remove(QLatin1Char(' ')) + QStringLiteral("Page"));
    auto *grid = new QGridLayout(page);
    grid->setColumnStretch(1, 1);
    m_tabs->addTab(page, caption);
    return page;
}

TTrackEdit *TEffectForm::bar(QWidget *page, const QString &name, const QString &label, int minimum,
                             int maximum, int value, bool decimal, const QString &editName) {
    auto *pairOf = new TTrackEdit(page, name, editName.isEmpty() ? editNameFor(name) : editName, label,
                                  minimum, maximum, value, decimal);
    QGridLayout *grid = gridOf(page);
    const int row = grid->rowCount();
    grid->addWidget(pairOf->Label(), row, 0);
    grid->addWidget(pairOf->Bar(), row, 1);
    grid->addWidget(pairOf->Edit(), row, 2);
    m_pairs.insert(name, pairOf);
    return pairOf;
}

QCheckBox *TEffectForm::check(QWidget *page, const QString &name, const QString &text, bool on) {
    auto *box = new QCheckBox(text, page);
    box->setObjectName(name);
    box->setChecked(on);
    gridOf(page)->addWidget(box, gridOf(page)->rowCount(), 0, 1, 3);
    return box;
}

QGroupBox *TEffectForm::group(QWidget *page, const QString &name, const QString &title) {
    auto *box = new QGroupBox(title, page);
    box->setObjectName(name);
    new QVBoxLayout(box);
    gridOf(page)->addWidget(box, gridOf(page)->rowCount(), 0, 1, 3);
    return box;
}

QRadioButton *TEffectForm::radio(QGroupBox *box, const QString &name, const QString &text, bool on) {
    auto *r = new QRadioButton(text, box);
    r->setObjectName(name);
    r->setChecked(on);
    box->layout()->addWidget(r);
    return r;
}

QPushButton *TEffectForm::button(QWidget *page, const QString &name, const QString &text) {
    auto *b = new QPushButton(text, page);
    b->setObjectName(name);
    gridOf(page)->addWidget(b, gridOf(page)->rowCount(), 0, 1, 2);
    return b;
}

QFrame *TEffectForm::sample(QWidget *page, int which) {
    auto *f = new QFrame(page);
    f->setObjectName(QStringLiteral("ColourSample%1_%2").arg(which).arg(m_samples[which].size()));
    f->setFrameShape(QFrame::Box);
    f->setMinimumSize(40, 20);
    f->setAutoFillBackground(true);
    m_samples[which].append(f);
    return f;
}

void TEffectForm::colourButton(QWidget *page, const QString &name, const QString &text, int which) {
    QPushButton *b = button(page, name, text);
    m_colourButtons[which].append(b);
    connect(b, &QPushButton::clicked, this, [this, which] { chooseColour(which); });
    QGridLayout *grid = gridOf(page);
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(b), &row, &column, &rowSpan, &columnSpan);
    grid->addWidget(sample(page, which), row, 2);
}

void TEffectForm::notice(QWidget *page, const QString &text, const QString &helpTopic) {
    auto *label = new QLabel(text, page);
    label->setWordWrap(true);
    gridOf(page)->addWidget(label, gridOf(page)->rowCount(), 0, 1, 3);
    if (helpTopic.isEmpty())
        return;
    QPushButton *help = button(page, helpTopic + QStringLiteral("HelpBtn"), QStringLiteral("Help"));
    connect(help, &QPushButton::clicked, this, [this, helpTopic] { openHelp(helpTopic); });
    m_helpButtons.append(help);
}

void TEffectForm::buildTabs() {
    for (const QString &caption : TabCaptions()) {
        QWidget *p = addPage(caption);
        if (caption == QLatin1String("AutoContrast")) {
            notice(p, kSelectArea, QStringLiteral("Auto_Contrast"));
        } else if (caption == QLatin1String("Bleed")) {
            bar(p, QStringLiteral("BleedBar"), QStringLiteral("Bleed"), -255, 255, 0);
        } else if (caption == QLatin1String("Borders")) {
            auto *shapes = new QComboBox(p);
            shapes->setObjectName(QStringLiteral("brShapeCombo"));
            shapes->addItems(ShapeImage::ShapeNames());
            gridOf(p)->addWidget(new QLabel(QStringLiteral("Shape"), p), 0, 0);
            gridOf(p)->addWidget(shapes, 0, 1, 1, 2);
            connect(shapes, &QComboBox::currentIndexChanged, this, &TEffectForm::updateBordersTab);
            bar(p, QStringLiteral("brEdgeBar"), QStringLiteral("Edge size"), 1, 100, 1);
            bar(p, QStringLiteral("brAngleBar"), QStringLiteral("Angle"), 0, 360, 90);
            bar(p, QStringLiteral("brVectorsBar"), QStringLiteral("Vectors"), 1, 100, 10);
            bar(p, QStringLiteral("brVectorSizeBar"), QStringLiteral("Vector size"), 0, 100, 50);
            QCheckBox *own = check(p, QStringLiteral("brWindowColor"), kWindowColour, true);
            colourButton(p, QStringLiteral("brMaskColorBtn"), QStringLiteral("use mask color"), 2);
            m_colourButtons[2].last()->setEnabled(false);
            connect(own, &QCheckBox::toggled, this, [this](bool on) {
                for (QAbstractButton *b : m_colourButtons[2])
                    b->setEnabled(!on);
            });
        } else if (caption == QLatin1String("Border Fade")) {
            bar(p, QStringLiteral("bfEdgeBar"), QStringLiteral("Edge"), 1, 1000, 1);
            QCheckBox *own = check(p, QStringLiteral("bfWindoColor"), kWindowColour, true);
            colourButton(p, QStringLiteral("bfCustomColorBtn"), QStringLiteral("use custom color"), 0);
            QAbstractButton *custom = m_colourButtons[0].last();
            custom->setEnabled(false);
            connect(own, &QCheckBox::toggled, custom, [custom](bool on) { custom->setEnabled(!on); });
        } else if (caption == QLatin1String("Blur")) {
            bar(p, QStringLiteral("BlurBar"), QStringLiteral("Blur"), 1, 100, 1);
        } else if (caption == QLatin1String("Bright")) {
            bar(p, QStringLiteral("BrightBar"), QStringLiteral("Brightness"), 0, 255, 0);
        } else if (caption == QLatin1String("Color")) {
            auto *info = new QLabel(p);
            info->setObjectName(QStringLiteral("ColorInfoLabel"));
            info->setWordWrap(true);
            gridOf(p)->addWidget(info, 0, 0, 1, 3);
            TTrackEdit *colours =
                bar(p, QStringLiteral("crColorsBar"), QStringLiteral("Colors"), 1, 255, 255);
            QGroupBox *dither = group(p, QStringLiteral("DitherGroup"), QStringLiteral("Dither"));
            radio(dither, QStringLiteral("R1"), QStringLiteral("Bayer"), true);
            radio(dither, QStringLiteral("R2"), QStringLiteral("Burkes"), false);
            radio(dither, QStringLiteral("R3"), QStringLiteral("Floyed"), false);
            radio(dither, QStringLiteral("R4"), QStringLiteral("GrayScale"), false);
            QCheckBox *million =
                check(p, QStringLiteral("MillionColors"), QStringLiteral("16 Million Colors"), false);
            connect(million, &QCheckBox::toggled, this, [colours, dither](bool on) {
                colours->SetEnabled(!on);
                dither->setEnabled(!on);
            });
        } else if (caption == QLatin1String("Color Palette")) {
            buildPaletteTab(p);
        } else if (caption == QLatin1String("Dark")) {
            bar(p, QStringLiteral("DarkBar"), QStringLiteral("Darkness"), 0, 255, 0);
        } else if (caption == QLatin1String("Despeckle")) {
            bar(p, QStringLiteral("dsValueBar"), QStringLiteral("Value"), 0, 100, 0);
        } else if (caption == QLatin1String("Edge Detection")) {
            bar(p, QStringLiteral("EdgeBar"), QStringLiteral("Edge"), 1, 100, 1);
        } else if (caption == QLatin1String("Engrave")) {
            bar(p, QStringLiteral("EnGraveBar"), QStringLiteral("Depth"), 1, 10, 1, false,
                QStringLiteral("EnhanceEdit"));
        } else if (caption == QLatin1String("Enhance")) {
            bar(p, QStringLiteral("enGammaRedBar"), QStringLiteral("Gamma red"), 1, 255, 10);
            bar(p, QStringLiteral("enGammaGreenBar"), QStringLiteral("Gamma green"), 1, 255, 10);
            bar(p, QStringLiteral("enGammaBlueBar"), QStringLiteral("Gamma blue"), 1, 255, 10);
            bar(p, QStringLiteral("enContrastBar"), QStringLiteral("Contrast"), -255, 255, 0);
            bar(p, QStringLiteral("enBrightBar"), QStringLiteral("Brightness"), -255, 255, 0);
        } else if (caption == QLatin1String("Extrude")) {
            check(p, QStringLiteral("Levels"), QStringLiteral("Levels"), true);
            bar(p, QStringLiteral("exValueBar"), QStringLiteral("Value"), 1, 50, 1);
        } else if (caption == QLatin1String("Gamma")) {
            bar(p, QStringLiteral("GammaBar"), QStringLiteral("Gamma"), 10, 50, 10);
        } else if (caption == QLatin1String("Gray Area")) {
            notice(p, kSelectArea, QStringLiteral("Gray_Area"));
        } else if (caption == QLatin1String("HalfTone")) {
            bar(p, QStringLiteral("htAngleBar"), QStringLiteral("Angle"), 0, 1800, 450, true);
            bar(p, QStringLiteral("htCellSizeBar"), QStringLiteral("Cell size"), 1, 100, 4);
            QGroupBox *shape = group(p, QStringLiteral("htShapeGroup"), QStringLiteral("Shape"));
            radio(shape, QStringLiteral("Rcircle"), QStringLiteral("Circle"), false);
            radio(shape, QStringLiteral("Rellipse"), QStringLiteral("Ellipse"), false);
            radio(shape, QStringLiteral("Rsqaure"), QStringLiteral("Sqaure"), false);
            radio(shape, QStringLiteral("Rdiamond"), QStringLiteral("Diamond"), false);
            radio(shape, QStringLiteral("Rline"), QStringLiteral("Line"), false);
            radio(shape, QStringLiteral("Rcross"), QStringLiteral("Cross"), true);
        } else if (caption == QLatin1String("Hue and Saturation")) {
            TTrackEdit *hue = bar(p, QStringLiteral("hsHueBar"), QStringLiteral("Hue"), 0, 360, 180);
            bar(p, QStringLiteral("hsSatBar"), QStringLiteral("Saturation"), 0, 200, 100);
            bar(p, QStringLiteral("hsBrightBar"), QStringLiteral("Brightness"), 0, 200, 100);
            QGroupBox *channel = group(p, QStringLiteral("hsChannelGroup"), QStringLiteral("Channel"));
            const QStringList names = {QStringLiteral("a3col"),  QStringLiteral("rRed"),
                                       QStringLiteral("rGreen"), QStringLiteral("rBlue"),
                                       QStringLiteral("rYEL"),   QStringLiteral("rMag"),
                                       QStringLiteral("rCyn")};
            const QStringList texts = {QStringLiteral("All Colors"), QStringLiteral("Red"),
                                       QStringLiteral("Green"),      QStringLiteral("Blue"),
                                       QStringLiteral("Yellow"),     QStringLiteral("Magenta"),
                                       QStringLiteral("Cyan")};
            for (int i = 0; i < names.size(); ++i) {
                QRadioButton *r = radio(channel, names[i], texts[i], i == 0);
                const bool all = i == 0;
                // The range follows the channel whenever it changes; only a click resets the position.
                connect(r, &QRadioButton::toggled, this, [hue, all](bool on) {
                    if (on)
                        hue->SetRange(0, all ? 360 : 120);
                });
                connect(r, &QRadioButton::clicked, this, [hue, all] { hue->SetValue(all ? 180 : 60); });
            }
        } else if (caption == QLatin1String("Invert")) {
            notice(p, kClickApply, QStringLiteral("Invert"));
        } else if (caption == QLatin1String("Jiggle")) {
            bar(p, QStringLiteral("jgPeriodBar"), QStringLiteral("Period"), 1, 100, 1);
            bar(p, QStringLiteral("jgAmpBar"), QStringLiteral("Amplitude"), 1, 360, 10);
            QGroupBox *shape = group(p, QStringLiteral("jgShapeGroup"), QStringLiteral("Shape"));
            radio(shape, QStringLiteral("jgSine"), QStringLiteral("Sine"), true);
            radio(shape, QStringLiteral("jgTriangle"), QStringLiteral("Triangle"), false);
        } else if (caption == QLatin1String("Mirror")) {
            check(p, QStringLiteral("VBox"), QStringLiteral("Vertical"), false);
            check(p, QStringLiteral("HBox"), QStringLiteral("Horizontal"), true);
        } else if (caption == QLatin1String("Mosaic")) {
            bar(p, QStringLiteral("msSizeBar"), QStringLiteral("Size"), 1, 1000, 150);
            bar(p, QStringLiteral("msHeightBar"), QStringLiteral("Height"), 1, 1000, 30);
            bar(p, QStringLiteral("msSpaceBar"), QStringLiteral("Space"), 0, 100, 10);
            bar(p, QStringLiteral("msLightBar"), QStringLiteral("Light"), -360, 360, 40);
            bar(p, QStringLiteral("msRandomBar"), QStringLiteral("Random"), 0, 5, 1);
            QGroupBox *type = group(p, QStringLiteral("msTypeGroup"), QStringLiteral("Polygons"));
            QRadioButton *polygons =
                radio(type, QStringLiteral("btnType2"), QStringLiteral("Polygons"), true);
            radio(type, QStringLiteral("btnType"), QStringLiteral("Squares"), false);
            connect(polygons, &QRadioButton::toggled, type, [type](bool on) {
                type->setTitle(on ? QStringLiteral("Polygons") : QStringLiteral("Squares"));
            });
            QGroupBox *surface = group(p, QStringLiteral("msSurfaceGroup"), QStringLiteral("Smooth"));
            QRadioButton *smooth = radio(surface, QStringLiteral("MosSur1"), QStringLiteral("Smooth"), true);
            radio(surface, QStringLiteral("MosSur2"), QStringLiteral("Rough"), false);
            connect(smooth, &QRadioButton::toggled, surface, [surface](bool on) {
                surface->setTitle(on ? QStringLiteral("Smooth") : QStringLiteral("Rough"));
            });
            check(p, QStringLiteral("MosAntiA"), QStringLiteral("Anti-Aliasing"), true);
            colourButton(p, QStringLiteral("msBackColorBtn"), QStringLiteral("Background Color"), 0);
            colourButton(p, QStringLiteral("msForeColorBtn"), QStringLiteral("Foreground Color"), 1);
        } else if (caption == QLatin1String("Motion Blur")) {
            QGroupBox *kind = group(p, QStringLiteral("mtKindGroup"), QStringLiteral("Motion"));
            QRadioButton *kinds[3] = {
                radio(kind, QStringLiteral("MotionZoom"), QStringLiteral("Motion Zoom"), true),
                radio(kind, QStringLiteral("MotionRotate"), QStringLiteral("Motion Rotate"), false),
                radio(kind, QStringLiteral("MotionLine"), QStringLiteral("Motion Line"), false)};
            TTrackEdit *angle = bar(p, QStringLiteral("mtAnglebar"), QStringLiteral("Angle"), 1, 360, 10);
            angle->SetVisible(false);
            bar(p, QStringLiteral("mtValueBar"), QStringLiteral("Value"), 1, 500, 10);
            for (int i = 0; i < 3; ++i)
                connect(kinds[i], &QRadioButton::toggled, this, [this, angle, i](bool on) {
                    if (!on)
                        return;
                    m_motionKind = i + 1;
                    angle->SetVisible(i != 0);
                });
        } else if (caption == QLatin1String("Noisify")) {
            bar(p, QStringLiteral("nsRedBar"), QStringLiteral("Red"), 0, 255, 20);
            bar(p, QStringLiteral("nsGreenBar"), QStringLiteral("Green"), 0, 255, 20);
            bar(p, QStringLiteral("nsBlueBar"), QStringLiteral("Blue"), 0, 255, 20);
            QGroupBox *kind = group(p, QStringLiteral("nsKindGroup"), QStringLiteral("Distribution"));
            radio(kind, QStringLiteral("nsGaus"), QStringLiteral("Gauss"), true);
            radio(kind, QStringLiteral("nsUniform"), QStringLiteral("Uniform"), false);
            check(p, QStringLiteral("UseGrayValueofPixels"), QStringLiteral("Use Gray Value of Pixels"),
                  false);
        } else if (caption == QLatin1String("Oil Paint")) {
            bar(p, QStringLiteral("opValueBar"), QStringLiteral("Value"), 0, 50, 1);
        } else if (caption == QLatin1String("Page Curl")) {
            check(p, QStringLiteral("C_Trans"), QStringLiteral("Keep Image under the curl"), false);
            QGroupBox *shading = group(p, QStringLiteral("pcShadingGroup"), QStringLiteral("Curl color"));
            radio(shading, QStringLiteral("B_CUBC"), QStringLiteral("Use Background color"), false);
            radio(shading, QStringLiteral("B_CUFC"), QStringLiteral("Use Foreground color"), true);
            bar(p, QStringLiteral("pcShadingBar"), QStringLiteral("Shading transparancy"), 0, 4, 4);
            check(p, QStringLiteral("CShade"), QStringLiteral("Shade Under Curl"), true);
            QGroupBox *back = group(p, QStringLiteral("pcBackGroup"), QStringLiteral("Background"));
            radio(back, QStringLiteral("B_CFC"), QStringLiteral("Use Background color"), true);
            radio(back, QStringLiteral("B_CBC"), QStringLiteral("Use Foreground color"), false);
            QGroupBox *orientation =
                group(p, QStringLiteral("pcOrientationGroup"), QStringLiteral("Orientation"));
            radio(orientation, QStringLiteral("C_OH"), QStringLiteral("Horizonal"), true);
            radio(orientation, QStringLiteral("C_OV"), QStringLiteral("Vertical"), false);
            QGroupBox *corner = group(p, QStringLiteral("pcCornerGroup"), QStringLiteral("Location"));
            radio(corner, QStringLiteral("C_RT"), QStringLiteral("Top Right"), false);
            radio(corner, QStringLiteral("C_LT"), QStringLiteral("Top Left"), true);
            radio(corner, QStringLiteral("C_LB"), QStringLiteral("Bottom Left"), false);
            radio(corner, QStringLiteral("C_RB"), QStringLiteral("Bottom Right"), false);
            colourButton(p, QStringLiteral("pcBackColorBtn"), QStringLiteral("Background Color"), 0);
            colourButton(p, QStringLiteral("pcForeColorBtn"), QStringLiteral("Foreground Color"), 1);
        } else if (caption == QLatin1String("Paste Image")) {
            buildPasteTab(p);
        } else if (caption == QLatin1String("Pinch Hole")) {
            bar(p, QStringLiteral("phValueBar"), QStringLiteral("Value"), -20, 0, 0);
        } else if (caption == QLatin1String("Polar")) {
            bar(p, QStringLiteral("plValueBar"), QStringLiteral("Value"), 0, 500, 1);
            bar(p, QStringLiteral("plAngleBar"), QStringLiteral("Angle"), 0, 360, 1);
            check(p, QStringLiteral("PolInv"), QStringLiteral("Inverse"), false);
            check(p, QStringLiteral("PolBack"), QStringLiteral("Backwards"), false);
        } else if (caption == QLatin1String("Rotate")) {
            TTrackEdit *angle =
                bar(p, QStringLiteral("rtValueBar"), QStringLiteral("Angle"), -1800, 1800, 0, true);
            angle->Bar()->setTickInterval(10);
            angle->Bar()->setTickPosition(QSlider::TicksBelow);
            colourButton(p, QStringLiteral("rtBackColorBtn"), QStringLiteral("Background  Color"), 0);
        } else if (caption == QLatin1String("Sharp")) {
            bar(p, QStringLiteral("shValueBar"), QStringLiteral("Value"), 0, 9, 0);
        } else if (caption == QLatin1String("Soft")) {
            bar(p, QStringLiteral("soValueBar"), QStringLiteral("Value"), 0, 9, 0);
        } else if (caption == QLatin1String("Spray")) {
            bar(p, QStringLiteral("sprValueBar"), QStringLiteral("Value"), 0, 100, 0);
            bar(p, QStringLiteral("sprRandomBar"), QStringLiteral("Random"), 1, 360, 1);
        } else if (caption == QLatin1String("Tile Maker")) {
            notice(p, kClickApply, QStringLiteral("Tile_Maker"));
        } else if (caption == QLatin1String("Threshold")) {
            bar(p, QStringLiteral("thValueBar"), QStringLiteral("Value"), 0, 255, 120);
            check(p, QStringLiteral("ThresAnti"), QStringLiteral("Anti Alialsing"), true);
        } else if (caption == QLatin1String("Transitions")) {
            buildTransitionsTab(p);
        } else if (caption == QLatin1String("Warp")) {
            check(p, QStringLiteral("RgbToHueBox"), QStringLiteral("RGB To Hue"), true);
            check(p, QStringLiteral("RGBToSaturationBox"), QStringLiteral("RGB To Saturation"), true);
            check(p, QStringLiteral("ConvoleTgle"), QStringLiteral("Convolve"), true);
            bar(p, QStringLiteral("wrpScaleBar"), QStringLiteral("Scale"), 1, 200, 20);
            bar(p, QStringLiteral("wrpVecRotateBar"), QStringLiteral("Vector rotation"), 0, 360, 90);
            bar(p, QStringLiteral("wrpStepsBar"), QStringLiteral("Steps"), 1, 200, 4);
            bar(p, QStringLiteral("wrpDisplacementBar"), QStringLiteral("Displacement"), 1, 200, 10);
        } else if (caption == QLatin1String("Wave")) {
            check(p, QStringLiteral("Refl"), QStringLiteral("Add Reflection to Waves"), false);
            check(p, QStringLiteral("Smear"), QStringLiteral("Smear Waves"), true);
            bar(p, QStringLiteral("wvLengthBar"), QStringLiteral("Wave length"), 0, 200, 20);
            bar(p, QStringLiteral("wvPhaseBar"), QStringLiteral("Phase"), 1, 3600, 1, true);
            bar(p, QStringLiteral("wvAmplBar"), QStringLiteral("Amplitude"), 0, 2000, 50, true);
        } else if (caption == QLatin1String("WhirlPool")) {
            bar(p, QStringLiteral("wpValueBar"), QStringLiteral("Value"), 0, 3000, 0);
        }
        gridOf(p)->setRowStretch(gridOf(p)->rowCount(), 1);
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, &TEffectForm::tabChanged);
    updateBordersTab();
}

// ---- values ---------------------------------------------------------------------------------------

TTrackEdit *TEffectForm::pair(const QString &barName) const {
    return m_pairs.value(barName);
}

int TEffectForm::barValue(const QString &name) const {
    if (const auto *combo = findChild<QComboBox *>(name))
        return combo->currentIndex();
    const TTrackEdit *p = pair(name);
    return p ? p->Value() : 0;
}

bool TEffectForm::checked(const QString &name) const {
    const auto *b = findChild<QAbstractButton *>(name);
    return b && b->isChecked();
}

int TEffectForm::checkedIndex(const QStringList &names) const {
    for (int i = 0; i < names.size(); ++i)
        if (checked(names[i]))
            return i;
    return 0;
}

TEffectCall TEffectForm::GatherCall() const {
    TEffectCall c;
    c.Tab = CurrentTab();
    c.Area = m_crop;
    auto bars = [&](std::initializer_list<const char *> names) {
        for (const char *n : names)
            c.Values.append(barValue(QLatin1String(n)));
    };
    auto flags = [&](std::initializer_list<const char *> names) {
        for (const char *n : names)
            c.Values.append(checked(QLatin1String(n)) ? 1 : 0);
    };
    const QColor window = palette().color(QPalette::Button);
    const QString &t = c.Tab;
    if (t == QLatin1String("Bleed"))
        bars({"BleedBar"});
    else if (t == QLatin1String("Borders")) {
        bars({"brShapeCombo", "brEdgeBar", "brAngleBar", "brVectorsBar", "brVectorSizeBar"});
        flags({"brWindowColor"});
        c.Colours.append((checked(QStringLiteral("brWindowColor")) ? window : m_colours.Mask).rgb());
    } else if (t == QLatin1String("Border Fade")) {
        bars({"bfEdgeBar"});
        c.Colours.append((checked(QStringLiteral("bfWindoColor")) ? window : m_colours.Background).rgb());
    } else if (t == QLatin1String("Blur"))
        bars({"BlurBar"});
    else if (t == QLatin1String("Bright"))
        bars({"BrightBar"});
    else if (t == QLatin1String("Color")) {
        flags({"MillionColors"});
        bars({"crColorsBar"});
        c.Values.append(checkedIndex(
            {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("R4")}));
    } else if (t == QLatin1String("Dark"))
        bars({"DarkBar"});
    else if (t == QLatin1String("Despeckle"))
        bars({"dsValueBar"});
    else if (t == QLatin1String("Edge Detection"))
        bars({"EdgeBar"});
    else if (t == QLatin1String("Engrave"))
        bars({"EnGraveBar"});
    else if (t == QLatin1String("Enhance"))
        bars({"enBrightBar", "enContrastBar", "enGammaRedBar", "enGammaGreenBar", "enGammaBlueBar"});
    else if (t == QLatin1String("Extrude")) {
        flags({"Levels"});
        bars({"exValueBar"});
    } else if (t == QLatin1String("Gamma"))
        bars({"GammaBar"});
    else if (t == QLatin1String("HalfTone")) {
        bars({"htCellSizeBar"});
        c.Values.append(
            checkedIndex({QStringLiteral("Rcircle"), QStringLiteral("Rellipse"), QStringLiteral("Rsqaure"),
                          QStringLiteral("Rdiamond"), QStringLiteral("Rline"), QStringLiteral("Rcross")}));
        c.Values.append(barValue(QStringLiteral("htAngleBar")) / 10.0);
    } else if (t == QLatin1String("Hue and Saturation")) {
        const bool all = checked(QStringLiteral("a3col"));
        for (const char *n : {"rRed", "rGreen", "rBlue", "rYEL", "rMag", "rCyn"})
            c.Values.append(all || checked(QLatin1String(n)) ? 1 : 0);
        c.Values.append(HueOffset(barValue(QStringLiteral("hsHueBar")), all));
        c.Values.append(PercentOffset(barValue(QStringLiteral("hsSatBar"))));
        c.Values.append(PercentOffset(barValue(QStringLiteral("hsBrightBar"))));
    } else if (t == QLatin1String("Jiggle")) {
        bars({"jgPeriodBar", "jgAmpBar"});
        flags({"jgTriangle"});
    } else if (t == QLatin1String("Mirror"))
        flags({"VBox", "HBox"});
    else if (t == QLatin1String("Mosaic")) {
        bars({"msSizeBar", "msHeightBar", "msSpaceBar", "msLightBar", "msRandomBar"});
        flags({"btnType"});
        c.Values.append(checked(QStringLiteral("MosSur2")) ? 0 : 1);
        flags({"MosAntiA"});
        c.Colours = {m_colours.Foreground.rgb(), m_colours.Background.rgb()};
    } else if (t == QLatin1String("Motion Blur")) {
        bars({"mtValueBar", "mtAnglebar"});
        c.Values.append(m_motionKind);
    } else if (t == QLatin1String("Noisify")) {
        flags({"nsGaus", "UseGrayValueofPixels"});
        bars({"nsRedBar", "nsGreenBar", "nsBlueBar"});
    } else if (t == QLatin1String("Oil Paint"))
        bars({"opValueBar"});
    else if (t == QLatin1String("Page Curl")) {
        flags({"B_CFC", "B_CBC", "C_Trans", "B_CUBC", "B_CUFC", "CShade", "C_LT", "C_RT", "C_LB", "C_RB",
               "C_OV", "C_OH"});
        bars({"pcShadingBar"});
        c.Colours = {m_colours.Background.rgb(), m_colours.Foreground.rgb()};
    } else if (t == QLatin1String("Paste Image"))
        c.Paste = &m_pasteDib;
    else if (t == QLatin1String("Pinch Hole"))
        bars({"phValueBar"});
    else if (t == QLatin1String("Polar")) {
        bars({"plValueBar", "plAngleBar"});
        flags({"PolInv", "PolBack"});
    } else if (t == QLatin1String("Rotate")) {
        c.Values.append(barValue(QStringLiteral("rtValueBar")) / 10.0);
        c.Colours.append(m_colours.Background.rgb());
    } else if (t == QLatin1String("Sharp"))
        bars({"shValueBar"});
    else if (t == QLatin1String("Soft"))
        bars({"soValueBar"});
    else if (t == QLatin1String("Spray"))
        bars({"sprValueBar", "sprRandomBar"});
    else if (t == QLatin1String("Threshold")) {
        bars({"thValueBar"});
        flags({"ThresAnti"});
    } else if (t == QLatin1String("Warp")) {
        flags({"RgbToHueBox", "RGBToSaturationBox", "ConvoleTgle"});
        bars({"wrpScaleBar", "wrpVecRotateBar", "wrpStepsBar", "wrpDisplacementBar"});
    } else if (t == QLatin1String("Wave")) {
        bars({"wvAmplBar", "wvLengthBar", "wvPhaseBar"});
        flags({"Smear", "Refl"});
    } else if (t == QLatin1String("WhirlPool"))
        bars({"wpValueBar"});
    return c;
}

// ---- colours, Color and Borders tabs ---------------------------------------------------------------

void TEffectForm::setColour(int which, const QColor &colour) {
    if (!colour.isValid())
        return;
    (which == 0 ? m_colours.Background : which == 1 ? m_colours.Foreground : m_colours.Mask) = colour;
    for (QFrame *f : m_samples[which]) {
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, colour);
        f->setPalette(pal);
    }
}

void TEffectForm::chooseColour(int which) {
    const QColor current = which == 0   ? m_colours.Background
                           : which == 1 ? m_colours.Foreground
                                        : m_colours.Mask;
    if (const std::optional<QColor> chosen = ChooseColor(this, current))
        setColour(which, *chosen);
}

void TEffectForm::updateColourText() {
    auto *info = findChild<QLabel *>(QStringLiteral("ColorInfoLabel"));
    auto *million = findChild<QCheckBox *>(QStringLiteral("MillionColors"));
    if (!info || !million || EffectDib.isNull())
        return;
    const int bits = EffectDib.bitCount();
    if (bits <= 8) {
        const int colours = bits == 1 ? 2 : bits == 4 ? 16 : 256;
        info->setText(QStringLiteral("Current displayed image has a palette of %1 colors").arg(colours));
        million->setEnabled(true);
        return;
    }
    info->setText(QStringLiteral("Current displayed image has milions of colors"));
    million->setChecked(false);
    million->setEnabled(false);
}

void TEffectForm::updateBordersTab() {
    const int shape = barValue(QStringLiteral("brShapeCombo"));
    if (TTrackEdit *angle = pair(QStringLiteral("brAngleBar")))
        angle->SetVisible(shape == shPolyGon);
    for (const char *n : {"brVectorsBar", "brVectorSizeBar"})
        if (TTrackEdit *p = pair(QLatin1String(n)))
            p->SetVisible(shape == shStar || shape == shPolyGon);
    if (CurrentTab() == QLatin1String("Borders")) {
        const bool canRun = !m_previewDib.isNull() && shape != shNone;
        m_tools.value(QStringLiteral("PreviewBtn"))->setEnabled(canRun);
        m_tools.value(QStringLiteral("ApplyBtn"))->setEnabled(canRun);
    }
}

} // namespace orva::effects
