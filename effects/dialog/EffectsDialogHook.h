// Installs the filters-and-effects dialog as the one the document viewer opens.
#pragma once

namespace orva::effects {

void InstallEffectsDialog();

} // namespace orva::effects
