// EPS pictures through Ghostscript (when installed) and DXF drawings through dxflib, drawn with Qt.
#include "platform/imageio/EpsDxf.h"

#include "platform/imageio/Codecs.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <cmath>
#include <limits>

namespace orva::imageio {

namespace {

QString &ghostscriptProgram() {
    static QString program;
    return program;
}

int &ghostscriptDeadline() {
    static int milliseconds = kGhostscriptDeadlineMs;
    return milliseconds;
}

struct Shape {
    enum Kind { Line, Arc } kind = Line;
    double a = 0, b = 0, c = 0, d = 0, e = 0; // line: x1 y1 x2 y2; arc: cx cy r start end
};

class Collector : public DL_CreationAdapter {
public:
    std::vector<Shape> shapes;
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;

    void addLine(const DL_LineData &l) override { line(l.x1, l.y1, l.x2, l.y2); }
    void addCircle(const DL_CircleData &c) override { arc(c.cx, c.cy, c.radius, 0, 360); }
    void addArc(const DL_ArcData &a) override { arc(a.cx, a.cy, a.radius, a.angle1, a.angle2); }
    void addPolyline(const DL_PolylineData &p) override {
        closePolyline();
        m_closed = p.flags & 1;
        m_inPolyline = true;
    }
    void addVertex(const DL_VertexData &v) override {
        if (!m_inPolyline)
            return;
        if (m_haveLast)
            line(m_lastX, m_lastY, v.x, v.y);
        else {
            m_firstX = v.x;
            m_firstY = v.y;
        }
        m_lastX = v.x;
        m_lastY = v.y;
        m_haveLast = true;
    }
    void endEntity() override { closePolyline(); }
    void endSequence() override { closePolyline(); }

    void closePolyline() {
        if (m_inPolyline && m_closed && m_haveLast)
            line(m_lastX, m_lastY, m_firstX, m_firstY);
        m_inPolyline = m_haveLast = m_closed = false;
    }

private:
    void extend(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    void line(double x1, double y1, double x2, double y2) {
        shapes.push_back({Shape::Line, x1, y1, x2, y2, 0});
        extend(x1, y1);
        extend(x2, y2);
    }
    void arc(double cx, double cy, double r, double a1, double a2) {
        if (!(r > 0) || !std::isfinite(r))
            return;
        shapes.push_back({Shape::Arc, cx, cy, r, a1, a2});
        extend(cx - r, cy - r);
        extend(cx + r, cy + r);
    }
    bool m_inPolyline = false, m_closed = false, m_haveLast = false;
    double m_firstX = 0, m_firstY = 0, m_lastX = 0, m_lastY = 0;
};

std::int16_t parse(const QString &file, Collector &collector) {
    if (!QFileInfo(file).isFile())
        return ErrOpen;
    DL_Dxf dxf;
    bool ok = false;
    try {
        ok = dxf.in(QFile::encodeName(file).toStdString(), &collector);
    } catch (...) {
        return ErrCorrupt;
    }
    collector.closePolyline();
    if (!ok)
        return ErrCorrupt;
    if (collector.shapes.empty())
        return ErrUnsupported; // nothing we can draw: no lines, arcs, circles or polylines
    return kOk;
}

} // namespace

void setGhostscriptProgram(const QString &program) {
    ghostscriptProgram() = program;
}

void setGhostscriptDeadline(int milliseconds) {
    ghostscriptDeadline() = milliseconds;
}

std::int16_t renderEps(const QString &file, DibBlock &out) {
    if (!QFileInfo(file).isFile())
        return ErrOpen;
    const QString gs = ghostscriptProgram().isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("gs"))
                                                      : ghostscriptProgram();
    if (gs.isEmpty() || !QFileInfo(gs).isExecutable())
        return ErrNoGhostscript;
    // The whole conversion has one deadline: a file that makes Ghostscript hang, or print a byte
    // now and then, must not hold the window for longer.
    const QDeadlineTimer deadline(ghostscriptDeadline());
    auto remaining = [&deadline] { return int(qMax<qint64>(1, deadline.remainingTime())); };
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice()); // its messages are not kept without bound
    process.start(gs, {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                       QStringLiteral("-dNOPAUSE"), QStringLiteral("-dEPSCrop"), QStringLiteral("-r72"),
                       QStringLiteral("-sDEVICE=bmp16m"), QStringLiteral("-sOutputFile=-"),
                       QStringLiteral("-f"), file});
    if (!process.waitForStarted(remaining()))
        return ErrNoGhostscript;
    process.closeWriteChannel();
    auto stop = [&process](std::int16_t code) {
        process.kill();
        process.waitForFinished(5000);
        return code;
    };
    QByteArray bmp;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired())
            return stop(ErrCorrupt);
        // False with the program still running means its output has closed: only its end is left.
        if (!process.waitForReadyRead(remaining()) && process.state() != QProcess::NotRunning)
            process.waitForFinished(remaining());
        bmp += process.readAllStandardOutput();
        if (bmp.size() > static_cast<qsizetype>(kMaxDibBytes))
            return stop(ErrTooLarge);
    }
    bmp += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || bmp.isEmpty())
        return ErrCorrupt;
    return decodeBmp(reinterpret_cast<const std::uint8_t *>(bmp.constData()),
                     static_cast<std::size_t>(bmp.size()), out);
}

std::int16_t dxfExtents(const QString &file, double &minX, double &minY, double &maxX, double &maxY) {
    Collector c;
    const std::int16_t code = parse(file, c);
    if (code != kOk)
        return code;
    minX = c.minX;
    minY = c.minY;
    maxX = c.maxX;
    maxY = c.maxY;
    return kOk;
}

std::int16_t renderDxf(const QString &file, QImage &out) {
    Collector c;
    const std::int16_t code = parse(file, c);
    if (code != kOk)
        return code;
    const double spanX = std::max(c.maxX - c.minX, 1e-9);
    const double spanY = std::max(c.maxY - c.minY, 1e-9);
    const double scale = (kDxfRenderSize - 9) / std::max(spanX, spanY);
    const int w = std::max(1, static_cast<int>(std::ceil(spanX * scale)) + 9);
    const int h = std::max(1, static_cast<int>(std::ceil(spanY * scale)) + 9);
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        return ErrNoMemory;
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    // Drawing units grow upwards; image rows grow downwards.
    auto map = [&](double x, double y) {
        return QPointF(4 + (x - c.minX) * scale, h - 5 - (y - c.minY) * scale);
    };
    for (const Shape &s : c.shapes) {
        if (s.kind == Shape::Line) {
            painter.drawLine(map(s.a, s.b), map(s.c, s.d));
            continue;
        }
        const QPointF centre = map(s.a, s.b);
        const double r = s.c * scale;
        double sweep = s.e - s.d;
        if (sweep <= 0)
            sweep += 360;
        QPainterPath path;
        path.arcMoveTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), s.d);
        path.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), s.d, sweep);
        painter.drawPath(path);
    }
    painter.end();
    out = image;
    return kOk;
}

} // namespace orva::imageio
