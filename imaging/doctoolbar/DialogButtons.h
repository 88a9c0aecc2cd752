// The layout the toolbar's small dialogs share: OK and Cancel stacked at their right, the dialog
// fixed in size and centred on the screen.
#pragma once

class QDialog;

namespace orva::imaging {

// Puts OK (default, at top 5) and Cancel (10 below it) with their left edge at `left`, makes the
// dialog 15 wider than Cancel and at least 100 high, and centres it; returns the dialog's height.
int PlaceOkCancel(QDialog &dialog, int left);

} // namespace orva::imaging
