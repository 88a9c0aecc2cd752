// The tabs of the filters-and-effects dialog that work with tools of their own: the palette editor,
// the sources of a picture to paste, and the transitions.
#include "effects/dialog/TEffectForm.h"

#include "effects/dialog/TPaletteBox.h"
#include "effects/dialog/TTrackEdit.h"
#include "effects/dialog/TVisPImage.h"
#include "imaging/core/ClipboardPicture.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/DibConvert.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStorageInfo>
#include <QToolButton>
#include <QTreeView>

namespace orva::effects {

using namespace orva::imaging;

namespace {

const QStringList kPasteMask = {QStringLiteral("*.BMP"), QStringLiteral("*.GIF"), QStringLiteral("*.JPG"),
                                QStringLiteral("*.PCX"), QStringLiteral("*.PNG"), QStringLiteral("*.TIF"),
                                QStringLiteral("*.PCD"), QStringLiteral("*.TGA")};
const QString kPaletteFilter = QStringLiteral("Vistrane 3.0 Palette (*.VPL *.vpl)");

// The masks in both cases: file names on this system are case-sensitive, the extensions are not.
QStringList caseless(const QStringList &masks) {
    QStringList all = masks;
    for (const QString &m : masks)
        all.append(m.toLower());
    return all;
}

} // namespace

// ---- Color Palette --------------------------------------------------------------------------------

void TEffectForm::buildPaletteTab(QWidget *page) {
    auto *grid = static_cast<QGridLayout *>(page->layout());
    m_paletteNotice =
        new QLabel(QStringLiteral("This image doesn't have a  color palette. Decrease the number of "
                                  "colors to 256 or less by clicking on the color tab."),
                   page);
    m_paletteNotice->setObjectName(QStringLiteral("PaletteNotice"));
    m_paletteNotice->setWordWrap(true);
    grid->addWidget(m_paletteNotice, 0, 0, 1, 3);
    m_paletteTools = new QWidget(page);
    m_paletteTools->setObjectName(QStringLiteral("PaletteTools"));
    auto *tools = new QGridLayout(m_paletteTools);
    m_paletteBox = new TPaletteBox(m_paletteTools);
    m_paletteBox->setObjectName(QStringLiteral("PaletteBox"));
    m_paletteBox->OnSelect = [this](int index) { SelectPaletteEntry(index); };
    tools->addWidget(m_paletteBox, 0, 0, 1, 3);
    const char *names[3] = {"PaletteRedBar", "PaletteGreenBar", "PaletteBlueBar"};
    const char *hints[3] = {"Set the red component of the color", "Set the green component of the color",
                            "Set the blue component of the color"};
    const char *labels[3] = {"R: ", "G: ", "B: "};
    for (int k = 0; k < 3; ++k) {
        m_paletteLabels[k] = new QLabel(QLatin1String(labels[k]), m_paletteTools);
        m_paletteBars[k] = new QSlider(Qt::Horizontal, m_paletteTools);
        m_paletteBars[k]->setObjectName(QLatin1String(names[k]));
        m_paletteBars[k]->setRange(0, 255);
        m_paletteBars[k]->setPageStep(5);
        m_paletteBars[k]->setToolTip(QLatin1String(hints[k]));
        m_paletteBars[k]->setStatusTip(QLatin1String(hints[k]));
        tools->addWidget(m_paletteLabels[k], 1 + k, 0);
        tools->addWidget(m_paletteBars[k], 1 + k, 1, 1, 2);
        connect(m_paletteBars[k], &QSlider::valueChanged, this, [this] {
            if (!m_loadingBars)
                SetPaletteColour(
                    qRgb(m_paletteBars[0]->value(), m_paletteBars[1]->value(), m_paletteBars[2]->value()));
        });
    }
    m_paletteLabels[3] = new QLabel(QStringLiteral("Color Index: (0)"), m_paletteTools);
    tools->addWidget(m_paletteLabels[3], 4, 0, 1, 2);
    m_paletteSample = new QFrame(m_paletteTools);
    m_paletteSample->setObjectName(QStringLiteral("PaletteSample"));
    m_paletteSample->setFrameShape(QFrame::Box);
    m_paletteSample->setMinimumSize(40, 20);
    m_paletteSample->setAutoFillBackground(true);
    m_paletteSample->setToolTip(QStringLiteral("Click Me to apply to palette"));
    tools->addWidget(m_paletteSample, 4, 2);
    m_paletteAction = new QComboBox(m_paletteTools);
    m_paletteAction->setObjectName(QStringLiteral("PaletteActionCombo"));
    m_paletteAction->addItems({QStringLiteral("Create GrayScale Palette and Optimize Image"),
                               QStringLiteral("Load Palette from File and Optimize Image"),
                               QStringLiteral("Load Palette from File and Apply"),
                               QStringLiteral("Save Palette to File")});
    tools->addWidget(m_paletteAction, 5, 0, 1, 2);
    auto *apply = new QPushButton(QStringLiteral("Apply"), m_paletteTools);
    apply->setObjectName(QStringLiteral("PaletteApplyBtn"));
    connect(apply, &QPushButton::clicked, this,
            [this] { RunPaletteAction(m_paletteAction->currentIndex()); });
    tools->addWidget(apply, 5, 2);
    grid->addWidget(m_paletteTools, 1, 0, 1, 3);
}

void TEffectForm::refreshPaletteTools() {
    if (!m_paletteTools)
        return;
    const bool onTab = CurrentTab() == QLatin1String("Color Palette");
    const bool paletted = !EffectDib.isNull() && EffectDib.bitCount() <= 8;
    m_paletteTools->setEnabled(onTab && paletted);
    m_paletteNotice->setVisible(onTab && !paletted && !EffectDib.isNull());
    m_paletteBox->SetColours(paletted ? EffectDib.colorTable() : QVector<QRgb>());
    if (onTab && paletted)
        SelectPaletteEntry(std::clamp(m_paletteIndex, 0, std::max(0, EffectDib.numColors() - 1)));
}

void TEffectForm::SelectPaletteEntry(int index) {
    if (EffectDib.isNull() || index < 0 || index >= EffectDib.numColors())
        return;
    m_paletteIndex = index;
    m_paletteBox->SetSelected(index);
    const QRgb c = EffectDib.color(index);
    m_loadingBars = true;
    m_paletteBars[0]->setValue(qRed(c));
    m_paletteBars[1]->setValue(qGreen(c));
    m_paletteBars[2]->setValue(qBlue(c));
    m_loadingBars = false;
    m_paletteLabels[3]->setText(QStringLiteral("Color Index: (%1)").arg(index));
}

void TEffectForm::PickPaletteColour(QRgb colour) {
    if (EffectDib.isNull() || EffectDib.bitCount() > 8)
        return;
    SelectPaletteEntry(std::max(0, orva::fxlib::NearestPaletteIndex(EffectDib.colorTable(), colour)));
}

void TEffectForm::SetPaletteColour(QRgb colour) {
    if (m_loadingBars || EffectDib.isNull() || EffectDib.bitCount() > 8 ||
        m_paletteIndex >= EffectDib.numColors())
        return;
    m_paletteChanged = true;
    const char *labels[3] = {"R: ", "G: ", "B: "};
    const int values[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
    for (int k = 0; k < 3; ++k)
        m_paletteLabels[k]->setText(QLatin1String(labels[k]) + QString::number(values[k]));
    QPalette pal = m_paletteSample->palette();
    pal.setColor(QPalette::Window, QColor(colour));
    m_paletteSample->setPalette(pal);
    EffectDib.setColor(m_paletteIndex, colour);
    m_paletteBox->SetColours(EffectDib.colorTable());
    m_preview->ColoursChanged();
}

void TEffectForm::RunPaletteAction(int action) {
    if (m_running || EffectDib.isNull() || EffectDib.bitCount() > 8)
        return;
    QVector<QRgb> palette = EffectDib.colorTable();
    const int colours = EffectDib.numColors();
    QString file;
    if (action == 1 || action == 2)
        file = m_messages.openFileName(QStringLiteral("Load Palette"), QString(), kPaletteFilter);
    if (action == 3) {
        file = m_messages.saveFileName(QStringLiteral("Save Palette"), QString(), kPaletteFilter);
        if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += QStringLiteral(".VPL");
    }
    if (action != 0 && file.isEmpty())
        return;
    QString error;
    // A refused file or picture is told (a missing or foreign palette file silently) and changes nothing.
    const auto refused = [&] {
        if (!error.isEmpty())
            m_messages.error(QStringLiteral("Filters and Effects"), error);
    };
    switch (action) {
    case 0:
    case 1: {
        // The new palette is made apart from the picture's own, which the remap still reads.
        QVector<QRgb> target = action == 0 ? CreateGrayPalette(colours) : palette;
        if (action == 1 && LoadPaletteFile(file, target, &error) == 0)
            return refused();
        beginRun();
        RemapDibToPalette(target, EffectDib, static_cast<TProgressTarget *>(this), &SpProgress, &error);
        endRun();
        if (!error.isEmpty())
            return refused();
        break;
    }
    case 2:
        if (LoadPaletteFile(file, palette, &error) == 0)
            return refused();
        EffectDib.setColorTable(palette);
        break;
    case 3:
        SavePaletteFile(file, palette, colours, &error);
        return refused();
    default:
        return;
    }
    m_paletteChanged = true;
    m_paletteBox->SetColours(EffectDib.colorTable());
    SelectPaletteEntry(m_paletteIndex);
    m_preview->Changed();
}

// ---- Paste Image ----------------------------------------------------------------------------------

void TEffectForm::buildPasteTab(QWidget *page) {
    notice(
        page,
        QStringLiteral(
            "Load an image from file, twain or clipboard. Drag the image to the desired position and apply."),
        QString());
    auto *grid = static_cast<QGridLayout *>(page->layout());
    m_drives = new QComboBox(page);
    m_drives->setObjectName(QStringLiteral("DriveBox"));
    grid->addWidget(m_drives, grid->rowCount(), 0, 1, 3);
    m_directories = new QTreeView(page);
    m_directories->setObjectName(QStringLiteral("DirectoryList"));
    m_directories->setHeaderHidden(true);
    grid->addWidget(m_directories, grid->rowCount(), 0, 1, 3);
    m_files = new QListView(page);
    m_files->setObjectName(QStringLiteral("FileList"));
    grid->addWidget(m_files, grid->rowCount(), 0, 1, 3);
    QPushButton *clip =
        button(page, QStringLiteral("PasteClipboardBtn"), QStringLiteral("Paste Image from clipboard"));
    clip->setEnabled(false);
    connect(clip, &QPushButton::clicked, this, &TEffectForm::PasteFromClipboard);
    connect(button(page, QStringLiteral("AcquireBtn"), QStringLiteral("Aquire Image")), &QPushButton::clicked,
            this, &TEffectForm::AcquirePaste);
    connect(button(page, QStringLiteral("TwainSourceBtn"), QStringLiteral("Select Twain Source")),
            &QPushButton::clicked, this, [this] { SelectTwainSource(this); });
    auto *hidden = new QWidget(page);
    hidden->setObjectName(QStringLiteral("PastePanel"));
    hidden->hide();
    m_pastePreview = new TVisPImage(hidden);
    m_pastePreview->setObjectName(QStringLiteral("PastePreview"));
}

void TEffectForm::ensurePasteBrowser() {
    if (m_pasteBrowserReady)
        return;
    m_pasteBrowserReady = true;
    m_directoryModel = new QFileSystemModel(this);
    m_directoryModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setFilter(QDir::Files);
    m_fileModel->setNameFilters(caseless(kPasteMask));
    m_fileModel->setNameFilterDisables(false);
    m_directories->setModel(m_directoryModel);
    for (int c = 1; c < m_directoryModel->columnCount(); ++c)
        m_directories->hideColumn(c);
    m_files->setModel(m_fileModel);
    auto showFolder = [this](const QString &folder) {
        m_files->setRootIndex(m_fileModel->setRootPath(folder));
    };
    connect(m_drives, &QComboBox::currentTextChanged, this, [this, showFolder](const QString &root) {
        if (root.isEmpty())
            return;
        m_directories->setRootIndex(m_directoryModel->setRootPath(root));
        showFolder(root);
    });
    connect(m_directories, &QTreeView::clicked, this,
            [this, showFolder](const QModelIndex &index) { showFolder(m_directoryModel->filePath(index)); });
    connect(m_files, &QListView::clicked, this,
            [this](const QModelIndex &index) { LoadPasteFile(m_fileModel->filePath(index)); });
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    if (!roots.contains(QDir::homePath()))
        roots.prepend(QDir::homePath());
    m_drives->addItems(roots);
}

void TEffectForm::pasteTick() {
    auto *clip = findChild<QPushButton *>(QStringLiteral("PasteClipboardBtn"));
    if (m_running || !clip)
        return;
    clip->setEnabled(ClipboardHasPicture());
}

void TEffectForm::PasteFromClipboard() {
    if (m_running)
        return;
    DibBlock picture = ClipboardDib();
    if (picture.isNull())
        return;
    m_pasteDib = std::move(picture);
    m_pastePreview->SetDib(&m_pasteDib);
    m_preview->SetOverlay(&m_pasteDib);
}

bool TEffectForm::LoadPasteFile(const QString &file) {
    if (m_running)
        return false;
    m_pasteDib = DibBlock();
    m_pastePreview->SetDib(nullptr);
    m_preview->SetOverlay(nullptr);
    const QString ext = QFileInfo(file).suffix().toUpper();
    DibBlock read;
    bool ok = false;
    beginRun();
    try {
        TProgressTarget *self = this;
        if (ext == QLatin1String("BMP"))
            ok = ReadBMPFileDib(file, 0, 0, read, self);
        else if (ext == QLatin1String("PNG"))
            ok = ReadPNGFileDib(file, 0, 0, read, self);
        else if (ext == QLatin1String("GIF"))
            ok = ReadGIFFileDib(file, 0, 0, read, self);
        else if (ext == QLatin1String("PCX"))
            ok = ReadPCXFileDib(file, 0, 0, read, self);
        else if (ext == QLatin1String("JPG"))
            ok = ReadJPGFileDib(file, 0, 0, read, self);
        else if (ext == QLatin1String("TIF"))
            ok = ReadTIFFileDib(file, 0, 0, 0, read, self);
        else if (ext == QLatin1String("PCD"))
            ok = ReadPCDFileDib(file, 0, 0, pcd_BASE4, read, self);
        else if (ext == QLatin1String("TGA"))
            ok = ReadTGAFileDib(file, 0, 0, read, self);
    } catch (const std::exception &) {
        ok = false;
    }
    endRun();
    if (!ok || read.isNull())
        return false;
    m_pasteDib = std::move(read);
    m_pastePreview->SetDib(&m_pasteDib);
    m_preview->SetOverlay(&m_pasteDib);
    return true;
}

void TEffectForm::AcquirePaste() {
    if (m_running)
        return;
    m_pasteDib = DibBlock();
    m_pastePreview->SetDib(nullptr);
    m_preview->SetOverlay(nullptr);
    DibBlock scanned;
    beginRun();
    bool ok = false;
    try {
        ok = AcquireDibImage(0, 0, scanned, this);
    } catch (const std::exception &) {
        ok = false;
    }
    endRun();
    if (!ok || scanned.isNull()) {
        m_status->setText(LastErrorText());
        return;
    }
    m_pasteDib = std::move(scanned);
    m_pastePreview->SetDib(&m_pasteDib);
    m_preview->SetOverlay(&m_pasteDib);
}

// ---- Transitions ----------------------------------------------------------------------------------

void TEffectForm::buildTransitionsTab(QWidget *page) {
    QGroupBox *kinds = group(page, QStringLiteral("trKindGroup"), QStringLiteral("Transition"));
    const QStringList names = {QStringLiteral("FXN"), QStringLiteral("FXH"), QStringLiteral("FXV"),
                               QStringLiteral("FXD"), QStringLiteral("FXS"), QStringLiteral("FXR")};
    const QStringList texts = {QStringLiteral("None"),     QStringLiteral("Horizontal"),
                               QStringLiteral("Vertical"), QStringLiteral("Diagonal"),
                               QStringLiteral("Squares"),  QStringLiteral("Rectangle")};
    for (int i = 0; i < names.size(); ++i) {
        QRadioButton *r = radio(kinds, names[i], texts[i], i == 0);
        const QString name = names[i];
        connect(r, &QRadioButton::clicked, this, [this, name] { PlayTransition(name); });
    }
    bar(page, QStringLiteral("trDelayBar"), QStringLiteral("Delay"), 1, 100, 15);
    bar(page, QStringLiteral("trThickbar"), QStringLiteral("Thickness"), 1, 20, 4);
}

void TEffectForm::PlayTransition(const QString &buttonName) {
    if (m_running || m_previewDib.isNull() || buttonName == QLatin1String("FXN"))
        return;
    const int delay = barValue(QStringLiteral("trDelayBar"));
    const int thickness = barValue(QStringLiteral("trThickbar"));
    orva::fxlib::TransitionPlayer &player = m_preview->Transition();
    // The picture comes in over the empty panel.
    QImage empty(m_previewDib.width(), m_previewDib.height(), QImage::Format_RGB32);
    empty.fill(m_preview->palette().color(QPalette::Window));
    player.setFrame(empty);
    if (buttonName == QLatin1String("FXH"))
        SpFXSkipHorizontalDib(player, m_previewDib, thickness, delay);
    else if (buttonName == QLatin1String("FXV"))
        SpFXSkipVerticalDib(player, m_previewDib, thickness, delay);
    else if (buttonName == QLatin1String("FXD"))
        SpFXSkipDiagonalsDib(player, m_previewDib, thickness, delay);
    else if (buttonName == QLatin1String("FXS"))
        SpFXSkipDiagonalSquaresDib(player, m_previewDib, thickness, delay);
    else if (buttonName == QLatin1String("FXR"))
        SpFXSkipRectanglesDib(player, m_previewDib, delay);
}

} // namespace orva::effects
