// The key map's way into the dictation window.
#include "dictation/keys/TDictationKeyTarget.h"

#include "common/Trace.h"

void TNoDictationWindow::DictationKey(TDictationKey key) {
    ORVA_TRACE(QStringLiteral("dictation key without a dictation window"), int(key));
}

bool RunDictationKey(TDictationKeyTarget &target, TDictationKey key) {
    if (!target.DictationWindowShowing()) {
        ORVA_TRACE(QStringLiteral("dictation key while no dictation window shows"), int(key));
        return false;
    }
    target.DictationKey(key);
    return true;
}
