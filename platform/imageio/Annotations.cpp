// The annotation engine's entry points, kept as a registry of started windows.
#include "platform/imageio/Annotations.h"

#include <set>

namespace orva::imageio::anno {

namespace {

std::set<WindowKey> &started() {
    static std::set<WindowKey> windows;
    return windows;
}

} // namespace

void InitAnnotation(WindowKey window, void *, const QString &) {
    started().insert(window);
}
void DestroyAnnotation(WindowKey window) {
    started().erase(window);
}
void DrawAnnotation(WindowKey, int, int, int, int, int, double) {}
void ClearAnnotation(WindowKey) {}
std::int16_t LoadAnnotation(WindowKey, int, const QString &) {
    return 1;
}
std::int16_t SaveAnnotation(WindowKey, int, const QString &) {
    return 1;
}
int AnnotationCount(WindowKey) {
    return 0;
}
bool AnnotationStarted(WindowKey window) {
    return started().count(window) != 0;
}

} // namespace orva::imageio::anno
