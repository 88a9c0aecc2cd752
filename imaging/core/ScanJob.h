// Scanning pages into TIFF files for the document viewer: the pixel type and bits for the
// viewer's scan settings, numbered single-page files that never overwrite earlier scans, and each
// page handed to the viewer (which may replace it) before it is written.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/ImagingTypes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orva::imaging {

// The viewer's scan properties.
struct TScanSettings {
    TTwainColorres ScanColorres = t_TW_BW;
    bool ScanUseAdf = true;
    bool ScanShowUI = true;
    int ScanDpi = 200;
    int ScanBright = 0;
    int ScanContrast = 0;
    QString ScanFileName = QStringLiteral("C:\\FILE.TIF");
    double sScanTop = 0;
    double sScanLeft = 0;
    double sScanWidth = 8.49;
    double sScanHeight = 11.0;
    TScanSaveOpt ScanSaveOpt = sSinglePage;
    int ScanSaveNumber = 0;
    bool ScanShowBetweenScan = false;
    TTiffCompression TifSaveCompress = sNONE;
    TSaveResolution ImageWriteRes = sMonoChrome;
};

// The highest single-page scan number.
constexpr int kMaxScanNumber = 9900;

// The scanner's pixel-type code and the bits for a colour setting; ANYTYPE keeps baseBits.
struct TScanPixels {
    int Bits = 0;
    int PixelType = 0;
};
TScanPixels ScanPixelsFor(TTwainColorres colorres, int baseBits);

class TScanJob {
public:
    TScanJob();
    // A job destroyed while its scan runs (its owner closed meanwhile) stops the scan; none of its
    // hooks is called after that.
    ~TScanJob();
    TScanJob(const TScanJob &) = delete;
    TScanJob &operator=(const TScanJob &) = delete;

    // Our own options dialog for ScanShowUI: may change the settings, false cancels the scan.
    std::function<bool(TScanSettings &settings)> ShowOptions;
    // Each page before it is written (ScanShowBetweenScan): the viewer shows it and may put
    // another page in its place.
    std::function<void(DibBlock &page, const QString &file)> OnShowDibBetweenScan;
    // The target name for a number when assigned (it may change both); else the standard rule.
    std::function<void(QString &name, int &number)> OnScanFileName;
    // After each page is written.
    std::function<void(const QString &file, int pageIndex)> OnFinishedLoadSave;
    std::function<void(int percent, const QString &message, bool &cancel)> OnProgress;

    // Scans up to `pages` pages (0: as many as the feeder holds) into files under the scan
    // directory. False when refused, cancelled or failed; Message() then says why, and the pages
    // written so far stay written.
    bool Scan(const TScanSettings &settings, int pages);
    void Cancel();
    // Results of the last scan.
    QStringList Files() const;
    int ScanSaveNumber() const;
    QString Message() const;
    bool Cancelled() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace orva::imaging
