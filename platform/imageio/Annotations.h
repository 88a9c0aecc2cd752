// The annotation engine's entry points. Annotations stay switched off in this system, so the engine
// keeps only which windows it was started for: drawing draws nothing, clearing, loading and saving
// change nothing, and the count is always 0.
#pragma once

#include <QString>

#include <cstdint>

namespace orva::imageio::anno {

using WindowKey = const void *;

void InitAnnotation(WindowKey window, void *control, const QString &settingsFile);
void DestroyAnnotation(WindowKey window);
void DrawAnnotation(WindowKey window, int originX, int originY, int offsetX, int offsetY, int scrollBarWidth,
                    double zoom);
void ClearAnnotation(WindowKey window);
std::int16_t LoadAnnotation(WindowKey window, int page, const QString &file);
std::int16_t SaveAnnotation(WindowKey window, int page, const QString &file);
// Not in the engine's original list: the viewers need it for their read-only annotation count.
int AnnotationCount(WindowKey window);
bool AnnotationStarted(WindowKey window);

} // namespace orva::imageio::anno
