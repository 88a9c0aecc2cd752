// EPS pictures through Ghostscript (when installed) and DXF drawings through dxflib, drawn with Qt.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QImage>
#include <QString>

namespace orva::imageio {

// The Ghostscript program; empty means look for "gs" on the path. Tests point it elsewhere.
void setGhostscriptProgram(const QString &program);
// How long one EPS conversion may take in all before Ghostscript is stopped (tests shorten it).
constexpr int kGhostscriptDeadlineMs = 20000;
void setGhostscriptDeadline(int milliseconds);
// ErrCorrupt when Ghostscript fails or runs past the deadline, ErrTooLarge past kMaxDibBytes.
std::int16_t renderEps(const QString &file, DibBlock &out);

// Entities are drawn black on white, scaled so the longer side of the drawing is this many pixels.
constexpr int kDxfRenderSize = 1024;
std::int16_t renderDxf(const QString &file, QImage &out);
std::int16_t dxfExtents(const QString &file, double &minX, double &minY, double &maxX, double &maxY);

} // namespace orva::imageio
