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
#include <QHash>
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

constexpr const char kSelectArea[] = "Select an area and click apply or preview";
constexpr const char kClickApply[] = "Click apply or preview";
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

// One control of a tab that needs no wiring between its controls: a bar with its edit box, a check
// box, or a notice with its help button.
struct PlainControl {
    enum Kind { Bar, Check, Notice } kind;
    const char *name; // a notice: its help topic
    const char *text;
    int minimum = 0;
    int maximum = 0;
    int value = 0; // a check box: 1 when it starts checked
    bool decimal = false;
    const char *editName = nullptr; // a bar whose edit box is not named after it
};

constexpr PlainControl barOf(const char *name, const char *label, int minimum, int maximum, int value,
                             bool decimal = false, const char *editName = nullptr) {
    return {PlainControl::Bar, name, label, minimum, maximum, value, decimal, editName};
}
constexpr PlainControl checkOf(const char *name, const char *text, bool on) {
    return {PlainControl::Check, name, text, 0, 0, on ? 1 : 0};
}
constexpr PlainControl noticeOf(const char *text, const char *helpTopic) {
    return {PlainControl::Notice, helpTopic, text};
}

// The tabs made of such controls only, each with its controls in the order they stand on the page.
const QHash<QString, QList<PlainControl>> &plainTabs() {
    static const QHash<QString, QList<PlainControl>> tabs = {
        {QStringLiteral("AutoContrast"), {noticeOf(kSelectArea, "Auto_Contrast")}},
        {QStringLiteral("Bleed"), {barOf("BleedBar", "Bleed", -255, 255, 0)}},
        {QStringLiteral("Blur"), {barOf("BlurBar", "Blur", 1, 100, 1)}},
        {QStringLiteral("Bright"), {barOf("BrightBar", "Brightness", 0, 255, 0)}},
        {QStringLiteral("Dark"), {barOf("DarkBar", "Darkness", 0, 255, 0)}},
        {QStringLiteral("Despeckle"), {barOf("dsValueBar", "Value", 0, 100, 0)}},
        {QStringLiteral("Edge Detection"), {barOf("EdgeBar", "Edge", 1, 100, 1)}},
        {QStringLiteral("Engrave"), {barOf("EnGraveBar", "Depth", 1, 10, 1, false, "EnhanceEdit")}},
        {QStringLiteral("Enhance"),
         {barOf("enGammaRedBar", "Gamma red", 1, 255, 10),
          barOf("enGammaGreenBar", "Gamma green", 1, 255, 10),
          barOf("enGammaBlueBar", "Gamma blue", 1, 255, 10), barOf("enContrastBar", "Contrast", -255, 255, 0),
          barOf("enBrightBar", "Brightness", -255, 255, 0)}},
        {QStringLiteral("Extrude"),
         {checkOf("Levels", "Levels", true), barOf("exValueBar", "Value", 1, 50, 1)}},
        {QStringLiteral("Gamma"), {barOf("GammaBar", "Gamma", 10, 50, 10)}},
        {QStringLiteral("Gray Area"), {noticeOf(kSelectArea, "Gray_Area")}},
        {QStringLiteral("Invert"), {noticeOf(kClickApply, "Invert")}},
        {QStringLiteral("Mirror"), {checkOf("VBox", "Vertical", false), checkOf("HBox", "Horizontal", true)}},
        {QStringLiteral("Oil Paint"), {barOf("opValueBar", "Value", 0, 50, 1)}},
        {QStringLiteral("Pinch Hole"), {barOf("phValueBar", "Value", -20, 0, 0)}},
        {QStringLiteral("Polar"),
         {barOf("plValueBar", "Value", 0, 500, 1), barOf("plAngleBar", "Angle", 0, 360, 1),
          checkOf("PolInv", "Inverse", false), checkOf("PolBack", "Backwards", false)}},
        {QStringLiteral("Sharp"), {barOf("shValueBar", "Value", 0, 9, 0)}},
        {QStringLiteral("Soft"), {barOf("soValueBar", "Value", 0, 9, 0)}},
        {QStringLiteral("Spray"),
         {barOf("sprValueBar", "Value", 0, 100, 0), barOf("sprRandomBar", "Random", 1, 360, 1)}},
        {QStringLiteral("Tile Maker"), {noticeOf(kClickApply, "Tile_Maker")}},
        {QStringLiteral("Threshold"),
         {barOf("thValueBar", "Value", 0, 255, 120), checkOf("ThresAnti", "Anti Alialsing", true)}},
        {QStringLiteral("Warp"),
         {checkOf("RgbToHueBox", "RGB To Hue", true),
          checkOf("RGBToSaturationBox", "RGB To Saturation", true), checkOf("ConvoleTgle", "Convolve", true),
          barOf("wrpScaleBar", "Scale", 1, 200, 20), barOf("wrpVecRotateBar", "Vector rotation", 0, 360, 90),
          barOf("wrpStepsBar", "Steps", 1, 200, 4), barOf("wrpDisplacementBar", "Displacement", 1, 200, 10)}},
        {QStringLiteral("Wave"),
         {checkOf("Refl", "Add Reflection to Waves", false), checkOf("Smear", "Smear Waves", true),
          barOf("wvLengthBar", "Wave length", 0, 200, 20), barOf("wvPhaseBar", "Phase", 1, 3600, 1, true),
          barOf("wvAmplBar", "Amplitude", 0, 2000, 50, true)}},
        {QStringLiteral("WhirlPool"), {barOf("wpValueBar", "Value", 0, 3000, 0)}},
    };
    return tabs;
}

// A value an effect takes straight from a control: a bar's position, or 1 or 0 for a check box or
// radio button.
struct ControlValue {
    bool flag;
    const char *name;
};
constexpr ControlValue barAt(const char *name) {
    return {false, name};
}
constexpr ControlValue flagAt(const char *name) {
    return {true, name};
}

// The tabs whose effect takes nothing but such values, in the order the effect takes them.
const QHash<QString, QList<ControlValue>> &plainValues() {
    static const QHash<QString, QList<ControlValue>> values = {
        {QStringLiteral("Bleed"), {barAt("BleedBar")}},
        {QStringLiteral("Blur"), {barAt("BlurBar")}},
        {QStringLiteral("Bright"), {barAt("BrightBar")}},
        {QStringLiteral("Dark"), {barAt("DarkBar")}},
        {QStringLiteral("Despeckle"), {barAt("dsValueBar")}},
        {QStringLiteral("Edge Detection"), {barAt("EdgeBar")}},
        {QStringLiteral("Engrave"), {barAt("EnGraveBar")}},
        {QStringLiteral("Enhance"),
         {barAt("enBrightBar"), barAt("enContrastBar"), barAt("enGammaRedBar"), barAt("enGammaGreenBar"),
          barAt("enGammaBlueBar")}},
        {QStringLiteral("Extrude"), {flagAt("Levels"), barAt("exValueBar")}},
        {QStringLiteral("Gamma"), {barAt("GammaBar")}},
        {QStringLiteral("Jiggle"), {barAt("jgPeriodBar"), barAt("jgAmpBar"), flagAt("jgTriangle")}},
        {QStringLiteral("Mirror"), {flagAt("VBox"), flagAt("HBox")}},
        {QStringLiteral("Noisify"),
         {flagAt("nsGaus"), flagAt("UseGrayValueofPixels"), barAt("nsRedBar"), barAt("nsGreenBar"),
          barAt("nsBlueBar")}},
        {QStringLiteral("Oil Paint"), {barAt("opValueBar")}},
        {QStringLiteral("Pinch Hole"), {barAt("phValueBar")}},
        {QStringLiteral("Polar"),
         {barAt("plValueBar"), barAt("plAngleBar"), flagAt("PolInv"), flagAt("PolBack")}},
        {QStringLiteral("Sharp"), {barAt("shValueBar")}},
        {QStringLiteral("Soft"), {barAt("soValueBar")}},
        {QStringLiteral("Spray"), {barAt("sprValueBar"), barAt("sprRandomBar")}},
        {QStringLiteral("Threshold"), {barAt("thValueBar"), flagAt("ThresAnti")}},
        {QStringLiteral("Warp"),
         {flagAt("RgbToHueBox"), flagAt("RGBToSaturationBox"), flagAt("ConvoleTgle"), barAt("wrpScaleBar"),
          barAt("wrpVecRotateBar"), barAt("wrpStepsBar"), barAt("wrpDisplacementBar")}},
        {QStringLiteral("Wave"),
         {barAt("wvAmplBar"), barAt("wvLengthBar"), barAt("wvPhaseBar"), flagAt("Smear"), flagAt("Refl")}},
        {QStringLiteral("WhirlPool"), {barAt("wpValueBar")}},
    };
    return values;
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
        buildTab(caption, p);
        gridOf(p)->setRowStretch(gridOf(p)->rowCount(), 1);
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, &TEffectForm::tabChanged);
    updateBordersTab();
}

void TEffectForm::buildTab(const QString &caption, QWidget *page) {
    using Builder = void (TEffectForm::*)(QWidget *);
    // The tabs with groups of choices, or with controls that act on each other or on the dialog.
    static const QHash<QString, Builder> builders = {
        {QStringLiteral("Borders"), &TEffectForm::buildBordersTab},
        {QStringLiteral("Border Fade"), &TEffectForm::buildBorderFadeTab},
        {QStringLiteral("Color"), &TEffectForm::buildColorTab},
        {QStringLiteral("Color Palette"), &TEffectForm::buildPaletteTab},
        {QStringLiteral("HalfTone"), &TEffectForm::buildHalfToneTab},
        {QStringLiteral("Hue and Saturation"), &TEffectForm::buildHueSaturationTab},
        {QStringLiteral("Jiggle"), &TEffectForm::buildJiggleTab},
        {QStringLiteral("Mosaic"), &TEffectForm::buildMosaicTab},
        {QStringLiteral("Motion Blur"), &TEffectForm::buildMotionBlurTab},
        {QStringLiteral("Noisify"), &TEffectForm::buildNoisifyTab},
        {QStringLiteral("Page Curl"), &TEffectForm::buildPageCurlTab},
        {QStringLiteral("Paste Image"), &TEffectForm::buildPasteTab},
        {QStringLiteral("Rotate"), &TEffectForm::buildRotateTab},
        {QStringLiteral("Transitions"), &TEffectForm::buildTransitionsTab},
    };
    if (const Builder build = builders.value(caption)) {
        (this->*build)(page);
        return;
    }
    for (const PlainControl &c : plainTabs().value(caption)) {
        const QString name = QString::fromLatin1(c.name);
        const QString text = QString::fromLatin1(c.text);
        switch (c.kind) {
        case PlainControl::Bar:
            bar(page, name, text, c.minimum, c.maximum, c.value, c.decimal,
                c.editName ? QString::fromLatin1(c.editName) : QString());
            break;
        case PlainControl::Check:
            check(page, name, text, c.value != 0);
            break;
        case PlainControl::Notice:
            notice(page, text, name);
            break;
        }
    }
}

void TEffectForm::buildBordersTab(QWidget *page) {
    auto *shapes = new QComboBox(page);
    shapes->setObjectName(QStringLiteral("brShapeCombo"));
    shapes->addItems(ShapeImage::ShapeNames());
    gridOf(page)->addWidget(new QLabel(QStringLiteral("Shape"), page), 0, 0);
    gridOf(page)->addWidget(shapes, 0, 1, 1, 2);
    connect(shapes, &QComboBox::currentIndexChanged, this, &TEffectForm::updateBordersTab);
    bar(page, QStringLiteral("brEdgeBar"), QStringLiteral("Edge size"), 1, 100, 1);
    bar(page, QStringLiteral("brAngleBar"), QStringLiteral("Angle"), 0, 360, 90);
    bar(page, QStringLiteral("brVectorsBar"), QStringLiteral("Vectors"), 1, 100, 10);
    bar(page, QStringLiteral("brVectorSizeBar"), QStringLiteral("Vector size"), 0, 100, 50);
    QCheckBox *own = check(page, QStringLiteral("brWindowColor"), kWindowColour, true);
    colourButton(page, QStringLiteral("brMaskColorBtn"), QStringLiteral("use mask color"), 2);
    m_colourButtons[2].last()->setEnabled(false);
    connect(own, &QCheckBox::toggled, this, [this](bool on) {
        for (QAbstractButton *b : m_colourButtons[2])
            b->setEnabled(!on);
    });
}

void TEffectForm::buildBorderFadeTab(QWidget *page) {
    bar(page, QStringLiteral("bfEdgeBar"), QStringLiteral("Edge"), 1, 1000, 1);
    QCheckBox *own = check(page, QStringLiteral("bfWindoColor"), kWindowColour, true);
    colourButton(page, QStringLiteral("bfCustomColorBtn"), QStringLiteral("use custom color"), 0);
    QAbstractButton *custom = m_colourButtons[0].last();
    custom->setEnabled(false);
    connect(own, &QCheckBox::toggled, custom, [custom](bool on) { custom->setEnabled(!on); });
}

void TEffectForm::buildColorTab(QWidget *page) {
    auto *info = new QLabel(page);
    info->setObjectName(QStringLiteral("ColorInfoLabel"));
    info->setWordWrap(true);
    gridOf(page)->addWidget(info, 0, 0, 1, 3);
    TTrackEdit *colours = bar(page, QStringLiteral("crColorsBar"), QStringLiteral("Colors"), 1, 255, 255);
    QGroupBox *dither = group(page, QStringLiteral("DitherGroup"), QStringLiteral("Dither"));
    radio(dither, QStringLiteral("R1"), QStringLiteral("Bayer"), true);
    radio(dither, QStringLiteral("R2"), QStringLiteral("Burkes"), false);
    radio(dither, QStringLiteral("R3"), QStringLiteral("Floyed"), false);
    radio(dither, QStringLiteral("R4"), QStringLiteral("GrayScale"), false);
    QCheckBox *million =
        check(page, QStringLiteral("MillionColors"), QStringLiteral("16 Million Colors"), false);
    connect(million, &QCheckBox::toggled, this, [colours, dither](bool on) {
        colours->SetEnabled(!on);
        dither->setEnabled(!on);
    });
}

void TEffectForm::buildHalfToneTab(QWidget *page) {
    bar(page, QStringLiteral("htAngleBar"), QStringLiteral("Angle"), 0, 1800, 450, true);
    bar(page, QStringLiteral("htCellSizeBar"), QStringLiteral("Cell size"), 1, 100, 4);
    QGroupBox *shape = group(page, QStringLiteral("htShapeGroup"), QStringLiteral("Shape"));
    radio(shape, QStringLiteral("Rcircle"), QStringLiteral("Circle"), false);
    radio(shape, QStringLiteral("Rellipse"), QStringLiteral("Ellipse"), false);
    radio(shape, QStringLiteral("Rsqaure"), QStringLiteral("Sqaure"), false);
    radio(shape, QStringLiteral("Rdiamond"), QStringLiteral("Diamond"), false);
    radio(shape, QStringLiteral("Rline"), QStringLiteral("Line"), false);
    radio(shape, QStringLiteral("Rcross"), QStringLiteral("Cross"), true);
}

void TEffectForm::buildHueSaturationTab(QWidget *page) {
    TTrackEdit *hue = bar(page, QStringLiteral("hsHueBar"), QStringLiteral("Hue"), 0, 360, 180);
    bar(page, QStringLiteral("hsSatBar"), QStringLiteral("Saturation"), 0, 200, 100);
    bar(page, QStringLiteral("hsBrightBar"), QStringLiteral("Brightness"), 0, 200, 100);
    QGroupBox *channel = group(page, QStringLiteral("hsChannelGroup"), QStringLiteral("Channel"));
    const QStringList names = {QStringLiteral("a3col"), QStringLiteral("rRed"), QStringLiteral("rGreen"),
                               QStringLiteral("rBlue"), QStringLiteral("rYEL"), QStringLiteral("rMag"),
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
}

void TEffectForm::buildJiggleTab(QWidget *page) {
    bar(page, QStringLiteral("jgPeriodBar"), QStringLiteral("Period"), 1, 100, 1);
    bar(page, QStringLiteral("jgAmpBar"), QStringLiteral("Amplitude"), 1, 360, 10);
    QGroupBox *shape = group(page, QStringLiteral("jgShapeGroup"), QStringLiteral("Shape"));
    radio(shape, QStringLiteral("jgSine"), QStringLiteral("Sine"), true);
    radio(shape, QStringLiteral("jgTriangle"), QStringLiteral("Triangle"), false);
}

void TEffectForm::buildMosaicTab(QWidget *page) {
    bar(page, QStringLiteral("msSizeBar"), QStringLiteral("Size"), 1, 1000, 150);
    bar(page, QStringLiteral("msHeightBar"), QStringLiteral("Height"), 1, 1000, 30);
    bar(page, QStringLiteral("msSpaceBar"), QStringLiteral("Space"), 0, 100, 10);
    bar(page, QStringLiteral("msLightBar"), QStringLiteral("Light"), -360, 360, 40);
    bar(page, QStringLiteral("msRandomBar"), QStringLiteral("Random"), 0, 5, 1);
    QGroupBox *type = group(page, QStringLiteral("msTypeGroup"), QStringLiteral("Polygons"));
    QRadioButton *polygons = radio(type, QStringLiteral("btnType2"), QStringLiteral("Polygons"), true);
    radio(type, QStringLiteral("btnType"), QStringLiteral("Squares"), false);
    connect(polygons, &QRadioButton::toggled, type,
            [type](bool on) { type->setTitle(on ? QStringLiteral("Polygons") : QStringLiteral("Squares")); });
    QGroupBox *surface = group(page, QStringLiteral("msSurfaceGroup"), QStringLiteral("Smooth"));
    QRadioButton *smooth = radio(surface, QStringLiteral("MosSur1"), QStringLiteral("Smooth"), true);
    radio(surface, QStringLiteral("MosSur2"), QStringLiteral("Rough"), false);
    connect(smooth, &QRadioButton::toggled, surface, [surface](bool on) {
        surface->setTitle(on ? QStringLiteral("Smooth") : QStringLiteral("Rough"));
    });
    check(page, QStringLiteral("MosAntiA"), QStringLiteral("Anti-Aliasing"), true);
    colourButton(page, QStringLiteral("msBackColorBtn"), QStringLiteral("Background Color"), 0);
    colourButton(page, QStringLiteral("msForeColorBtn"), QStringLiteral("Foreground Color"), 1);
}

void TEffectForm::buildMotionBlurTab(QWidget *page) {
    QGroupBox *kind = group(page, QStringLiteral("mtKindGroup"), QStringLiteral("Motion"));
    QRadioButton *kinds[3] = {
        radio(kind, QStringLiteral("MotionZoom"), QStringLiteral("Motion Zoom"), true),
        radio(kind, QStringLiteral("MotionRotate"), QStringLiteral("Motion Rotate"), false),
        radio(kind, QStringLiteral("MotionLine"), QStringLiteral("Motion Line"), false)};
    TTrackEdit *angle = bar(page, QStringLiteral("mtAnglebar"), QStringLiteral("Angle"), 1, 360, 10);
    angle->SetVisible(false);
    bar(page, QStringLiteral("mtValueBar"), QStringLiteral("Value"), 1, 500, 10);
    for (int i = 0; i < 3; ++i)
        connect(kinds[i], &QRadioButton::toggled, this, [this, angle, i](bool on) {
            if (!on)
                return;
            m_motionKind = i + 1;
            angle->SetVisible(i != 0);
        });
}

void TEffectForm::buildNoisifyTab(QWidget *page) {
    bar(page, QStringLiteral("nsRedBar"), QStringLiteral("Red"), 0, 255, 20);
    bar(page, QStringLiteral("nsGreenBar"), QStringLiteral("Green"), 0, 255, 20);
    bar(page, QStringLiteral("nsBlueBar"), QStringLiteral("Blue"), 0, 255, 20);
    QGroupBox *kind = group(page, QStringLiteral("nsKindGroup"), QStringLiteral("Distribution"));
    radio(kind, QStringLiteral("nsGaus"), QStringLiteral("Gauss"), true);
    radio(kind, QStringLiteral("nsUniform"), QStringLiteral("Uniform"), false);
    check(page, QStringLiteral("UseGrayValueofPixels"), QStringLiteral("Use Gray Value of Pixels"), false);
}

void TEffectForm::buildPageCurlTab(QWidget *page) {
    check(page, QStringLiteral("C_Trans"), QStringLiteral("Keep Image under the curl"), false);
    QGroupBox *shading = group(page, QStringLiteral("pcShadingGroup"), QStringLiteral("Curl color"));
    radio(shading, QStringLiteral("B_CUBC"), QStringLiteral("Use Background color"), false);
    radio(shading, QStringLiteral("B_CUFC"), QStringLiteral("Use Foreground color"), true);
    bar(page, QStringLiteral("pcShadingBar"), QStringLiteral("Shading transparancy"), 0, 4, 4);
    check(page, QStringLiteral("CShade"), QStringLiteral("Shade Under Curl"), true);
    QGroupBox *back = group(page, QStringLiteral("pcBackGroup"), QStringLiteral("Background"));
    radio(back, QStringLiteral("B_CFC"), QStringLiteral("Use Background color"), true);
    radio(back, QStringLiteral("B_CBC"), QStringLiteral("Use Foreground color"), false);
    QGroupBox *orientation = group(page, QStringLiteral("pcOrientationGroup"), QStringLiteral("Orientation"));
    radio(orientation, QStringLiteral("C_OH"), QStringLiteral("Horizonal"), true);
    radio(orientation, QStringLiteral("C_OV"), QStringLiteral("Vertical"), false);
    QGroupBox *corner = group(page, QStringLiteral("pcCornerGroup"), QStringLiteral("Location"));
    radio(corner, QStringLiteral("C_RT"), QStringLiteral("Top Right"), false);
    radio(corner, QStringLiteral("C_LT"), QStringLiteral("Top Left"), true);
    radio(corner, QStringLiteral("C_LB"), QStringLiteral("Bottom Left"), false);
    radio(corner, QStringLiteral("C_RB"), QStringLiteral("Bottom Right"), false);
    colourButton(page, QStringLiteral("pcBackColorBtn"), QStringLiteral("Background Color"), 0);
    colourButton(page, QStringLiteral("pcForeColorBtn"), QStringLiteral("Foreground Color"), 1);
}

void TEffectForm::buildRotateTab(QWidget *page) {
    TTrackEdit *angle =
        bar(page, QStringLiteral("rtValueBar"), QStringLiteral("Angle"), -1800, 1800, 0, true);
    angle->Bar()->setTickInterval(10);
    angle->Bar()->setTickPosition(QSlider::TicksBelow);
    colourButton(page, QStringLiteral("rtBackColorBtn"), QStringLiteral("Background  Color"), 0);
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
    const auto plain = plainValues().constFind(c.Tab);
    if (plain == plainValues().cend()) {
        gatherOtherValues(c);
        return c;
    }
    for (const ControlValue &v : *plain) {
        const QString name = QLatin1String(v.name);
        c.Values.append(v.flag ? (checked(name) ? 1 : 0) : barValue(name));
    }
    return c;
}

// The values of the tabs whose effect also takes colours, a choice among radio buttons, a scaled or
// combined value, or the picture to paste.
void TEffectForm::gatherOtherValues(TEffectCall &c) const {
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
    if (t == QLatin1String("Borders")) {
        bars({"brShapeCombo", "brEdgeBar", "brAngleBar", "brVectorsBar", "brVectorSizeBar"});
        flags({"brWindowColor"});
        c.Colours.append((checked(QStringLiteral("brWindowColor")) ? window : m_colours.Mask).rgb());
    } else if (t == QLatin1String("Border Fade")) {
        bars({"bfEdgeBar"});
        c.Colours.append((checked(QStringLiteral("bfWindoColor")) ? window : m_colours.Background).rgb());
    } else if (t == QLatin1String("Color")) {
        flags({"MillionColors"});
        bars({"crColorsBar"});
        c.Values.append(checkedIndex(
            {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("R4")}));
    } else if (t == QLatin1String("HalfTone")) {
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
    } else if (t == QLatin1String("Mosaic")) {
        bars({"msSizeBar", "msHeightBar", "msSpaceBar", "msLightBar", "msRandomBar"});
        flags({"btnType"});
        c.Values.append(checked(QStringLiteral("MosSur2")) ? 0 : 1);
        flags({"MosAntiA"});
        c.Colours = {m_colours.Foreground.rgb(), m_colours.Background.rgb()};
    } else if (t == QLatin1String("Motion Blur")) {
        bars({"mtValueBar", "mtAnglebar"});
        c.Values.append(m_motionKind);
    } else if (t == QLatin1String("Page Curl")) {
        flags({"B_CFC", "B_CBC", "C_Trans", "B_CUBC", "B_CUFC", "CShade", "C_LT", "C_RT", "C_LB", "C_RB",
               "C_OV", "C_OH"});
        bars({"pcShadingBar"});
        c.Colours = {m_colours.Background.rgb(), m_colours.Foreground.rgb()};
    } else if (t == QLatin1String("Paste Image")) {
        c.Paste = &m_pasteDib;
    } else if (t == QLatin1String("Rotate")) {
        c.Values.append(barValue(QStringLiteral("rtValueBar")) / 10.0);
        c.Colours.append(m_colours.Background.rgb());
    }
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
