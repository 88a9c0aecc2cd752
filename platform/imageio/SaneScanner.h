// Scanning through SANE. The acquisition runs on a worker thread; the calling thread waits for it,
// hands progress and pages to its callbacks and can stop it at any time.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QStringList>

#include <functional>

namespace orva::imageio {

struct ScanSettings {
    int dpi = 200;      // 30..3600
    int pixelType = 0;  // 0 any, 1 black and white, 2 gray, 3 gray 4 bit, 4 colour, 8 palette
    int pages = 1;      // with the feeder: at most this many (0 or less: until the feeder is empty)
    int contrast = 0;   // -1000..1000, spread over the device's own range
    int brightness = 0; // -1000..1000
    double top = 0, left = 0, width = 0, height = 0; // frame in inches; width or height 0: whole bed
    bool useAdf = false;
};

// Device names SANE knows (for example "test:0").
QStringList scanDevices();

// Scans pages from the device (empty: the first one). Each page goes to onPage on the calling
// thread; onPage answers false to stop. Returns kOk, ErrStopped, ErrNoScanner or another failure.
std::int16_t scanPages(const QString &device, const ScanSettings &settings,
                       const std::function<bool(DibBlock &&page)> &onPage, const Progress &progress = {});

} // namespace orva::imageio
