// The annotation engine: marks and notes drawn over a picture's pages, edited with the mouse and
// kept in one ".ant" file per picture (every page's annotations in it, each load and save naming
// the page). An engine is started per image control; the entry points address it by the
// control's key, the way the controls have always called it.
#pragma once

#include "platform/imageio/ImageIoTypes.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QImage;
class QPainter;

namespace orva::imageio::anno {

using WindowKey = const void *;

// Mouse message numbers the controls pass to MouseMon.
constexpr int kMouseMove = 512;
constexpr int kLeftDown = 513;
constexpr int kLeftUp = 514;
constexpr int kRightDown = 516;
constexpr int kRightUp = 517;

// A point as one 32-bit value: x in the low, y in the high 16 bits, each clamped to a signed
// 16-bit range so that drags beyond the control's edge keep their sign.
std::uint32_t PackPoint(int x, int y);
QPoint UnpackPoint(std::uint32_t packed);

// Pass codes handed to the before-draw callback.
constexpr std::int32_t kPassScreen = 1;
constexpr std::int32_t kPassWhole = 2;

enum class MarkKind { Line, Rectangle, Highlight, Freehand, Note, Custom };

// One annotation in picture pixels. Lines, rectangles, highlights and custom marks have two
// points (corners or ends), freehand marks two or more, notes one (their top-left corner).
struct Mark {
    MarkKind kind = MarkKind::Line;
    std::int32_t id = 0; // unique within the engine, never 0
    QString name;        // shown to the callbacks ("Line 3", a custom mark's own name)
    QColor color = Qt::red;
    int penWidth = 3;
    QList<QPoint> points;
    QString text; // notes only
    bool operator==(const Mark &o) const {
        return kind == o.kind && name == o.name && color == o.color && penWidth == o.penWidth &&
               points == o.points && text == o.text;
    }
};

// What the engine tells its control. Each answers 1 when it reached a control, 0 otherwise.
struct Callbacks {
    std::function<int(void *control, QPainter &painter, const QString &name, int x, int y, int xx, int yy)>
        customDraw;
    std::function<int(void *control, QImage *bitmap, const QString &name, int x, int y, int xx, int yy)>
        hardDraw;
    // flag comes in as 1 (may draw) and goes back as 1 or 0.
    std::function<int(void *control, std::int32_t passCode, std::int16_t &flag, const QString &name)>
        beforeDraw;
    std::function<int(void *control, const QString &name)> afterDraw;
    std::function<int(void *control)> done;
    // The click message: an annotation was clicked (selecting) or the selection was dropped (object 0).
    std::function<void(void *control, bool selecting, std::int32_t object)> click;
    // Asks the user for a note's text (the current text given); empty leaves the note as it was.
    std::function<QString(void *control, const QString &current)> askText;
};

// The view of the last paint: screen = (picture - origin) x zoom + offset, clipped short of the
// scroll bars.
struct View {
    int originX = 0;
    int originY = 0;
    int offsetX = 0;
    int offsetY = 0;
    int scrollBarWidth = 0;
    double zoom = 1.0;
};

// Menu commands the engine runs for its control's menu.
enum Command {
    CmdSelect = 100,
    CmdLine,
    CmdRectangle,
    CmdHighlight,
    CmdFreehand,
    CmdNote,
    CmdDelete = 110,
    CmdEditText,
    CmdClearPage,
    CmdRed = 120,
    CmdBlue,
    CmdGreen,
    CmdBlack,
};
struct MenuItem {
    int command = 0; // 0: a separator
    QString caption;
    bool checked = false;
    bool enabled = true;
};

// One control's annotations of the current page and its editing state.
class AnnotationEngine {
public:
    AnnotationEngine(void *control, const QString &settingsFile, Callbacks callbacks);

    const std::vector<Mark> &marks() const { return m_marks; }
    // Adds a mark (a fresh id and, when empty, a name are given to it); answers its id.
    std::int32_t add(Mark mark);
    void clear();
    std::int32_t selected() const { return m_selected; }
    int tool() const { return m_tool; }
    QColor color() const { return m_color; }

    // Drawing over a painted picture (with the selection) and onto a whole surface (without).
    void draw(QPainter &painter, const View &view);
    void drawWhole(QPainter &painter, const View &view);
    const View &lastView() const { return m_view; }
    void setView(const View &view) { m_view = view; }

    void mouse(int message, std::uint32_t packedPoint);
    void menu(int command);
    QList<MenuItem> menuItems() const;
    // Ends a drag in progress (the mark being drawn is dropped, a move is undone).
    void rubberBandOff();

    std::int16_t load(int page, const QString &file);
    std::int16_t save(int page, const QString &file) const;
    QByteArray saveStream(int page) const;
    std::int16_t loadStream(int page, const QByteArray &text);

private:
    void paint(QPainter &painter, const View &view, std::int32_t pass, bool withSelection);
    QPoint toPicture(QPoint screen) const;
    std::int32_t hit(QPoint picture) const;
    Mark *find(std::int32_t id);
    void finishDrag();
    void notifyDone();
    void editText(Mark &mark);
    void keepSettings() const;

    void *m_control;
    QString m_settingsFile;
    Callbacks m_cb;
    std::vector<Mark> m_marks;
    std::int32_t m_nextId = 1;
    std::int32_t m_selected = 0;
    View m_view;
    int m_tool = CmdSelect;
    QColor m_color = Qt::red;
    int m_penWidth = 3;
    int m_noteSize = 14;
    // Drag state.
    enum class Drag { None, Drawing, Moving } m_drag = Drag::None;
    QPoint m_dragStart;
    QList<QPoint> m_dragOriginal;
};

// The ".ant" file and stream formats. A page's annotations as text and back; a file as pages.
// Readers refuse (ErrCorrupt) anything malformed or beyond the limits, whole.
QByteArray pageToText(const std::vector<Mark> &marks);
std::int16_t pageFromText(const QByteArray &text, std::vector<Mark> &marks);
std::int16_t readAnnotationFile(const QString &file, std::map<int, std::vector<Mark>> &pages);
std::int16_t parseAnnotationFile(const QByteArray &text, std::map<int, std::vector<Mark>> &pages);
QByteArray annotationFileText(const std::map<int, std::vector<Mark>> &pages);

// The entry points, by control key.
void InitAnnotation(WindowKey window, void *control, const QString &settingsFile);
void InitAnnotation(WindowKey window, void *control, const QString &settingsFile, const Callbacks &callbacks);
void DestroyAnnotation(WindowKey window);
// Remembers the view of the paint; draws when given the painter of that paint.
void DrawAnnotation(WindowKey window, int originX, int originY, int offsetX, int offsetY, int scrollBarWidth,
                    double zoom);
void DrawAnnotation(WindowKey window, QPainter &painter, int originX, int originY, int offsetX, int offsetY,
                    int scrollBarWidth, double zoom);
void DrawAnnotationWholeDC(WindowKey window, QPainter &painter, int originX, int originY, double zoom);
void MouseMon(WindowKey window, int message, int keys, std::uint32_t point);
void MenuMsg(WindowKey window, int command);
QList<MenuItem> AnnotationMenu(WindowKey window);
void ClearAnnotation(WindowKey window);
void RubberBandOFF(WindowKey window);
std::int16_t LoadAnnotation(WindowKey window, int page, const QString &file);
std::int16_t SaveAnnotation(WindowKey window, int page, const QString &file);
QByteArray StreamSaveAnnotation(WindowKey window, int page);
std::int16_t StreamLoadAnnotation(WindowKey window, int page, const QByteArray &text);
// Page bookkeeping in a picture's annotation file when its pages are removed or inserted: the
// pages after the given one move down or up by one. A missing file has nothing to move.
std::int16_t RemoveAnnotation(WindowKey window, int page, const QString &file);
std::int16_t InsertAnnotation(WindowKey window, int page, const QString &file);
// The marks a picture kept so far in another file (its annotation file's older name) copied into
// its own file, written as every save is, when the own file does not exist yet; the other file
// stays for any other picture that shares it.
std::int16_t AdoptAnnotationFile(const QString &from, const QString &to);
bool IsAnnotation(WindowKey window);
// Not in the engine's original list: the viewers need it for their read-only annotation count.
int AnnotationCount(WindowKey window);
bool AnnotationStarted(WindowKey window);
AnnotationEngine *Engine(WindowKey window);

} // namespace orva::imageio::anno
