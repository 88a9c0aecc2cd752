// The imaging enumerations (their order is published through control properties) and event types.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QImage;
class QPainter;

namespace orva::imaging {

enum TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };
enum TSaveResolution { sColorVga, sMonoChrome, sColor16, sColor256, sColorTrue, sJpegGray, sAutoMatic };
enum TBlitMode { sLight, sDark, sLightest };
enum TPCDMode { pcd_BASE16, pcd_BASE4, pcd_BASE };
enum TScanSaveOpt { sMultiPageAppend, sMultiPageOverWrite, sSinglePage };
enum TTifSaveOpt { tiffAppend, tiffReplace, tiffInsert };
enum TTwainColorres { t_TW_ANYTYPE, t_TW_BW, t_TW_GRAY, t_TW_GRAY4, t_TW_RGB, t_TW_PALETTE };
enum TTiffCompression { sNONE, sCCITT, sFAXCCITT3, sFAXCCITT4, sLZW, sPACKBITS };
enum TLoadAnnoFrom { anFromFile, anFromStream };

using TVisMesProgress =
    std::function<void(QObject *Sender, std::int16_t Progress, const QString &PMessage, bool &CancelProcess)>;
// One tag of a page: number, data length, value (numbers; rationals rounded), text (ASCII tags),
// name and read-only flag, page, and the TIFF field type and value count.
using TVisMesTag = std::function<void(QObject *Sender, std::uint16_t iTag, std::int16_t iLen,
                                      std::int32_t lValue, const QByteArray &sStrData,
                                      const QString &iTagName, bool iReadOnly, std::int16_t iPage,
                                      std::uint16_t iFieldType, std::uint32_t iCount, bool &CancelProcess)>;
using TlibError = std::function<void(QObject *Sender, std::int16_t ErrorCode, const QString &ErrorString,
                                     const QByteArray &ErrorPChar)>;
using TRubberband = std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                                       int X, int Y, int XX, int YY)>;
using TPaintArea = std::function<void(QObject *Sender, int X, int Y, int XX, int YY)>;
using TOnMMFileName = std::function<bool(QObject *Sender, const QString &FileName)>;
using TSaveAnnoFile = std::function<void(QObject *Sender, const QString &SavedToThisFile)>;
using TLoadAnnoFile = std::function<void(QObject *Sender, QString &LoadFromThisFile)>;
using TSaveAnnoStream = std::function<void(QObject *Sender, const QByteArray &SavedToThisPChar)>;
using TLoadAnnoStream = std::function<void(QObject *Sender, QByteArray &LoadFromThisPChar)>;
using TOnAnnoClick = std::function<void(QObject *Sender, std::int32_t AObjectAsLong, bool Selecting)>;
using TOnCustomAnnotationDraw = std::function<void(QObject *Sender, QPainter &HandleDC,
                                                   const QString &CustomName, int x, int y, int xx, int yy)>;
using TOnCustomAnnotationHardDraw = std::function<void(
    QObject *Sender, QImage *HandleBitmap, const QString &CustomName, int x, int y, int xx, int yy)>;
using TOnBeforeAnnotationDraw =
    std::function<void(QObject *Sender, std::int32_t PassCode, bool &CanDraw, const QString &AnnoName)>;
using TOnAfterAnnotationDraw = std::function<void(QObject *Sender, const QString &AnnoName)>;

// What an image control offers the library calls it makes: progress with a stop flag.
class TProgressTarget {
public:
    virtual ~TProgressTarget() = default;
    // percent 0..100; message is the lower-case progress caption. Set cancel to stop the call.
    virtual void DoProgress(std::int16_t percent, const QString &message, bool &cancel) = 0;
};

} // namespace orva::imaging
