// The detached image window without widgets: the pieces of a request text, the file list's items
// (with a placeholder kept for every request that has no images), the file buttons, the status
// panels, the remembered place and where the window may stand on a screen.
#pragma once

#include "imaging/imagelist/ImageList.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace DetachedImage {

// A text ending in "," is a list: each piece between commas, trimmed, is one request number (empty
// pieces ask for nothing). Any other text is one request number, commas and all.
QList<QByteArray> RequestPieces(const QByteArray &text);

// One item of the file list: its text, the file it shows and the record it came from (none for a
// request's placeholder).
struct TFileItem {
    QString Text;
    QString File;
    std::shared_ptr<TImageListRecord> Record;
};
// One request's listing.
struct TRequestListing {
    QByteArray Request;
    TImageList Entries;
};
// The items of the listings in order: a file under its name part; a request's placeholder (the
// first source followed by the no-image name) as that path, led by the request number when more
// than one request is listed; any other entry without a record is left out.
QList<TFileItem> FileItems(const QList<TRequestListing> &listings, const QString &placeholder);

// Previous and next file buttons for the item shown: both off for a single item.
struct TFileButtons {
    bool Previous = false;
    bool Next = false;
};
TFileButtons FileButtons(int count, int index);

// The six status panels for the item shown (index from 0); a plain item leaves panels 1 to 5 empty.
QStringList PanelTexts(int index, int count, const TImageListRecord *record);

// The window's place on the screen.
struct TPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};
// The stored place: a missing value keeps the remembered one, a value that is not a whole number
// reads 0, and a width or height of 0 becomes 640 or 480.
TPlace PlaceFromValues(const std::optional<QString> &left, const std::optional<QString> &top,
                       const std::optional<QString> &width, const std::optional<QString> &height,
                       const TPlace &remembered);
// The place moved and shrunk as far as needed to lie within the screen's available area (any
// stored numbers, however large or negative).
QRect KeepOnScreen(const TPlace &place, const QRect &available);
// The middle of the place, for finding the screen it was on.
QPoint PlaceCentre(const TPlace &place);
// "Reset Image Position": the top left of the primary screen's available area, shrunk to that area
// less 4 pixels when larger.
QRect ResetPlace(const QRect &frame, const QRect &available);

} // namespace DetachedImage
