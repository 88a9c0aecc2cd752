// The picture on the clipboard, for every control that pastes one: the document viewer, the image
// view and the effects dialog.
#pragma once

#include "platform/imageio/DibBlock.h"

namespace orva::imaging {

// The clipboard's picture as a packed bitmap (a bitmap another program placed there is checked
// against its size before any of it is read); null when the clipboard holds none.
orva::imageio::DibBlock ClipboardDib();
// Whether the clipboard offers a picture.
bool ClipboardHasPicture();

} // namespace orva::imaging
