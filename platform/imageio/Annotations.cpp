// The annotation engine: marks kept per control, drawn with QPainter, stored as JSON text.
#include "platform/imageio/Annotations.h"

#include "platform/imageio/ImageIoLibrary.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <map>

namespace orva::imageio::anno {

namespace {

constexpr qint64 kMaxFileBytes = 16ll << 20;
constexpr int kMaxMarks = 10000;
constexpr int kMaxPoints = 10000;
constexpr int kMaxCoordinate = 1000000;
constexpr int kMaxPenWidth = 1000;
constexpr int kMaxText = 4096;
constexpr int kMaxPage = 65535;
constexpr int kHitTolerance = 4; // screen pixels
const char kFormat[] = "orva-annotations";

struct KindName {
    MarkKind kind;
    const char *name;
    const char *label;
};
constexpr KindName kKinds[] = {
    {MarkKind::Line, "line", "Line"},
    {MarkKind::Rectangle, "rectangle", "Rectangle"},
    {MarkKind::Highlight, "highlight", "Highlight"},
    {MarkKind::Freehand, "freehand", "Freehand"},
    {MarkKind::Note, "note", "Note"},
    {MarkKind::Custom, "custom", "Custom"},
};

const KindName &kindInfo(MarkKind k) {
    for (const KindName &n : kKinds)
        if (n.kind == k)
            return n;
    return kKinds[0];
}

int pointsWanted(MarkKind k) {
    switch (k) {
    case MarkKind::Note:
        return 1;
    case MarkKind::Freehand:
        return 0; // two or more
    default:
        return 2;
    }
}

QFont noteFont(int pixelSize) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(1, pixelSize));
    return f;
}

// A note's box in picture pixels: its text at its size, with a margin.
QRect noteBox(const Mark &m) {
    const QFontMetrics fm(noteFont(m.penWidth));
    const QSize text = fm.size(0, m.text.isEmpty() ? QStringLiteral(" ") : m.text);
    const int pad = std::max(1, m.penWidth / 4);
    return QRect(m.points.value(0), QSize(text.width() + 2 * pad, text.height() + 2 * pad));
}

QRect bounds(const Mark &m) {
    if (m.kind == MarkKind::Note)
        return noteBox(m);
    if (m.points.isEmpty())
        return {};
    int l = m.points[0].x(), r = l, t = m.points[0].y(), b = t;
    for (const QPoint &p : m.points) {
        l = std::min(l, p.x());
        r = std::max(r, p.x());
        t = std::min(t, p.y());
        b = std::max(b, p.y());
    }
    return QRect(QPoint(l, t), QPoint(r, b));
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    double t = len2 > 0 ? ((p - a).x() * d.x() + (p - a).y() * d.y()) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF c = a + t * d - p;
    return std::sqrt(c.x() * c.x() + c.y() * c.y());
}

bool hits(const Mark &m, QPoint p, double tolerance) {
    switch (m.kind) {
    case MarkKind::Line:
    case MarkKind::Freehand:
        for (int i = 1; i < m.points.size(); ++i)
            if (distanceToSegment(p, m.points[i - 1], m.points[i]) <= tolerance + m.penWidth / 2.0)
                return true;
        return false;
    case MarkKind::Rectangle: {
        const QRect r = bounds(m).normalized();
        const QRect outer = r.adjusted(-tolerance, -tolerance, tolerance, tolerance);
        const QRect inner = r.adjusted(tolerance + m.penWidth, tolerance + m.penWidth,
                                       -tolerance - m.penWidth, -tolerance - m.penWidth);
        return outer.contains(p) && !inner.contains(p);
    }
    default:
        return bounds(m).normalized().contains(p);
    }
}

QColor parseColor(const QString &text) {
    if (!text.startsWith(QLatin1Char('#')) || (text.size() != 7 && text.size() != 9))
        return {};
    return QColor::fromString(text);
}

QString colorText(const QColor &c) {
    return c.alpha() == 255 ? c.name(QColor::HexRgb) : c.name(QColor::HexArgb);
}

bool wholeNumber(const QJsonValue &v, int limit, int &out) {
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != std::floor(d) || d < -limit || d > limit)
        return false;
    out = static_cast<int>(d);
    return true;
}

bool markFromJson(const QJsonValue &value, Mark &m) {
    if (!value.isObject())
        return false;
    const QJsonObject o = value.toObject();
    const QString kind = o.value(QLatin1String("kind")).toString();
    bool known = false;
    for (const KindName &n : kKinds)
        if (kind == QLatin1String(n.name)) {
            m.kind = n.kind;
            known = true;
        }
    if (!known)
        return false;
    const QJsonValue name = o.value(QLatin1String("name"));
    const QJsonValue text = o.value(QLatin1String("text"));
    if (!name.isString() || name.toString().size() > 256 || (!text.isUndefined() && !text.isString()) ||
        text.toString().size() > kMaxText)
        return false;
    m.name = name.toString();
    m.text = text.toString();
    m.color = parseColor(o.value(QLatin1String("color")).toString());
    if (!m.color.isValid() || !wholeNumber(o.value(QLatin1String("width")), kMaxPenWidth, m.penWidth) ||
        m.penWidth < 1)
        return false;
    const QJsonValue pts = o.value(QLatin1String("points"));
    if (!pts.isArray())
        return false;
    const QJsonArray a = pts.toArray();
    if (a.size() % 2 != 0 || a.size() / 2 > kMaxPoints)
        return false;
    m.points.clear();
    for (qsizetype i = 0; i < a.size(); i += 2) {
        int x = 0, y = 0;
        if (!wholeNumber(a[i], kMaxCoordinate, x) || !wholeNumber(a[i + 1], kMaxCoordinate, y))
            return false;
        m.points.append(QPoint(x, y));
    }
    const int wanted = pointsWanted(m.kind);
    return wanted ? m.points.size() == wanted : m.points.size() >= 2;
}

QJsonObject markToJson(const Mark &m) {
    QJsonArray pts;
    for (const QPoint &p : m.points) {
        pts.append(p.x());
        pts.append(p.y());
    }
    QJsonObject o{{QStringLiteral("kind"), QLatin1String(kindInfo(m.kind).name)},
                  {QStringLiteral("name"), m.name},
                  {QStringLiteral("color"), colorText(m.color)},
                  {QStringLiteral("width"), m.penWidth},
                  {QStringLiteral("points"), pts}};
    if (!m.text.isEmpty())
        o.insert(QStringLiteral("text"), m.text);
    return o;
}

bool marksFromJson(const QJsonValue &value, std::vector<Mark> &marks) {
    if (!value.isArray() || value.toArray().size() > kMaxMarks)
        return false;
    std::vector<Mark> out;
    for (const QJsonValue &v : value.toArray()) {
        Mark m;
        if (!markFromJson(v, m))
            return false;
        out.push_back(std::move(m));
    }
    marks = std::move(out);
    return true;
}

QJsonArray marksToJson(const std::vector<Mark> &marks) {
    QJsonArray a;
    for (const Mark &m : marks)
        a.append(markToJson(m));
    return a;
}

bool header(const QJsonDocument &doc) {
    const QJsonObject o = doc.object();
    return doc.isObject() && o.value(QLatin1String("format")).toString() == QLatin1String(kFormat) &&
           o.value(QLatin1String("version")).toInt() == 1;
}

QByteArray documentText(QJsonObject body) {
    body.insert(QStringLiteral("format"), QLatin1String(kFormat));
    body.insert(QStringLiteral("version"), 1);
    return QJsonDocument(body).toJson(QJsonDocument::Indented);
}

std::int16_t writeText(const QString &file, const QByteArray &text) {
    const Bytes data(text.begin(), text.end());
    return lib::writeFileAtomic(file, data);
}

// Moves the pages from `page` on by `by` (removing `page` itself when moving down).
std::int16_t shiftPages(const QString &file, int page, int by) {
    if (page < 0 || page > kMaxPage)
        return ErrPage;
    if (file.isEmpty() || !QFileInfo::exists(file))
        return kOk;
    std::map<int, std::vector<Mark>> pages;
    const std::int16_t code = readAnnotationFile(file, pages);
    if (code != kOk)
        return code;
    std::map<int, std::vector<Mark>> moved;
    for (auto &[p, marks] : pages) {
        if (by < 0 && p == page)
            continue;
        const int to = p >= page ? p + by : p;
        if (to > kMaxPage)
            return ErrPage;
        moved[to] = std::move(marks);
    }
    return writeText(file, annotationFileText(moved));
}

} // namespace

std::uint32_t PackPoint(int x, int y) {
    const auto lo = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(x, -32768, 32767)));
    const auto hi = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(y, -32768, 32767)));
    return (static_cast<std::uint32_t>(hi) << 16) | lo;
}

QPoint UnpackPoint(std::uint32_t packed) {
    return QPoint(static_cast<std::int16_t>(packed & 0xFFFF), static_cast<std::int16_t>(packed >> 16));
}

QByteArray pageToText(const std::vector<Mark> &marks) {
    return documentText(QJsonObject{{QStringLiteral("marks"), marksToJson(marks)}});
}

std::int16_t pageFromText(const QByteArray &text, std::vector<Mark> &marks) {
    if (text.size() > kMaxFileBytes)
        return ErrTooLarge;
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    if (!header(doc) || !marksFromJson(doc.object().value(QLatin1String("marks")), marks))
        return ErrCorrupt;
    return kOk;
}

std::int16_t parseAnnotationFile(const QByteArray &text, std::map<int, std::vector<Mark>> &pages) {
    if (text.size() > kMaxFileBytes)
        return ErrTooLarge;
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    if (!header(doc))
        return ErrCorrupt;
    const QJsonValue list = doc.object().value(QLatin1String("pages"));
    if (!list.isArray() || list.toArray().size() > kMaxPage + 1)
        return ErrCorrupt;
    std::map<int, std::vector<Mark>> out;
    for (const QJsonValue &v : list.toArray()) {
        int page = 0;
        std::vector<Mark> marks;
        if (!v.isObject() || !wholeNumber(v.toObject().value(QLatin1String("page")), kMaxPage, page) ||
            page < 0 || out.count(page) || !marksFromJson(v.toObject().value(QLatin1String("marks")), marks))
            return ErrCorrupt;
        out[page] = std::move(marks);
    }
    pages = std::move(out);
    return kOk;
}

std::int16_t readAnnotationFile(const QString &file, std::map<int, std::vector<Mark>> &pages) {
    const Bytes *ahead = lib::ReadAhead::find(file);
    if ((ahead ? qint64(ahead->size()) : QFileInfo(file).size()) > kMaxFileBytes)
        return ErrTooLarge;
    Bytes data;
    const std::int16_t code = lib::readWholeFile(file, data);
    if (code != kOk)
        return code;
    return parseAnnotationFile(
        QByteArray(reinterpret_cast<const char *>(data.data()), static_cast<qsizetype>(data.size())), pages);
}

QByteArray annotationFileText(const std::map<int, std::vector<Mark>> &pages) {
    QJsonArray list;
    for (const auto &[page, marks] : pages)
        if (!marks.empty())
            list.append(
                QJsonObject{{QStringLiteral("page"), page}, {QStringLiteral("marks"), marksToJson(marks)}});
    return documentText(QJsonObject{{QStringLiteral("pages"), list}});
}

// ---- the engine -------------------------------------------------------------------------------------

AnnotationEngine::AnnotationEngine(void *control, const QString &settingsFile, Callbacks callbacks)
    : m_control(control), m_settingsFile(settingsFile), m_cb(std::move(callbacks)) {
    if (m_settingsFile.isEmpty() || !QFileInfo::exists(m_settingsFile))
        return;
    const QSettings s(m_settingsFile, QSettings::IniFormat);
    const QColor c = parseColor(s.value(QStringLiteral("Annotations/Color")).toString());
    if (c.isValid())
        m_color = c;
    m_penWidth = std::clamp(s.value(QStringLiteral("Annotations/PenWidth"), m_penWidth).toInt(), 1, 50);
    m_noteSize = std::clamp(s.value(QStringLiteral("Annotations/NoteSize"), m_noteSize).toInt(), 6, 200);
}

std::int32_t AnnotationEngine::add(Mark mark) {
    mark.id = m_nextId++;
    if (mark.name.isEmpty())
        mark.name = QStringLiteral("%1 %2").arg(QLatin1String(kindInfo(mark.kind).label)).arg(mark.id);
    m_marks.push_back(std::move(mark));
    return m_marks.back().id;
}

void AnnotationEngine::clear() {
    m_marks.clear();
    m_selected = 0;
    m_drag = Drag::None;
}

Mark *AnnotationEngine::find(std::int32_t id) {
    for (Mark &m : m_marks)
        if (m.id == id)
            return &m;
    return nullptr;
}

void AnnotationEngine::draw(QPainter &painter, const View &view) {
    m_view = view;
    paint(painter, view, kPassScreen, true);
}

void AnnotationEngine::drawWhole(QPainter &painter, const View &view) {
    paint(painter, view, kPassWhole, false);
}

void AnnotationEngine::paint(QPainter &p, const View &v, std::int32_t pass, bool withSelection) {
    if (m_marks.empty() || v.zoom <= 0)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (QPaintDevice *dev = p.device()) {
        const int bar = std::max(0, v.scrollBarWidth);
        p.setClipRect(QRect(0, 0, dev->width() - bar, dev->height() - bar), Qt::IntersectClip);
    }
    auto map = [&](QPoint pt) {
        return QPoint(static_cast<int>(std::lround((pt.x() - v.originX) * v.zoom)) + v.offsetX,
                      static_cast<int>(std::lround((pt.y() - v.originY) * v.zoom)) + v.offsetY);
    };
    auto mapRect = [&](const QRect &r) {
        return QRect(map(r.topLeft()), map(r.bottomRight() + QPoint(1, 1)));
    };
    for (const Mark &m : m_marks) {
        std::int16_t flag = 1;
        if (m_cb.beforeDraw)
            m_cb.beforeDraw(m_control, pass, flag, m.name);
        if (flag == 0)
            continue;
        const int width = std::max(1, static_cast<int>(std::lround(m.penWidth * v.zoom)));
        QPen pen(m.color, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        switch (m.kind) {
        case MarkKind::Line:
            p.drawLine(map(m.points[0]), map(m.points[1]));
            break;
        case MarkKind::Rectangle:
            p.drawRect(QRect(map(m.points[0]), map(m.points[1])).normalized());
            break;
        case MarkKind::Highlight: {
            QColor fill = m.color;
            fill.setAlpha(96);
            p.fillRect(QRect(map(m.points[0]), map(m.points[1])).normalized(), fill);
            break;
        }
        case MarkKind::Freehand: {
            QPolygon line;
            for (const QPoint &pt : m.points)
                line.append(map(pt));
            p.drawPolyline(line);
            break;
        }
        case MarkKind::Note: {
            const QRect box = mapRect(noteBox(m));
            p.fillRect(box, QColor(255, 255, 200));
            p.setPen(QPen(m.color, 1));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            p.setPen(Qt::black);
            p.setFont(noteFont(static_cast<int>(std::lround(m.penWidth * v.zoom))));
            p.drawText(box, Qt::AlignCenter, m.text);
            break;
        }
        case MarkKind::Custom: {
            const QRect r = QRect(map(m.points[0]), map(m.points[1])).normalized();
            int reached = 0;
            QPaintDevice *dev = p.device();
            if (pass == kPassWhole && dev && dev->devType() == QInternal::Image && m_cb.hardDraw)
                reached = m_cb.hardDraw(m_control, static_cast<QImage *>(dev), m.name, r.left(), r.top(),
                                        r.right() + 1, r.bottom() + 1);
            else if (m_cb.customDraw)
                reached =
                    m_cb.customDraw(m_control, p, m.name, r.left(), r.top(), r.right() + 1, r.bottom() + 1);
            if (!reached) {
                p.setPen(QPen(m.color, 1, Qt::DashLine));
                p.drawRect(r.adjusted(0, 0, -1, -1));
            }
            break;
        }
        }
        if (withSelection && m.id == m_selected) {
            p.setPen(QPen(Qt::blue, 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(mapRect(bounds(m).normalized()).adjusted(-3, -3, 2, 2));
        }
        if (m_cb.afterDraw)
            m_cb.afterDraw(m_control, m.name);
    }
    p.restore();
}

QPoint AnnotationEngine::toPicture(QPoint s) const {
    const double z = m_view.zoom > 0 ? m_view.zoom : 1.0;
    return QPoint(static_cast<int>(std::lround((s.x() - m_view.offsetX) / z)) + m_view.originX,
                  static_cast<int>(std::lround((s.y() - m_view.offsetY) / z)) + m_view.originY);
}

std::int32_t AnnotationEngine::hit(QPoint picture) const {
    const double tolerance = kHitTolerance / (m_view.zoom > 0 ? m_view.zoom : 1.0);
    for (auto it = m_marks.rbegin(); it != m_marks.rend(); ++it)
        if (hits(*it, picture, tolerance))
            return it->id;
    return 0;
}

void AnnotationEngine::notifyDone() {
    if (m_cb.done)
        m_cb.done(m_control);
}

void AnnotationEngine::mouse(int message, std::uint32_t packedPoint) {
    const QPoint at = toPicture(UnpackPoint(packedPoint));
    const double z = m_view.zoom > 0 ? m_view.zoom : 1.0;
    switch (message) {
    case kLeftDown:
    case kRightDown: {
        if (m_drag != Drag::None)
            return;
        if (m_tool == CmdSelect || message == kRightDown) {
            const std::int32_t id = hit(at);
            m_selected = id;
            if (m_cb.click)
                m_cb.click(m_control, id != 0, id);
            if (id != 0 && message == kLeftDown) {
                m_drag = Drag::Moving;
                m_dragStart = at;
                m_dragOriginal = find(id)->points;
            }
            return;
        }
        Mark m;
        m.color = m_color;
        switch (m_tool) {
        case CmdLine:
            m.kind = MarkKind::Line;
            break;
        case CmdRectangle:
            m.kind = MarkKind::Rectangle;
            break;
        case CmdHighlight:
            m.kind = MarkKind::Highlight;
            break;
        case CmdFreehand:
            m.kind = MarkKind::Freehand;
            break;
        default:
            m.kind = MarkKind::Note;
            break;
        }
        // Marks are made to look the same on screen whatever the zoom they were drawn at.
        m.penWidth = std::max(
            1, static_cast<int>(std::lround((m.kind == MarkKind::Note ? m_noteSize : m_penWidth) / z)));
        m.points = m.kind == MarkKind::Note ? QList<QPoint>{at} : QList<QPoint>{at, at};
        m_selected = add(std::move(m));
        m_drag = Drag::Drawing;
        m_dragStart = at;
        return;
    }
    case kMouseMove: {
        Mark *m = find(m_selected);
        if (m_drag == Drag::None || !m)
            return;
        if (m_drag == Drag::Moving) {
            const QPoint d = at - m_dragStart;
            for (int i = 0; i < m->points.size(); ++i)
                m->points[i] = m_dragOriginal[i] + d;
        } else if (m->kind == MarkKind::Freehand) {
            if (m->points.back() != at && m->points.size() < kMaxPoints)
                m->points.append(at);
        } else if (m->kind != MarkKind::Note) {
            m->points[1] = at;
        }
        return;
    }
    case kLeftUp:
        if (m_drag != Drag::None)
            finishDrag();
        return;
    default:
        return;
    }
}

void AnnotationEngine::finishDrag() {
    const Drag drag = m_drag;
    m_drag = Drag::None;
    Mark *m = find(m_selected);
    if (!m)
        return;
    if (drag == Drag::Moving) {
        if (m->points != m_dragOriginal)
            notifyDone();
        return;
    }
    if (m->kind == MarkKind::Note) {
        editText(*m);
        m = find(m_selected);
        if (m && m->text.isEmpty()) {
            m_marks.erase(std::remove_if(m_marks.begin(), m_marks.end(),
                                         [&](const Mark &x) { return x.id == m_selected; }),
                          m_marks.end());
            m_selected = 0;
            return;
        }
    } else if (m->points.front() == m->points.back() && m->points.size() <= 2) {
        // A click without a drag draws nothing.
        m_marks.erase(
            std::remove_if(m_marks.begin(), m_marks.end(), [&](const Mark &x) { return x.id == m_selected; }),
            m_marks.end());
        m_selected = 0;
        return;
    }
    notifyDone();
}

void AnnotationEngine::editText(Mark &mark) {
    if (!m_cb.askText)
        return;
    const QString text = m_cb.askText(m_control, mark.text).left(kMaxText);
    if (!text.isEmpty())
        mark.text = text;
}

void AnnotationEngine::rubberBandOff() {
    if (m_drag == Drag::None)
        return;
    const Drag drag = m_drag;
    m_drag = Drag::None;
    if (drag == Drag::Moving) {
        if (Mark *m = find(m_selected))
            m->points = m_dragOriginal;
        return;
    }
    m_marks.erase(
        std::remove_if(m_marks.begin(), m_marks.end(), [&](const Mark &x) { return x.id == m_selected; }),
        m_marks.end());
    m_selected = 0;
}

void AnnotationEngine::menu(int command) {
    if (command >= CmdSelect && command <= CmdNote) {
        rubberBandOff();
        // A new tool starts afresh: a colour picked next is for the marks to come.
        m_selected = 0;
        m_tool = command;
        return;
    }
    static const std::pair<int, QRgb> kColors[] = {{CmdRed, qRgb(255, 0, 0)},
                                                   {CmdBlue, qRgb(0, 0, 255)},
                                                   {CmdGreen, qRgb(0, 128, 0)},
                                                   {CmdBlack, qRgb(0, 0, 0)}};
    for (const auto &[cmd, rgb] : kColors)
        if (command == cmd) {
            m_color = QColor(rgb);
            if (Mark *m = find(m_selected)) {
                m->color = m_color;
                notifyDone();
            }
            keepSettings();
            return;
        }
    switch (command) {
    case CmdDelete:
        if (find(m_selected)) {
            m_marks.erase(std::remove_if(m_marks.begin(), m_marks.end(),
                                         [&](const Mark &x) { return x.id == m_selected; }),
                          m_marks.end());
            m_selected = 0;
            notifyDone();
        }
        return;
    case CmdEditText:
        if (Mark *m = find(m_selected); m && m->kind == MarkKind::Note) {
            const QString before = m->text;
            editText(*m);
            if (m->text != before)
                notifyDone();
        }
        return;
    case CmdClearPage:
        if (!m_marks.empty()) {
            clear();
            notifyDone();
        }
        return;
    default:
        return;
    }
}

QList<MenuItem> AnnotationEngine::menuItems() const {
    QList<MenuItem> items;
    const std::pair<int, const char *> tools[] = {{CmdSelect, "Select"},       {CmdLine, "Line"},
                                                  {CmdRectangle, "Rectangle"}, {CmdHighlight, "Highlight"},
                                                  {CmdFreehand, "Freehand"},   {CmdNote, "Note"}};
    for (const auto &[cmd, caption] : tools)
        items.append({cmd, QLatin1String(caption), m_tool == cmd, true});
    items.append(MenuItem{});
    const bool selected =
        std::any_of(m_marks.begin(), m_marks.end(), [&](const Mark &m) { return m.id == m_selected; });
    bool note = false;
    for (const Mark &m : m_marks)
        note = note || (m.id == m_selected && m.kind == MarkKind::Note);
    items.append({CmdDelete, QStringLiteral("Delete"), false, selected});
    items.append({CmdEditText, QStringLiteral("Edit Note Text"), false, note});
    items.append({CmdClearPage, QStringLiteral("Clear Page"), false, !m_marks.empty()});
    items.append(MenuItem{});
    const std::pair<int, const char *> colors[] = {
        {CmdRed, "Red"}, {CmdBlue, "Blue"}, {CmdGreen, "Green"}, {CmdBlack, "Black"}};
    const QRgb rgbs[] = {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 128, 0), qRgb(0, 0, 0)};
    for (int i = 0; i < 4; ++i)
        items.append({colors[i].first, QLatin1String(colors[i].second), m_color.rgb() == rgbs[i], true});
    return items;
}

void AnnotationEngine::keepSettings() const {
    if (m_settingsFile.isEmpty())
        return;
    QSettings s(m_settingsFile, QSettings::IniFormat);
    s.setValue(QStringLiteral("Annotations/Color"), colorText(m_color));
    s.setValue(QStringLiteral("Annotations/PenWidth"), m_penWidth);
    s.setValue(QStringLiteral("Annotations/NoteSize"), m_noteSize);
}

std::int16_t AnnotationEngine::load(int page, const QString &file) {
    if (page < 0 || page > kMaxPage)
        return ErrPage;
    std::map<int, std::vector<Mark>> pages;
    const std::int16_t code = readAnnotationFile(file, pages);
    if (code != kOk)
        return code;
    clear();
    for (Mark &m : pages[page])
        add(std::move(m));
    return kOk;
}

std::int16_t AnnotationEngine::save(int page, const QString &file) const {
    if (page < 0 || page > kMaxPage)
        return ErrPage;
    if (file.isEmpty())
        return ErrArgument;
    std::map<int, std::vector<Mark>> pages;
    if (QFileInfo::exists(file)) {
        // A file that cannot be read is left alone rather than overwritten with this page only.
        const std::int16_t code = readAnnotationFile(file, pages);
        if (code != kOk)
            return code;
    } else if (m_marks.empty()) {
        return kOk;
    }
    pages[page] = m_marks;
    return writeText(file, annotationFileText(pages));
}

QByteArray AnnotationEngine::saveStream(int) const {
    return pageToText(m_marks);
}

std::int16_t AnnotationEngine::loadStream(int page, const QByteArray &text) {
    if (page < 0 || page > kMaxPage)
        return ErrPage;
    std::vector<Mark> marks;
    const std::int16_t code = pageFromText(text, marks);
    if (code != kOk)
        return code;
    clear();
    for (Mark &m : marks)
        add(std::move(m));
    return kOk;
}

// ---- entry points -----------------------------------------------------------------------------------

namespace {

std::map<WindowKey, std::unique_ptr<AnnotationEngine>> &engines() {
    static std::map<WindowKey, std::unique_ptr<AnnotationEngine>> e;
    return e;
}

} // namespace

AnnotationEngine *Engine(WindowKey window) {
    const auto it = engines().find(window);
    return it == engines().end() ? nullptr : it->second.get();
}

void InitAnnotation(WindowKey window, void *control, const QString &settingsFile) {
    InitAnnotation(window, control, settingsFile, Callbacks{});
}

void InitAnnotation(WindowKey window, void *control, const QString &settingsFile,
                    const Callbacks &callbacks) {
    engines()[window] = std::make_unique<AnnotationEngine>(control, settingsFile, callbacks);
}

void DestroyAnnotation(WindowKey window) {
    engines().erase(window);
}

void DrawAnnotation(WindowKey window, int originX, int originY, int offsetX, int offsetY, int scrollBarWidth,
                    double zoom) {
    // Without the paint's painter only the view is taken, for the mouse.
    if (AnnotationEngine *e = Engine(window))
        e->setView(View{originX, originY, offsetX, offsetY, scrollBarWidth, zoom});
}

void DrawAnnotation(WindowKey window, QPainter &painter, int originX, int originY, int offsetX, int offsetY,
                    int scrollBarWidth, double zoom) {
    if (AnnotationEngine *e = Engine(window))
        e->draw(painter, View{originX, originY, offsetX, offsetY, scrollBarWidth, zoom});
}

void DrawAnnotationWholeDC(WindowKey window, QPainter &painter, int originX, int originY, double zoom) {
    if (AnnotationEngine *e = Engine(window))
        e->drawWhole(painter, View{originX, originY, 0, 0, 0, zoom});
}

void MouseMon(WindowKey window, int message, int, std::uint32_t point) {
    if (AnnotationEngine *e = Engine(window))
        e->mouse(message, point);
}

void MenuMsg(WindowKey window, int command) {
    if (AnnotationEngine *e = Engine(window))
        e->menu(command);
}

QList<MenuItem> AnnotationMenu(WindowKey window) {
    const AnnotationEngine *e = Engine(window);
    return e ? e->menuItems() : QList<MenuItem>{};
}

void ClearAnnotation(WindowKey window) {
    if (AnnotationEngine *e = Engine(window))
        e->clear();
}

void RubberBandOFF(WindowKey window) {
    if (AnnotationEngine *e = Engine(window))
        e->rubberBandOff();
}

std::int16_t LoadAnnotation(WindowKey window, int page, const QString &file) {
    AnnotationEngine *e = Engine(window);
    return e ? e->load(page, file) : ErrArgument;
}

std::int16_t SaveAnnotation(WindowKey window, int page, const QString &file) {
    const AnnotationEngine *e = Engine(window);
    return e ? e->save(page, file) : ErrArgument;
}

QByteArray StreamSaveAnnotation(WindowKey window, int page) {
    const AnnotationEngine *e = Engine(window);
    return e ? e->saveStream(page) : QByteArray();
}

std::int16_t StreamLoadAnnotation(WindowKey window, int page, const QByteArray &text) {
    AnnotationEngine *e = Engine(window);
    return e ? e->loadStream(page, text) : ErrArgument;
}

std::int16_t RemoveAnnotation(WindowKey, int page, const QString &file) {
    return shiftPages(file, page, -1);
}

std::int16_t InsertAnnotation(WindowKey, int page, const QString &file) {
    return shiftPages(file, page, 1);
}

std::int16_t AdoptAnnotationFile(const QString &from, const QString &to) {
    if (from.isEmpty() || to.isEmpty())
        return ErrArgument;
    if (QFileInfo::exists(to) || !QFileInfo::exists(from))
        return kOk;
    std::map<int, std::vector<Mark>> pages;
    const std::int16_t code = readAnnotationFile(from, pages);
    return code == kOk ? writeText(to, annotationFileText(pages)) : code;
}

bool IsAnnotation(WindowKey window) {
    return AnnotationCount(window) > 0;
}

int AnnotationCount(WindowKey window) {
    const AnnotationEngine *e = Engine(window);
    return e ? static_cast<int>(e->marks().size()) : 0;
}

bool AnnotationStarted(WindowKey window) {
    return Engine(window) != nullptr;
}

} // namespace orva::imageio::anno
