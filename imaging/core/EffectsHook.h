// The road from the document viewer to the filters-and-effects dialog. The dialog lives in a layer
// above the imaging code, which installs it here at start-up.
#pragma once

#include "platform/imageio/DibBlock.h"

#include <functional>

class QWidget;

namespace orva::imaging {

using orva::imageio::DibBlock;

// Opens the dialog on a copy of a picture; done receives the new picture when the user closes with OK.
using TShowEffectsHook =
    std::function<void(QWidget *parent, DibBlock copy, std::function<void(DibBlock &&result)> done)>;

void SetShowEffectsHook(TShowEffectsHook hook);
bool ShowEffectsAvailable();
// False (and nothing shown) when no dialog is installed.
bool ShowEffectsDialog(QWidget *parent, DibBlock copy, std::function<void(DibBlock &&result)> done);

} // namespace orva::imaging
