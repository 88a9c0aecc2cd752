// The library's string table: one text per failure code.
#include "platform/imageio/ImageIoTypes.h"

namespace orva::imageio {

QString errorText(std::int16_t code) {
    switch (code) {
    case ErrOpen:
        return QStringLiteral("Could not open the image file");
    case ErrTooSmall:
        return QStringLiteral("file too small or not an image");
    case ErrUnsupported:
        return QStringLiteral("format not supported");
    case ErrCorrupt:
        return QStringLiteral("The image file is corrupt or truncated");
    case ErrTooLarge:
        return QStringLiteral("The image is too large");
    case ErrNoMemory:
        return QStringLiteral("Not enough memory for the image");
    case ErrPage:
        return QStringLiteral("The page does not exist");
    case ErrWrite:
        return QStringLiteral("Could not write the image file");
    case ErrStopped:
        return QStringLiteral("Stopped by the user");
    case ErrArgument:
        return QStringLiteral("Invalid argument");
    case ErrNameTooLong:
        return QStringLiteral("The file name is too long");
    case ErrBusy:
        return QStringLiteral("The scanner is busy");
    case ErrTag:
        return QStringLiteral("The tag does not exist or cannot be written");
    case ErrCompression:
        return QStringLiteral("This compression is not valid for the image depth");
    case ErrNoScanner:
        return QStringLiteral("No scanner is available");
    case ErrNoGhostscript:
        return QStringLiteral("format not supported: Ghostscript is not installed");
    case ErrInternal:
        return QStringLiteral("An error occurred in the image library");
    case ErrOnlyPage:
        return QStringLiteral("The only page of a TIFF file cannot be deleted");
    case ErrUnmovable:
        return QStringLiteral(
            "This TIFF page holds data that cannot be moved safely; the file was left unchanged");
    case ErrNotTiff:
        return QStringLiteral("Pages and tags can only be changed in a TIFF file; this picture is not one");
    case ErrChanged:
        return QStringLiteral("The file was changed by another user meanwhile; nothing was written");
    default:
        return code > 0 ? QString() : QStringLiteral("Unknown image library error %1").arg(code);
    }
}

} // namespace orva::imageio
