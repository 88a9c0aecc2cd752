// What the detached image window needs of the main window: where images are listed from, the image
// source in use (which each listing sets), the negative-print option it shows and toggles, and the
// user's message boxes.
#pragma once

#include "common/UserMessages.h"
#include "imaging/imagelist/ImageList.h"

#include <QString>

namespace orva::imaging {

class TDetachedImageHost {
public:
    virtual ~TDetachedImageHost() = default;
    virtual ImageList::TImageListSettings ImageListSettings() const = 0;
    virtual void SetCurrentImageSource(const QString &source) = 0;
    virtual bool InvertDetachedPrint() const = 0;
    virtual void SetInvertDetachedPrint(bool on) = 0;
    virtual UserMessages &Messages() const = 0;
    // Whether the viewer's page, tag, annotation, scanning and effects buttons are offered too.
    virtual bool ImageTools() const { return false; }
};

} // namespace orva::imaging
