// What the document viewer needs the user for: the effects, the tag editor, the scan options and a
// note's text. The viewer asks; its owner opens the dialog over it and hands the result back.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/ScanJob.h"
#include "imaging/core/TiffPages.h"

#include <QString>

#include <functional>

class QWidget;
class UserMessages;

namespace orva::imaging {

class TDocumentDialogs {
public:
    virtual ~TDocumentDialogs() = default;
    // The effects dialog on a copy of the picture, returning once the user has closed it; `done`
    // receives the new picture when they closed it with OK. False when it could not be shown.
    virtual bool ShowEffects(QWidget *viewer, UserMessages &messages, DibBlock copy,
                             std::function<void(DibBlock &&)> done) = 0;
    // The tag editor on a page's tags: modified writable tags written on OK, the tags read again
    // either way; resolutionChanged says whether a resolution was written. False when the write
    // failed (the last library error tells why), or with the reason in `error` when the file or
    // memory image is gone.
    virtual bool EditTags(QWidget *viewer, const TTiffSource &source, int page, TTiffTagList &tags,
                          bool &resolutionChanged, QString *error) = 0;
    // The scan options before a scan: false when cancelled (the settings unchanged).
    virtual bool EditScanOptions(QWidget *viewer, TScanSettings &settings) = 0;
    // A note's text; empty leaves the note as it was.
    virtual QString AskAnnoText(QWidget *viewer, const QString &current) = 0;
};

} // namespace orva::imaging
