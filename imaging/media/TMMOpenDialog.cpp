// The open and save dialogs with preview.
#include "imaging/media/TMMOpenDialog.h"

#include "common/FileWait.h"
#include "common/Trace.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/media/MediaBackend.h"
#include "imaging/media/TMultiMediaView.h"
#include "imaging/view/ViewGeometry.h"
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/modal/ModalDialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace orva::imaging {

TPageButtons PageButtonsFor(int page, int pageCount) {
    if (pageCount <= 1)
        return {};
    const bool back = page > 0;
    const bool forward = page < pageCount - 1;
    return {back, back, forward, forward};
}

QStringList NameFiltersFor(const QString &filterText) {
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        out.append(parts[i].simplified() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
    }
    return out;
}

namespace {

QToolButton *toolButton(QWidget *parent, const QString &name, const QString &text) {
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TMMFileDialog::TMMFileDialog(QWidget *parent, QFileDialog::AcceptMode mode) : QFileDialog(parent) {
    // The preview pane needs the dialog's own widgets, not the desktop's.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(mode);
    setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PreviewPanel"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    m_previewButton = toolButton(panel, QStringLiteral("PreviewButton"), QStringLiteral("P"));
    m_previewButton->setCheckable(true);
    m_previewButton->setChecked(true);
    column->addWidget(m_previewButton, 0, Qt::AlignLeft);

    m_stack = new QStackedWidget(panel);
    m_stack->setMinimumSize(220, 220);

    auto *tiffPage = new QWidget(m_stack);
    auto *tiffColumn = new QVBoxLayout(tiffPage);
    tiffColumn->setContentsMargins(0, 0, 0, 0);
    m_tiff = new VisDocumentImage(tiffPage);
    m_tiff->setObjectName(QStringLiteral("TiffPreview"));
    m_tiff->SetScaleDoc(S_Gray_Anti_16);
    tiffColumn->addWidget(m_tiff, 1);
    auto *pages = new QHBoxLayout;
    const char *const names[] = {"FirstPage", "PriorPage", "NextPage", "LastPage"};
    const char *const glyphs[] = {"|<", "<", ">", ">|"};
    for (int i = 0; i < 4; ++i) {
        m_pageButtons[i] = toolButton(tiffPage, QLatin1String(names[i]), QLatin1String(glyphs[i]));
        pages->addWidget(m_pageButtons[i]);
    }
    m_pageLabel = new QLabel(tiffPage);
    m_pageLabel->setObjectName(QStringLiteral("PageInfo"));
    pages->addWidget(m_pageLabel, 1);
    tiffColumn->addLayout(pages);
    connect(m_pageButtons[0], &QToolButton::clicked, this, [this] { goToPage(0); });
    connect(m_pageButtons[1], &QToolButton::clicked, this, [this] { goToPage(m_tiff->TiffPage() - 1); });
    connect(m_pageButtons[2], &QToolButton::clicked, this, [this] { goToPage(m_tiff->TiffPage() + 1); });
    connect(m_pageButtons[3], &QToolButton::clicked, this, [this] { goToPage(m_tiff->TiffPageCount() - 1); });

    auto *mediaPage = new QWidget(m_stack);
    auto *mediaColumn = new QVBoxLayout(mediaPage);
    mediaColumn->setContentsMargins(0, 0, 0, 0);
    m_media = new TMultiMediaView(mediaPage);
    m_media->setObjectName(QStringLiteral("MediaPreview"));
    m_media->SetStretchRatio(true);
    m_media->SetCenter(true);
    mediaColumn->addWidget(m_media, 1);
    auto *strip = new QWidget(mediaPage);
    strip->setObjectName(QStringLiteral("MediaPlayerStrip"));
    auto *stripRow = new QHBoxLayout(strip);
    stripRow->setContentsMargins(0, 0, 0, 0);
    QToolButton *play = toolButton(strip, QStringLiteral("PlayButton"), QStringLiteral("Play"));
    QToolButton *pause = toolButton(strip, QStringLiteral("PauseButton"), QStringLiteral("Pause"));
    QToolButton *stop = toolButton(strip, QStringLiteral("StopButton"), QStringLiteral("Stop"));
    stripRow->addWidget(play);
    stripRow->addWidget(pause);
    stripRow->addWidget(stop);
    stripRow->addStretch(1);
    mediaColumn->addWidget(strip);
    m_media->SetMediaPlayer(strip);
    connect(play, &QToolButton::clicked, m_media, &TMultiMediaView::Play);
    connect(pause, &QToolButton::clicked, m_media, &TMultiMediaView::Pause);
    connect(stop, &QToolButton::clicked, m_media, &TMultiMediaView::Stop);
    // Below the preview, for TIFF pages and other pictures alike.
    m_progress = new QProgressBar(panel);
    m_progress->setObjectName(QStringLiteral("PreviewProgress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_media->OnProgress = [this](QObject *, std::int16_t percent, const QString &, bool &cancel) {
        readProgress(percent, cancel);
    };
    m_tiff->OnProgress = [this](QObject *, std::int16_t percent, const QString &, bool &cancel) {
        readProgress(percent, cancel);
    };
    connect(m_media, &TMultiMediaView::playbackProgress, m_progress,
            [this](int percent) { m_progress->setValue(std::clamp(percent, 0, 100)); });

    m_stack->addWidget(tiffPage);
    m_stack->addWidget(mediaPage);
    m_stack->setCurrentIndex(1);
    column->addWidget(m_stack, 1);
    column->addWidget(m_progress);

    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);

    connect(this, &QFileDialog::currentChanged, this, &TMMFileDialog::DoSelectionChange);
    connect(m_previewButton, &QToolButton::toggled, this, [this](bool on) {
        if (on) {
            const QStringList chosen = selectedFiles();
            DoSelectionChange(chosen.value(0));
        } else {
            clearPreview();
        }
    });
    connect(this, &QDialog::finished, this, [this] {
        m_stop = true;
        m_media->CloseMedia();
    });
    applyHints();
    updatePageInfo();
}

void TMMFileDialog::applyHints() {
    m_previewButton->setToolTip(m_previewBtnHint);
    const QString *hints[] = {&m_tiffFirstHint, &m_tiffPrior, &m_tiffNextHint, &m_tiffLast};
    for (int i = 0; i < 4; ++i)
        m_pageButtons[i]->setToolTip(*hints[i]);
}

void TMMFileDialog::showEvent(QShowEvent *event) {
    applyHints();
    m_stop = false;
    QFileDialog::showEvent(event);
}

void TMMFileDialog::readProgress(std::int16_t percent, bool &cancel) {
    // A newer selection waiting behind a running read, or a closed dialog, stops that read.
    if (m_hasPending || m_stop) {
        cancel = true;
        return;
    }
    const int value = std::clamp<int>(percent, 0, 100);
    if (value != m_progress->value())
        m_progress->setValue(value);
    // Lets a new selection (or a close) in while a large page is read; it is taken up above at the
    // next step, and the selection itself waits in DoSelectionChange.
    QCoreApplication::processEvents();
}

TMMFileDialog::~TMMFileDialog() = default;

bool TMMFileDialog::Preview() const {
    return m_previewButton->isChecked();
}

void TMMFileDialog::SetPreview(bool on) {
    m_previewButton->setChecked(on);
}

void TMMFileDialog::clearPreview() {
    m_previewed.clear();
    m_media->CloseMedia();
    m_media->Clear();
    m_tiff->ClearImage();
    m_progress->setValue(0);
    m_stack->setCurrentIndex(1);
    updatePageInfo();
}

void TMMFileDialog::DoSelectionChange(const QString &file) {
    if (m_reading) {
        m_pending = file;
        m_hasPending = true;
        return;
    }
    QString next = file;
    for (;;) {
        {
            m_reading = true;
            const auto done = qScopeGuard([this] { m_reading = false; });
            previewFile(next);
        }
        if (!m_hasPending)
            return;
        m_hasPending = false;
        next = std::exchange(m_pending, QString());
    }
}

void TMMFileDialog::previewFile(const QString &file) {
    // A clip that plays stops before anything else is looked at.
    m_media->Stop();
    if (!Preview())
        return;
    const QFileInfo fi(file);
    if (file.isEmpty()) {
        clearPreview();
        return;
    }
    // The file may sit on a share: it is looked at and read once in a worker while the dialog goes
    // on, and the picture readers below take the bytes read. One that does not answer is no file.
    struct Fetched {
        bool isFile = false;
        std::shared_ptr<const orva::imageio::Bytes> data;
    };
    // A clip is left to the player, which streams it.
    const QString local = MappedPath(file);
    const bool clip = IsMediaExtension(fi.suffix().toUpper());
    const std::optional<Fetched> fetched = FileWait::Watched(
        local,
        [local, clip] {
            Fetched f;
            auto data = std::make_shared<orva::imageio::Bytes>();
            const bool read = !clip && orva::imageio::lib::readWholeFile(local, *data) == orva::imageio::kOk;
            f.isFile = QFileInfo(local).isFile();
            if (f.isFile && read)
                f.data = std::move(data);
            return f;
        },
        m_shareWaitMs);
    if (!fetched || !fetched->isFile) {
        clearPreview();
        return;
    }
    const orva::imageio::lib::ReadAhead ahead(local, fetched->data);
    const QString ext = fi.suffix().toUpper();
    // Only the preview is cleared: the file stays chosen.
    const auto previewFailed = [&](const QString &reason) {
        ORVA_TRACE(QStringLiteral("preview failed"), file + QStringLiteral(": ") + reason);
        clearPreview();
    };
    try {
        // Clips go to the player without asking the picture library about them.
        if (!IsMediaExtension(ext)) {
            orva::imageio::lib::FileInfo info;
            if (DllFileInfo(file, info) && info.type.toUpper() == QLatin1String("TIFF")) {
                TTiffInfo tiff;
                DllGetInfo(file, 0, tiff);
                if (QString error; !showTiff(file, std::max(1, tiff.pages), &error)) {
                    previewFailed(error);
                }
                return;
            }
        }
        // Everything else (pictures, icons, moving texts, clips) goes to the media control; a
        // file-information call that merely answered false is not a failure.
        m_tiff->ClearImage();
        m_stack->setCurrentIndex(1);
        m_progress->setValue(0);
        m_media->SetMediaName(file);
        m_previewed = file;
        updatePageInfo();
    } catch (const std::exception &e) {
        previewFailed(QString::fromUtf8(e.what()));
    }
}

bool TMMFileDialog::showTiff(const QString &file, int pageCount, QString *error) {
    m_media->CloseMedia();
    m_media->Clear();
    m_tiffPage = ViewGeometry::ClampTiffPage(m_tiffPage, pageCount);
    m_stack->setCurrentIndex(0);
    if (!m_tiff->LoadTiff(file, m_tiffPage, 1, error)) {
        return false;
    }
    m_tiff->BestFit();
    m_previewed = file;
    updatePageInfo();
    return true;
}

void TMMFileDialog::goToPage(int page) {
    if (m_previewed.isEmpty() || m_stack->currentIndex() != 0)
        return;
    QString error;
    try {
        if (m_tiff->GoToPage(page, &error)) {
            m_tiffPage = m_tiff->TiffPage();
            m_tiff->BestFit();
        }
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    if (!error.isEmpty()) {
        ORVA_TRACE(QStringLiteral("preview page not shown"), error);
        clearPreview();
        return;
    }
    updatePageInfo();
}

void TMMFileDialog::updatePageInfo() {
    const bool tiff = m_stack->currentIndex() == 0 && m_tiff->HasImage();
    const int count = tiff ? m_tiff->TiffPageCount() : 0;
    const int page = tiff ? m_tiff->TiffPage() : 0;
    const TPageButtons b = PageButtonsFor(page, count);
    m_pageButtons[0]->setEnabled(b.First);
    m_pageButtons[1]->setEnabled(b.Prior);
    m_pageButtons[2]->setEnabled(b.Next);
    m_pageButtons[3]->setEnabled(b.Last);
    m_pageLabel->setText(count > 0 ? QStringLiteral("P %1 of %2").arg(page + 1).arg(count) : QString());
}

TMMOpenDialog::TMMOpenDialog(QWidget *parent) : TMMFileDialog(parent, QFileDialog::AcceptOpen) {
    setWindowTitle(QStringLiteral("Open"));
    setNameFilters(NameFiltersFor(MediaFilterText()));
}

TMMSaveDialog::TMMSaveDialog(QWidget *parent) : TMMFileDialog(parent, QFileDialog::AcceptSave) {
    setWindowTitle(QStringLiteral("Save As"));
    setNameFilters(NameFiltersFor(QStringLiteral("Tagged Image    (TIF) |*.TIF")));
    setDefaultSuffix(QStringLiteral("TIF"));
}

bool RunMMOpenDialog(QWidget *owner, QString &file, int &page) {
    TMMOpenDialog dialog(owner);
    dialog.SetTiffSelectedPage(page);
    if (RunModalDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    file = dialog.selectedFiles().constFirst();
    page = dialog.TiffSelectedPage();
    return true;
}

bool RunMMSaveDialog(QWidget *owner, QString &file) {
    TMMSaveDialog dialog(owner);
    if (RunModalDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    file = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace orva::imaging
