// The document viewer's dialogs as its owner opens them.
#include "imaging/docforms/DocumentDialogBox.h"

#include "effects/dialog/TEffectForm.h"
#include "imaging/docforms/ScanDialogs.h"
#include "imaging/docforms/TTifTagEdit.h"
#include "platform/modal/StandardDialogs.h"

#include <QEventLoop>
#include <QPointer>

namespace orva::imaging {

bool TDocumentDialogBox::ShowEffects(QWidget *viewer, UserMessages &messages, DibBlock copy,
                                     std::function<void(DibBlock &&)> done) {
    QPointer<orva::effects::TEffectForm> form =
        orva::effects::TEffectForm::ShowEffects(viewer, messages, std::move(copy), std::move(done));
    const bool shown = !form.isNull();
    // The caller goes on only once the user has chosen: what it does next sees the new picture.
    QEventLoop wait;
    QObject::connect(form, &QDialog::finished, &wait, &QEventLoop::quit);
    QObject::connect(form, &QObject::destroyed, &wait, &QEventLoop::quit);
    if (form && form->isVisible()) {
        wait.exec(QEventLoop::DialogExec);
    }
    return shown;
}

bool TDocumentDialogBox::EditTags(QWidget *viewer, const TTiffSource &source, int page, TTiffTagList &tags,
                                  bool &resolutionChanged, QString *error) {
    return orva::imaging::EditTags(viewer, source, page, tags, resolutionChanged, error);
}

bool TDocumentDialogBox::EditScanOptions(QWidget *viewer, TScanSettings &settings) {
    return orva::imaging::EditScanOptions(viewer, settings);
}

QString TDocumentDialogBox::AskAnnoText(QWidget *viewer, const QString &current) {
    return AskText(viewer, QStringLiteral("Annotation"), QStringLiteral("Note text:"), current,
                   TextLines::Many)
        .value_or(QString());
}

} // namespace orva::imaging
