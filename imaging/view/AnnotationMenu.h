// The annotation engine's edit menu as a pop-up menu (the image controls show it on a right click
// while annotations are edited).
#pragma once

#include <QPoint>

class QWidget;

namespace orva::imaging {

// Shows the menu of the engine of `window` at a screen point; the command chosen, or 0.
int ExecAnnotationMenu(QWidget *parent, const void *window, const QPoint &at);

} // namespace orva::imaging
