// The road from the document viewer to the filters-and-effects dialog.
#include "imaging/core/EffectsHook.h"

namespace orva::imaging {

namespace {
TShowEffectsHook &hook() {
    static TShowEffectsHook h;
    return h;
}
} // namespace

void SetShowEffectsHook(TShowEffectsHook h) {
    hook() = std::move(h);
}

bool ShowEffectsAvailable() {
    return static_cast<bool>(hook());
}

bool ShowEffectsDialog(QWidget *parent, DibBlock copy, std::function<void(DibBlock &&result)> done) {
    if (!hook())
        return false;
    hook()(parent, std::move(copy), std::move(done));
    return true;
}

} // namespace orva::imaging
