// Scanning pages into TIFF files.
#include "imaging/core/ScanJob.h"

#include "common/LocalPath.h"
#include "imaging/core/TiffPages.h"
#include "platform/files/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace orva::imaging {

namespace io = orva::imageio;

TScanPixels ScanPixelsFor(TTwainColorres colorres, int baseBits) {
    switch (colorres) {
    case t_TW_BW:
        return {1, 1};
    case t_TW_GRAY:
        return {8, 2};
    case t_TW_GRAY4:
        return {4, 3};
    case t_TW_RGB:
        return {24, 4};
    case t_TW_PALETTE:
        return {8, 8};
    case t_TW_ANYTYPE:
        break;
    }
    return {baseBits, 0};
}

struct TScanJob::State : TProgressTarget {
    TScanSettings settings;
    bool cancel = false;
    bool alive = true; // false once the job is gone: no hook is called any more
    QStringList files;
    QString message;
    std::function<void(DibBlock &, const QString &)> between;
    std::function<void(QString &, int &)> fileName;
    std::function<void(const QString &, int)> finished;
    std::function<void(int, const QString &, bool &)> progress;

    void DoProgress(std::int16_t percent, const QString &text, bool &stop) override {
        if (alive && progress)
            progress(percent, text, stop);
        stop = stop || cancel;
    }

    QString target(int number) {
        if (alive && fileName) {
            QString name = settings.ScanFileName;
            fileName(name, number);
            settings.ScanSaveNumber = number;
            return LocalPath::toLocalPath(name);
        }
        return ScanFileNameFor(settings.ScanFileName, number, settings.ScanSaveOpt, ScanDirectory());
    }

    // A page from the scanner: shown when asked, then written; false ends the scan.
    bool takePage(DibBlock &page, bool &first, QString &file, int &written);
    // The next numbered file of a page-per-file scan, made empty so that no other scan takes it.
    bool reserveNextFile(QString &file);
};

TScanJob::TScanJob() : m_state(std::make_shared<State>()) {}

TScanJob::~TScanJob() {
    m_state->alive = false;
    m_state->cancel = true;
}

void TScanJob::Cancel() {
    m_state->cancel = true;
}

QStringList TScanJob::Files() const {
    return m_state->files;
}
int TScanJob::ScanSaveNumber() const {
    return m_state->settings.ScanSaveNumber;
}
QString TScanJob::Message() const {
    return m_state->message;
}
bool TScanJob::Cancelled() const {
    return m_state->cancel;
}

namespace {

bool makeFolder(const QString &file, QString *error = nullptr) {
    const QString dir = QFileInfo(file).absolutePath();
    // The scan folder is shared by the workstations that scan into it: a folder made for it takes
    // the share's mode, as the pages do.
    return SharedFile::makeFolder(dir, error);
}

} // namespace

bool TScanJob::State::takePage(DibBlock &page, bool &first, QString &file, int &written) {
    if (cancel)
        return false;
    TTifSaveOpt option = first && settings.ScanSaveOpt != sMultiPageAppend ? tiffReplace : tiffAppend;
    QString reserved;
    if (settings.ScanSaveOpt == sSinglePage) {
        if (!reserveNextFile(file))
            return false;
        reserved = file;
        option = tiffReplace;
    }
    // The file made for a page that is not written is given up again.
    const auto release = [&reserved] {
        if (!reserved.isEmpty() && QFileInfo(reserved).size() == 0)
            QFile::remove(reserved);
    };
    if (alive && settings.ScanShowBetweenScan && between)
        between(page, file);
    if (cancel || !alive) {
        release();
        return false;
    }
    if (page.isNull()) {
        release();
        return true;
    }
    if (!makeFolder(file) || !WriteTIFFileDib(file, settings.TifSaveCompress, option, page, 0, this)) {
        message = QStringLiteral("%1: %2").arg(file, LastErrorText().isEmpty() ? io::errorText(io::ErrWrite)
                                                                               : LastErrorText());
        release();
        return false;
    }
    files.append(file);
    first = false;
    if (alive && finished)
        finished(file, written);
    ++written;
    return !cancel;
}

// Each page a new file: the next number whose file this scan could make. It is made exclusively, so
// that a workstation scanning into the same folder at the same time takes the next number rather
// than both writing one file.
bool TScanJob::State::reserveNextFile(QString &file) {
    int number = settings.ScanSaveNumber;
    PrivateFile::Reserved made = PrivateFile::Reserved::Taken;
    do {
        if (++number > kMaxScanNumber) {
            message = QStringLiteral("All scan numbers up to %1 are used for \"%2\"; nothing more "
                                     "was scanned.")
                          .arg(kMaxScanNumber)
                          .arg(settings.ScanFileName);
            return false;
        }
        file = target(number);
        QString error;
        made = makeFolder(file, &error) ? SharedFile::reserve(file, &error) : PrivateFile::Reserved::Failed;
        if (made == PrivateFile::Reserved::Failed) {
            message = error;
            return false;
        }
    } while (made == PrivateFile::Reserved::Taken);
    settings.ScanSaveNumber = number;
    return true;
}

bool TScanJob::Scan(const TScanSettings &settings, int pages) {
    // Everything below works on the shared state only: the event loop runs while the scanner
    // works, and the job's owner may be gone by the time a page arrives.
    const std::shared_ptr<State> st = m_state;
    st->settings = settings;
    st->settings.ScanSaveNumber = std::clamp(settings.ScanSaveNumber, 0, kMaxScanNumber);
    st->settings.ScanDpi = std::clamp(settings.ScanDpi, 30, 3600);
    st->settings.ScanBright = std::clamp(settings.ScanBright, -1000, 1000);
    st->settings.ScanContrast = std::clamp(settings.ScanContrast, -1000, 1000);
    st->cancel = false;
    st->files.clear();
    st->message.clear();
    st->between = OnShowDibBetweenScan;
    st->fileName = OnScanFileName;
    st->finished = OnFinishedLoadSave;
    st->progress = OnProgress;

    if (ScanDirectory().isEmpty()) {
        st->message =
            QStringLiteral("Scanning needs a folder for the scanned files: set \"scandirectory\" in "
                           "the setup file.");
        return false;
    }
    if (TwainBusy()) {
        st->message = io::errorText(io::ErrBusy);
        return false;
    }
    if (st->settings.ScanShowUI && ShowOptions && !ShowOptions(st->settings)) {
        st->cancel = true;
        st->message = io::errorText(io::ErrStopped);
        return false;
    }

    const TScanSettings &s = st->settings;
    const TScanPixels pixels =
        ScanPixelsFor(s.ScanColorres, TiffWriteBits(s.TifSaveCompress, s.ImageWriteRes, 24));
    io::ScanSettings scan;
    scan.dpi = s.ScanDpi;
    scan.pixelType = pixels.PixelType;
    scan.pages = pages;
    scan.contrast = s.ScanContrast;
    scan.brightness = s.ScanBright;
    scan.top = s.sScanTop;
    scan.left = s.sScanLeft;
    scan.width = s.sScanWidth;
    scan.height = s.sScanHeight;
    scan.useAdf = s.ScanUseAdf;

    bool first = true;
    QString file = s.ScanSaveOpt == sSinglePage ? QString() : st->target(s.ScanSaveNumber);
    int written = 0;
    const bool ok = TwainMultiPage(
        scan, pixels.Bits,
        [st, &first, &file, &written](DibBlock &&page) { return st->takePage(page, first, file, written); },
        nullptr, st.get());
    if (!ok && st->message.isEmpty())
        st->message = st->cancel ? io::errorText(io::ErrStopped) : LastErrorText();
    return ok && st->message.isEmpty();
}

} // namespace orva::imaging
