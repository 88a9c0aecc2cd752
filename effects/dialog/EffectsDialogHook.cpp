// Installs the filters-and-effects dialog as the one the document viewer opens.
#include "effects/dialog/EffectsDialogHook.h"

#include "effects/dialog/TEffectForm.h"
#include "imaging/core/EffectsHook.h"

namespace orva::effects {

void InstallEffectsDialog() {
    orva::imaging::SetShowEffectsHook(
        [](QWidget *parent, DibBlock copy, std::function<void(DibBlock &&)> done) {
            TEffectForm::ShowEffects(parent, std::move(copy), std::move(done));
        });
}

} // namespace orva::effects
