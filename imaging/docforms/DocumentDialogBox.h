// The document viewer's dialogs as its owner opens them: the effects dialog, the tag editor, the
// scan options and the note text, each over the viewer.
#pragma once

#include "imaging/docview/DocumentDialogs.h"

namespace orva::imaging {

class TDocumentDialogBox : public TDocumentDialogs {
public:
    // Window-modal on a copy; the event loop runs until the user has chosen.
    bool ShowEffects(QWidget *viewer, UserMessages &messages, DibBlock copy,
                     std::function<void(DibBlock &&)> done) override;
    bool EditTags(QWidget *viewer, const TTiffSource &source, int page, TTiffTagList &tags,
                  bool &resolutionChanged, QString *error) override;
    bool EditScanOptions(QWidget *viewer, TScanSettings &settings) override;
    QString AskAnnoText(QWidget *viewer, const QString &current) override;
};

} // namespace orva::imaging
