// The filters-and-effects dialog: window, preview and selection, Preview/Apply, progress, closing
// and settings.
#include "effects/dialog/TEffectForm.h"

#include "effects/dialog/TPaletteBox.h"
#include "effects/dialog/TTrackEdit.h"
#include "effects/dialog/TVisPImage.h"
#include "effects/dialog/TVisRubberBand.h"
#include "imaging/core/DllSP96.h"
#include "platform/imageio/DibConvert.h"
#include "platform/modal/StandardDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace orva::effects {

using namespace orva::imaging;

namespace {

const QString kColorPalette = QStringLiteral("Color Palette");
const QString kPasteImage = QStringLiteral("Paste Image");
const QString kTransitions = QStringLiteral("Transitions");
const QString kBorders = QStringLiteral("Borders");
const QString kPending = QStringLiteral("There is still an action pending. Are you sure you want to exit ?");

// The menu each effect item sits in: 0 Image, 1 Deformation, 2 Correction.
int menuOf(const QString &caption) {
    static const QStringList deformation = {
        QStringLiteral("Engrave"),     QStringLiteral("Extrude"),    QStringLiteral("HalfTone"),
        QStringLiteral("Jiggle"),      QStringLiteral("Mirror"),     QStringLiteral("Mosaic"),
        QStringLiteral("Motion Blur"), QStringLiteral("Noisify"),    QStringLiteral("Oil Paint"),
        QStringLiteral("Page Curl"),   QStringLiteral("Pinch Hole"), QStringLiteral("Polar"),
        QStringLiteral("Rotate"),      QStringLiteral("Spray"),      QStringLiteral("Warp"),
        QStringLiteral("Wave"),        QStringLiteral("WhirlPool")};
    static const QStringList correction = {QStringLiteral("Bleed"),     QStringLiteral("Blur"),
                                           QStringLiteral("Despeckle"), QStringLiteral("Edge Detection"),
                                           QStringLiteral("Sharp"),     QStringLiteral("Soft")};
    return deformation.contains(caption) ? 1 : correction.contains(caption) ? 2 : 0;
}

QString helpFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/effects.hlp");
}

} // namespace

QStringList TEffectForm::TabCaptions() {
    return {QStringLiteral("AutoContrast"),
            QStringLiteral("Bleed"),
            QStringLiteral("Borders"),
            QStringLiteral("Border Fade"),
            QStringLiteral("Blur"),
            QStringLiteral("Bright"),
            QStringLiteral("Color"),
            kColorPalette,
            QStringLiteral("Dark"),
            QStringLiteral("Despeckle"),
            QStringLiteral("Edge Detection"),
            QStringLiteral("Engrave"),
            QStringLiteral("Enhance"),
            QStringLiteral("Extrude"),
            QStringLiteral("Gamma"),
            QStringLiteral("Gray Area"),
            QStringLiteral("HalfTone"),
            QStringLiteral("Hue and Saturation"),
            QStringLiteral("Invert"),
            QStringLiteral("Jiggle"),
            QStringLiteral("Mirror"),
            QStringLiteral("Mosaic"),
            QStringLiteral("Motion Blur"),
            QStringLiteral("Noisify"),
            QStringLiteral("Oil Paint"),
            QStringLiteral("Page Curl"),
            kPasteImage,
            QStringLiteral("Pinch Hole"),
            QStringLiteral("Polar"),
            QStringLiteral("Rotate"),
            QStringLiteral("Sharp"),
            QStringLiteral("Soft"),
            QStringLiteral("Spray"),
            QStringLiteral("Tile Maker"),
            QStringLiteral("Threshold"),
            kTransitions,
            QStringLiteral("Warp"),
            QStringLiteral("Wave"),
            QStringLiteral("WhirlPool")};
}

bool TEffectForm::UsesArea(const QString &caption) {
    static const QStringList whole = {kBorders,
                                      QStringLiteral("Bright"),
                                      QStringLiteral("Color"),
                                      kColorPalette,
                                      QStringLiteral("Dark"),
                                      QStringLiteral("Extrude"),
                                      QStringLiteral("Gamma"),
                                      QStringLiteral("HalfTone"),
                                      QStringLiteral("Invert"),
                                      QStringLiteral("Mirror"),
                                      QStringLiteral("Motion Blur"),
                                      QStringLiteral("Tile Maker"),
                                      kTransitions,
                                      QStringLiteral("Warp")};
    return !whole.contains(caption);
}

bool TEffectForm::HelpAvailable() {
    return QFileInfo(helpFolder()).isDir();
}

TEffectForm::TEffectForm(UserMessages &messages, QWidget *parent) : QDialog(parent), m_messages(messages) {
    setObjectName(QStringLiteral("EffectForm"));
    setWindowTitle(QStringLiteral("Filters and Effects"));
    SettingsPath = DefaultSettingsFile();
    ChooseColor = [](QWidget *owner, const QColor &current) -> std::optional<QColor> {
        const QColor c = AskColour(owner, current);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    const QColor face = palette().color(QPalette::Button);
    m_colours = {face, face, face};
    m_band = new TVisRubberBand(this);
    m_band->OnRubberband = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int l, int t, int r,
                                  int b) { onBand(l, t, r, b); };
    buildWindow();
    buildTabs();
    m_pasteTimer.setInterval(3000);
    connect(&m_pasteTimer, &QTimer::timeout, this, &TEffectForm::pasteTick);
    // What a new settings file takes as its defaults: the controls as built, before any load.
    m_builtIn = CaptureControls(this, m_colours);
    const bool help = HelpAvailable();
    for (QMenu *m : m_helpMenus)
        m->menuAction()->setVisible(help);
    for (QWidget *b : m_helpButtons)
        b->setVisible(help);
    tabChanged();
}

TEffectForm::~TEffectForm() {
    try {
        if (m_saveOnExit->isChecked())
            saveSettings();
        else
            QFile::remove(SettingsPath);
    } catch (const std::exception &) {
        // Settings are a convenience; a failure to write them must not end the program.
    }
}

TEffectForm *TEffectForm::ShowEffects(QWidget *parent, UserMessages &messages, DibBlock copy,
                                      std::function<void(DibBlock &&)> done) {
    auto *form = new TEffectForm(messages, parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->EffectDib = std::move(copy);
    connect(form, &QDialog::finished, form, [form, done = std::move(done)](int result) {
        if (result != QDialog::Accepted || !done)
            return;
        try {
            done(std::move(form->EffectDib));
        } catch (const std::exception &e) {
            form->m_messages.error(QStringLiteral("Filters and Effects"), QString::fromUtf8(e.what()));
        }
    });
    form->open();
    return form;
}

// ---- window ---------------------------------------------------------------------------------------

QToolButton *TEffectForm::toolButton(const QString &name, const QString &text, const QString &hint) {
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_tools.insert(name, b);
    return b;
}

void TEffectForm::buildWindow() {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    buildMenus(layout);
    buildToolRow(layout);
    buildPreviewAndTabs(layout);
    buildStatusBar(layout);
    resize(900, 620);
}

// File, the effect groups, Transitions and Help.
void TEffectForm::buildMenus(QVBoxLayout *layout) {
    auto *menus = new QMenuBar(this);
    layout->setMenuBar(menus);
    QMenu *file = menus->addMenu(QStringLiteral("File"));
    auto item = [this](QMenu *menu, const QString &text, auto slot) {
        QAction *a = menu->addAction(text);
        connect(a, &QAction::triggered, this, slot);
        m_menuItems.append(a);
        return a;
    };
    item(file, QStringLiteral("Apply"), &TEffectForm::DoApply);
    item(file, QStringLiteral("Preview"), &TEffectForm::DoPreview);
    item(file, QStringLiteral("Reset to default"), &TEffectForm::ResetToDefault);
    m_saveOnExit = file->addAction(QStringLiteral("Save settings on exit"));
    m_saveOnExit->setCheckable(true);
    m_saveOnExit->setChecked(true);
    m_menuItems.append(m_saveOnExit);
    item(file, QStringLiteral("Exit"), &TEffectForm::CloseAndSave);
    QMenu *groups[3] = {menus->addMenu(QStringLiteral("Image")),
                        menus->addMenu(QStringLiteral("Deformation")),
                        menus->addMenu(QStringLiteral("Correction"))};
    for (const QString &caption : TabCaptions()) {
        if (caption == kTransitions)
            continue;
        QAction *a = groups[menuOf(caption)]->addAction(caption);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, caption] { ShowTab(caption); });
        m_effectItems.insert(caption, a);
        m_menuItems.append(a);
    }
    QAction *transitions = menus->addAction(kTransitions);
    connect(transitions, &QAction::triggered, this, [this] { ShowTab(kTransitions); });
    m_menuItems.append(transitions);
    QMenu *help = menus->addMenu(QStringLiteral("Help"));
    m_helpMenus.append(help);
    connect(help->addAction(QStringLiteral("Search")), &QAction::triggered, this,
            [this] { openHelp(QStringLiteral("Filters_and_Effects")); });
    connect(help->addAction(QStringLiteral("Content")), &QAction::triggered, this,
            [this] { openHelp(QStringLiteral("index")); });
    connect(help->addAction(QStringLiteral("How to use...")), &QAction::triggered, this,
            [this] { openHelp(QStringLiteral("Filters_and_Effects_Manager")); });
}

// The row of tool buttons under the menus.
void TEffectForm::buildToolRow(QVBoxLayout *layout) {
    auto *tools = new QHBoxLayout;
    QToolButton *hs = toolButton(QStringLiteral("HSRubberband"), QStringLiteral("Hide Selection"),
                                 QStringLiteral("Hide/Show Rubberband"));
    hs->setCheckable(true);
    connect(hs, &QToolButton::toggled, this, [this, hs](bool down) {
        hs->setText(down ? QStringLiteral("Show Selection") : QStringLiteral("Hide Selection"));
        showSelection(m_usesArea && !down);
        m_preview->update();
    });
    connect(toolButton(QStringLiteral("ResetRubberbandBtn"), QStringLiteral("Reset Selection"),
                       QStringLiteral("Reset RubberBand to full image")),
            &QToolButton::clicked, this, &TEffectForm::ResetSelection);
    connect(toolButton(QStringLiteral("ReloadimageBtn"), QStringLiteral("Reload"),
                       QStringLiteral("Reload image")),
            &QToolButton::clicked, this, &TEffectForm::Reload);
    connect(toolButton(QStringLiteral("PreviewBtn"), QStringLiteral("Preview"),
                       QStringLiteral("Preview this effect before applying it")),
            &QToolButton::clicked, this, &TEffectForm::DoPreview);
    connect(toolButton(QStringLiteral("ApplyBtn"), QStringLiteral("Apply"),
                       QStringLiteral("Apply this effect to the master image")),
            &QToolButton::clicked, this, &TEffectForm::DoApply);
    connect(toolButton(QStringLiteral("StopProcessBtn"), QStringLiteral("Stop"),
                       QStringLiteral("Stop Processing the image")),
            &QToolButton::clicked, this, &TEffectForm::StopProcess);
    connect(toolButton(QStringLiteral("exBtn"), QStringLiteral("Close and Save"),
                       QStringLiteral("Close and apply all to main image")),
            &QToolButton::clicked, this, &TEffectForm::CloseAndSave);
    QToolButton *discard =
        toolButton(QStringLiteral("CloseNadNotSaveBtn"), QString(), QStringLiteral("Close and do not save"));
    discard->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    discard->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(discard, &QToolButton::clicked, this, &QDialog::reject);
    for (const QString &name :
         {QStringLiteral("HSRubberband"), QStringLiteral("ResetRubberbandBtn"),
          QStringLiteral("ReloadimageBtn"), QStringLiteral("PreviewBtn"), QStringLiteral("ApplyBtn"),
          QStringLiteral("StopProcessBtn"), QStringLiteral("exBtn"), QStringLiteral("CloseNadNotSaveBtn")})
        tools->addWidget(m_tools.value(name));
    tools->addStretch();
    layout->addLayout(tools);
    m_tools.value(QStringLiteral("ReloadimageBtn"))->setEnabled(false);
    m_tools.value(QStringLiteral("StopProcessBtn"))->setEnabled(false);
}

// The selected area's edges and the preview on the left, the effect tabs on the right.
void TEffectForm::buildPreviewAndTabs(QVBoxLayout *layout) {
    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    m_areaBoxes = new QWidget(this);
    auto *areaRow = new QHBoxLayout(m_areaBoxes);
    areaRow->setContentsMargins(0, 0, 0, 0);
    const char *areaNames[4] = {"LeftEdit", "TopEdit", "RightEdit", "BottomEdit"};
    const char *areaLabels[4] = {"L:", "T:", "R:", "B:"};
    for (int i = 0; i < 4; ++i) {
        areaRow->addWidget(new QLabel(QLatin1String(areaLabels[i]), m_areaBoxes));
        m_areaEdits[i] = new QLineEdit(m_areaBoxes);
        m_areaEdits[i]->setObjectName(QLatin1String(areaNames[i]));
        m_areaEdits[i]->setReadOnly(true);
        m_areaEdits[i]->setMaximumWidth(60);
        areaRow->addWidget(m_areaEdits[i]);
    }
    areaRow->addStretch();
    left->addWidget(m_areaBoxes);
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PreviewPanel"));
    panel->setMinimumSize(200, 200);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_preview = new TVisPImage(panel);
    m_preview->setObjectName(QStringLiteral("PreviewImage"));
    panelLayout->addWidget(m_preview);
    m_preview->OnAfterPaint = [this](QPainter &p) { m_band->Draw(p); };
    m_preview->OnMouseDown = [this](QMouseEvent *e) { previewMouse(e, 0); };
    m_preview->OnMouseMove = [this](QMouseEvent *e) { previewMouse(e, 1); };
    m_preview->OnMouseUp = [this](QMouseEvent *e) { previewMouse(e, 2); };
    left->addWidget(panel, 1);
    body->addLayout(left, 1);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("EffectTabs"));
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setMinimumWidth(380);
    body->addSpacing(5);
    body->addWidget(m_tabs);
    layout->addLayout(body, 1);
}

void TEffectForm::buildStatusBar(QVBoxLayout *layout) {
    auto *status = new QStatusBar(this);
    m_status = new QLabel(status);
    m_status->setObjectName(QStringLiteral("StatusPanel"));
    status->addWidget(m_status, 1);
    m_progress = new QProgressBar(status);
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setToolTip(QStringLiteral("Current status of the image handling"));
    m_progress->setMaximumWidth(160);
    status->addPermanentWidget(m_progress);
    layout->addWidget(status);
}

// ---- tabs and selection ---------------------------------------------------------------------------

QString TEffectForm::CurrentTab() const {
    return m_tabs->tabText(m_tabs->currentIndex());
}

void TEffectForm::ShowTab(const QString &caption) {
    int index = -1;
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabText(i) == caption)
            index = i;
    if (index < 0)
        index = std::min(1, m_tabs->count() - 1);
    if (index == m_tabs->currentIndex())
        tabChanged();
    else
        m_tabs->setCurrentIndex(index);
}

void TEffectForm::tabChanged() {
    if (m_changingTab || !m_tabs || m_tabs->count() == 0)
        return;
    m_changingTab = true;
    const QString tab = CurrentTab();
    m_nothingPending = true;
    updateColourText();
    m_usesArea = UsesArea(tab);
    m_pasteTimer.stop();
    m_pasteMode = tab == kPasteImage;
    m_preview->ShowOverlay = m_pasteMode;
    const bool hasPreview = !m_previewDib.isNull();
    bool canRun = hasPreview && tab != kColorPalette && tab != kTransitions;
    if (tab == kBorders)
        canRun = canRun && barValue(QStringLiteral("brShapeCombo")) != 0;
    m_tools.value(QStringLiteral("PreviewBtn"))->setEnabled(canRun && !m_pasteMode);
    m_tools.value(QStringLiteral("ApplyBtn"))->setEnabled(canRun);
    if (m_pasteMode) {
        ensurePasteBrowser();
        m_pasteTimer.start();
        pasteTick();
    }
    m_tools.value(QStringLiteral("HSRubberband"))->setEnabled(m_usesArea);
    for (auto it = m_effectItems.begin(); it != m_effectItems.end(); ++it)
        it.value()->setChecked(it.key().toLower() == tab.toLower());
    if (hasPreview) {
        if (tab == kColorPalette && m_bits <= 8) {
            // The palette tools work on the full-size picture, which the preview only looks at.
            m_preview->SetDib(&EffectDib);
        } else {
            if (m_paletteChanged) {
                m_paletteChanged = false;
                loadPreview();
            }
            restorePreview();
        }
    }
    refreshPaletteTools();
    showSelection(m_usesArea && !m_tools.value(QStringLiteral("HSRubberband"))->isChecked());
    m_preview->update();
    m_changingTab = false;
}

bool TEffectForm::SelectionShown() const {
    return m_band->Control() != nullptr;
}

void TEffectForm::showSelection(bool show) {
    m_band->SetControl(show ? m_preview : nullptr);
    m_areaBoxes->setVisible(show);
    m_tools.value(QStringLiteral("ResetRubberbandBtn"))->setEnabled(show);
}

void TEffectForm::SetCrop(const TEdges &crop) {
    m_crop = crop;
    m_cropSet = true;
    fitBand();
}

void TEffectForm::fitBand() {
    // The crop rectangle holds the picture's pixels and stays as it is: the band follows it, and
    // its report of the fitted rectangle is not taken back (that would round the crop twice).
    const TEdges e = ScaleEdges(m_crop, m_imageWidth, m_imageHeight, m_preview->width(), m_preview->height());
    m_fitting = true;
    m_band->SetRect(e.Left, e.Top, e.width(), e.height());
    m_fitting = false;
    m_preview->OverlayRect = QRect(e.Left, e.Top, e.width() + 1, e.height() + 1);
    const int values[4] = {m_crop.Left, m_crop.Top, m_crop.Right, m_crop.Bottom};
    for (int i = 0; i < 4; ++i)
        m_areaEdits[i]->setText(QString::number(values[i]));
    m_preview->update();
}

void TEffectForm::onBand(int left, int top, int right, int bottom) {
    if (m_fitting)
        return;
    const TEdges band{left, top, right, bottom};
    m_crop = ScaleEdges(band, m_preview->width(), m_preview->height(), m_imageWidth, m_imageHeight);
    m_cropSet = true;
    m_preview->OverlayRect = QRect(left, top, right - left + 1, bottom - top + 1);
    const int values[4] = {m_crop.Left, m_crop.Top, m_crop.Right, m_crop.Bottom};
    for (int i = 0; i < 4; ++i)
        m_areaEdits[i]->setText(QString::number(values[i]));
    if (m_pasteMode)
        m_preview->update();
}

void TEffectForm::ResetSelection() {
    if (m_running)
        return;
    m_band->SetRect(0, 0, m_preview->width(), m_preview->height());
}

void TEffectForm::previewMouse(QMouseEvent *event, int kind) {
    if (m_running)
        return;
    const QPoint at = event->position().toPoint();
    if (kind == 0 && CurrentTab() == kColorPalette && m_paletteTools->isEnabled()) {
        const QPoint pixel = m_preview->ImagePoint(at);
        if (pixel.x() >= 0 && pixel.x() < EffectDib.width() && pixel.y() < EffectDib.height())
            PickPaletteColour(orva::imageio::dibPixel(EffectDib, pixel.x(), pixel.y()));
    }
    if (!m_usesArea)
        return;
    switch (kind) {
    case 0:
        m_band->MouseDown(event->button(), event->modifiers(), at.x(), at.y());
        break;
    case 1:
        m_band->MouseMove(event->modifiers(), at.x(), at.y());
        break;
    default:
        m_band->MouseUp(event->button(), event->modifiers(), at.x(), at.y());
    }
}

// ---- preview --------------------------------------------------------------------------------------

void TEffectForm::loadPreview() {
    if (EffectDib.isNull())
        return;
    DibBlock scaled = SpScaleDib(EffectDib, std::max(1, m_preview->width()), std::max(1, m_preview->height()),
                                 EffectDib.bitCount());
    if (!scaled) {
        // Without a preview the dialog cannot work; it closes as cancelled.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    m_previewDib = std::move(scaled);
    m_backup = m_previewDib.copy();
    m_preview->SetDib(&m_previewDib);
}

void TEffectForm::restorePreview() {
    if (m_backup.isNull())
        return;
    m_previewDib = m_backup.copy();
    m_preview->SetDib(&m_previewDib);
}

void TEffectForm::Reload() {
    if (m_running)
        return;
    restorePreview();
    m_preview->SetOverlay(m_pasteMode ? &m_pasteDib : nullptr);
    m_preview->update();
}

TEdges TEffectForm::previewArea(const TEdges &crop) const {
    return ScaleEdges(crop, m_imageWidth, m_imageHeight, m_previewDib.width(), m_previewDib.height());
}

void TEffectForm::DoPreview() {
    runEffect(false);
}

void TEffectForm::DoApply() {
    runEffect(true);
}

void TEffectForm::runEffect(bool apply) {
    const QString tab = CurrentTab();
    if (m_running || m_previewDib.isNull() || tab == kColorPalette || tab == kTransitions)
        return;
    if (!m_tools.value(apply ? QStringLiteral("ApplyBtn") : QStringLiteral("PreviewBtn"))->isEnabled())
        return;
    m_stop = false;
    m_progress->setValue(0);
    TEffectCall call = GatherCall();
    DibBlock *target = &EffectDib;
    if (apply) {
        m_tools.value(QStringLiteral("ReloadimageBtn"))->setEnabled(false);
        m_nothingPending = true;
    } else {
        // Previews do not pile up: each starts from the last applied picture.
        restorePreview();
        call.Area = previewArea(call.Area);
        target = &m_previewDib;
        m_tools.value(QStringLiteral("ReloadimageBtn"))->setEnabled(true);
        m_nothingPending = false;
    }
    // Outside paste mode the area is cut to the picture; a pasted picture may reach beyond it, and
    // the merge cuts it there.
    call.Area = call.Area.normalised();
    if (!m_pasteMode)
        call.Area = call.Area.clippedTo(target->width(), target->height());
    beginRun();
    bool ok = false;
    try {
        ok = RunEffect(*target, call, static_cast<TProgressTarget *>(this), &SpProgress,
                       &TEffectForm::warpFrame);
    } catch (const std::exception &e) {
        m_messages.error(QStringLiteral("Filters and Effects"), QString::fromUtf8(e.what()));
    }
    m_frameDib = DibBlock();
    endRun();
    if (ok && apply) {
        m_imageWidth = std::max(1, EffectDib.width());
        m_imageHeight = std::max(1, EffectDib.height());
        m_bits = EffectDib.bitCount();
        loadPreview();
        m_crop = m_crop.clippedTo(m_imageWidth, m_imageHeight);
        fitBand();
    } else {
        m_preview->SetDib(&m_previewDib);
    }
    if (!ok)
        m_status->setText(m_stop ? QStringLiteral("Stopped")
                                 : QStringLiteral("The effect could not be applied"));
    updateColourText();
    m_preview->update();
    if (m_closeRequested) {
        m_closeRequested = false;
        QDialog::done(QDialog::Rejected);
    }
}

void TEffectForm::beginRun() {
    m_running = true;
    m_pasteTimer.stop();
    m_disabledForRun.clear();
    m_actionsDisabledForRun.clear();
    for (QToolButton *b : m_tools)
        if (b->isEnabled() && b->objectName() != QLatin1String("StopProcessBtn")) {
            b->setEnabled(false);
            m_disabledForRun.append(b);
        }
    for (QWidget *w : {static_cast<QWidget *>(m_tabs), static_cast<QWidget *>(m_preview)})
        if (w->isEnabled()) {
            w->setEnabled(false);
            m_disabledForRun.append(w);
        }
    for (QAction *a : m_menuItems)
        if (a->isEnabled()) {
            a->setEnabled(false);
            m_actionsDisabledForRun.append(a);
        }
    m_tools.value(QStringLiteral("StopProcessBtn"))->setEnabled(true);
    m_runCursor.emplace();
}

void TEffectForm::endRun() {
    for (const QPointer<QWidget> &w : m_disabledForRun)
        if (w)
            w->setEnabled(true);
    for (const QPointer<QAction> &a : m_actionsDisabledForRun)
        if (a)
            a->setEnabled(true);
    m_disabledForRun.clear();
    m_actionsDisabledForRun.clear();
    m_tools.value(QStringLiteral("StopProcessBtn"))->setEnabled(false);
    m_status->clear();
    m_runCursor.reset();
    m_running = false;
    if (m_pasteMode)
        m_pasteTimer.start();
}

void TEffectForm::StopProcess() {
    m_stop = true;
}

void TEffectForm::DoProgress(std::int16_t percent, const QString &message, bool &cancel) {
    const int shown = m_progress->value();
    bool pump = false;
    if (percent <= 0) {
        m_progress->setValue(0);
        pump = true;
    } else if (percent >= 100) {
        m_progress->setValue(std::min<int>(percent, 100));
        pump = true;
    } else if (percent > shown + 5) {
        m_progress->setValue(percent);
        m_status->setText(message);
        pump = true;
    }
    if (pump) {
        m_preview->repaint();
        // Lets Stop (and painting) through; everything else is disabled while an effect runs.
        QCoreApplication::processEvents();
    }
    cancel = m_stop;
}

std::int16_t TEffectForm::warpFrame(const DibBlock &dib, void *data) {
    auto *form = dynamic_cast<TEffectForm *>(static_cast<TProgressTarget *>(data));
    if (!form)
        return 1;
    // The engine keeps its own picture; the preview shows a copy.
    form->m_frameDib = dib.copy();
    form->m_preview->SetDib(&form->m_frameDib);
    form->m_preview->repaint();
    return form->m_stop ? 0 : 1;
}

// ---- closing --------------------------------------------------------------------------------------

void TEffectForm::CloseAndSave() {
    if (m_running)
        return;
    if (!m_nothingPending && !m_messages.yesNo(QStringLiteral("Confirm"), kPending))
        return;
    accept();
}

void TEffectForm::done(int result) {
    if (m_running) {
        // The engine is still working on pictures this dialog owns: stop it and close afterwards.
        m_closeRequested = true;
        m_stop = true;
        return;
    }
    m_backup = DibBlock();
    m_pasteTimer.stop();
    QDialog::done(result);
}

void TEffectForm::closeEvent(QCloseEvent *event) {
    if (m_running) {
        m_closeRequested = true;
        m_stop = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// ---- showing, resizing, keys ----------------------------------------------------------------------

void TEffectForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    m_previewDib = DibBlock();
    m_backup = DibBlock();
    m_preview->SetDib(nullptr);
    if (EffectDib.isNull()) {
        tabChanged();
        return;
    }
    m_imageWidth = std::max(1, EffectDib.width());
    m_imageHeight = std::max(1, EffectDib.height());
    m_bits = EffectDib.bitCount();
    loadSettings();
    if (layout())
        layout()->activate();
    loadPreview();
    tabChanged();
    fitBand();
    if (m_paletteBox)
        m_paletteBox->update();
}

void TEffectForm::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    if (layout())
        layout()->activate();
    if (!EffectDib.isNull())
        fitBand();
}

void TEffectForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && HelpAvailable()) {
        openHelp(HelpTopic(CurrentTab()));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TEffectForm::event(QEvent *event) {
    if (event->type() == QEvent::StatusTip && !m_running) {
        m_status->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TEffectForm::openHelp(const QString &topic) {
    if (HelpAvailable())
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(helpFolder() + QLatin1Char('/') + topic + QStringLiteral(".html")));
}

// ---- settings -------------------------------------------------------------------------------------

void TEffectForm::loadSettings() {
    TEffectSettingsState state;
    state.Colours = m_colours;
    EffectSettings(TSettingsMode::Load, SettingsPath, this, m_builtIn, state);
    for (int i = 0; i < 3; ++i)
        setColour(i, i == 0   ? state.Colours.Background
                     : i == 1 ? state.Colours.Foreground
                              : state.Colours.Mask);
    QRect place = geometry();
    if (state.Place[0])
        place.moveLeft(*state.Place[0]);
    if (state.Place[1])
        place.moveTop(*state.Place[1]);
    if (state.Place[2])
        place.setWidth(std::max(*state.Place[2], minimumWidth()));
    if (state.Place[3])
        place.setHeight(std::max(*state.Place[3], minimumHeight()));
    if (place != geometry()) {
        // A place remembered on a screen that is gone is brought back onto one that is there.
        const QScreen *screen = QGuiApplication::screenAt(place.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect avail = screen->availableGeometry();
            place.setWidth(std::min(place.width(), avail.width()));
            place.setHeight(std::min(place.height(), avail.height()));
            place.moveLeft(std::clamp(place.left(), avail.left(), avail.right() - place.width() + 1));
            place.moveTop(std::clamp(place.top(), avail.top(), avail.bottom() - place.height() + 1));
        }
        setGeometry(place);
    }
    TEdges crop = m_cropSet ? m_crop : TEdges{0, 0, m_imageWidth, m_imageHeight};
    int *edges[4] = {&crop.Left, &crop.Top, &crop.Right, &crop.Bottom};
    for (int i = 0; i < 4; ++i)
        if (state.Crop[static_cast<std::size_t>(i)])
            *edges[i] = *state.Crop[static_cast<std::size_t>(i)];
    // A stored area is the user's own only as far as it lies on this picture.
    crop = crop.normalised().clippedTo(m_imageWidth, m_imageHeight);
    m_crop = crop.isEmpty() ? TEdges{0, 0, m_imageWidth, m_imageHeight} : crop;
    m_cropSet = true;
    ShowTab(state.Page.isEmpty() ? TabCaptions().first() : state.Page);
}

void TEffectForm::saveSettings() {
    TEffectSettingsState state;
    state.Colours = m_colours;
    const QRect g = geometry();
    state.Place = {g.left(), g.top(), g.width(), g.height()};
    if (m_cropSet)
        state.Crop = {m_crop.Left, m_crop.Top, m_crop.Right, m_crop.Bottom};
    state.Page = CurrentTab();
    EffectSettings(TSettingsMode::Save, SettingsPath, this, m_builtIn, state);
}

void TEffectForm::ResetToDefault() {
    if (m_running)
        return;
    TEffectSettingsState state;
    state.Colours = m_colours;
    EffectSettings(TSettingsMode::Reset, SettingsPath, this, m_builtIn, state);
    setColour(0, state.Colours.Background);
    setColour(1, state.Colours.Foreground);
    setColour(2, state.Colours.Mask);
    tabChanged();
}

} // namespace orva::effects
