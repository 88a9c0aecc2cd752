// Painting the result page.
#include "hostforms/forms/TKalvexResultImage.h"

#include "common/HostText.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The width of a full line is measured on this sample of 80 characters.
const QString kSample =
    QStringLiteral("aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrRsStTuUvVwWxXyYzZ0123456789.}][~!#$%^&*()_+<>");

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGrey(0x80, 0x80, 0x80);

// A page never grows beyond what a widget can be; a longer layout is cut at the bottom.
constexpr int kMaxPageHeight = 32000;

} // namespace

TKalvexResultImage::TKalvexResultImage(TKalvexResultModel &model, QWidget *parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("KxResult"));
    Background = palette().color(QPalette::Base);
}

int TKalvexResultImage::Metrics::columnX(int column) const {
    return int(qint64(textWidth) * column / TKalvexResultModel::kColumns) + TKalvexResultModel::kLeftMargin;
}

TKalvexResultImage::Metrics TKalvexResultImage::metricsFor(const QFont &font, QPaintDevice *device) {
    const QFontMetrics fm = device ? QFontMetrics(font, device) : QFontMetrics(font);
    return {std::max(0, fm.height()), std::max(0, fm.horizontalAdvance(kSample))};
}

QSize TKalvexResultImage::pageSize(const Metrics &m) const {
    const qint64 lines = m_model.shownLines(State).size();
    const qint64 height =
        lines * m.lineHeight + TKalvexResultModel::kTopMargin + TKalvexResultModel::kBottomMargin;
    return {std::min(m.pageWidth(), 16000), int(std::min<qint64>(height, kMaxPageHeight))};
}

int TKalvexResultImage::shownRow(int layoutLine) const {
    return int(m_model.shownLines(State).indexOf(layoutLine));
}

QRect TKalvexResultImage::fieldRect(int n, int lines) const {
    const TKalvexResultModel::Field f = m_model.field(n);
    const Metrics m = metrics();
    const int row = shownRow(f.row - 1);
    if (!f.valid || row < 0) {
        return {};
    }
    const int left = m.columnX(f.column - 1);
    const int right = m.columnX(f.column - 1 + f.width + 1);
    return {left, TKalvexResultModel::kTopMargin + row * m.lineHeight, right - left, lines * m.lineHeight};
}

void TKalvexResultImage::displayLayout() {
    resize(pageSize(metrics()));
    update();
}

void TKalvexResultImage::paintEvent(QPaintEvent *) {
    QPainter p(this);
    paintPage(p, font(), nullptr);
}

void TKalvexResultImage::paintPage(QPainter &p, const QFont &font, QPaintDevice *device) const {
    const Metrics m = metricsFor(font, device);
    const bool editing = State == TKalvexResultModel::State::Edit;
    const QSize size = pageSize(m);
    p.fillRect(QRect(QPoint(0, 0), size), editing ? EditBackground : Background);
    if (m_model.layout().isEmpty() || m.lineHeight <= 0) {
        return;
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    const QColor ink = palette().color(QPalette::Text);
    const QList<int> shown = m_model.shownLines(State);
    const int ascent = QFontMetrics(font, device ? device : p.device()).ascent();
    auto baseline = [&](int row) { return TKalvexResultModel::kTopMargin + row * m.lineHeight + ascent; };

    QHash<int, QPair<int, int>> rangeAt; // field -> shown row, column of its "~"
    QHash<int, int> rowOf;               // layout line -> shown row
    for (int row = 0; row < shown.size(); ++row) {
        rowOf.insert(shown[row], row);
        const TKalvexResultModel::LayoutLine line = m_model.parseLine(shown[row]);
        for (const auto &[field, column] : line.rangeMarks) {
            rangeAt.insert(field, {row, column});
        }
        for (const TKalvexResultModel::Run &run : line.runs) {
            QFont f = font;
            f.setBold(run.bold);
            f.setUnderline(run.underline);
            p.setFont(f);
            p.setPen(run.underline ? kBlue : run.red ? kRed : ink);
            p.drawText(m.columnX(run.column), baseline(row), HostText::toUnicode(run.text));
        }
    }
    for (int n = 1; n <= m_model.fieldCount(); ++n) {
        const TKalvexResultModel::Field f = m_model.field(n);
        const int row = f.valid ? rowOf.value(f.row - 1, -1) : -1;
        if (row < 0) {
            continue;
        }
        const int x = m.columnX(f.column - 1);
        if (editing) {
            p.setPen(kGrey);
            p.setBrush(EditColor);
            const int right = m.columnX(f.column - 1 + f.width + 1);
            p.drawRect(x - 1, TKalvexResultModel::kTopMargin + row * m.lineHeight, right - x,
                       m.lineHeight - 1);
            p.setBrush(Qt::NoBrush);
        }
        p.setFont(font);
        p.setPen(m_model.outOfRange(n) ? kRed : ink);
        p.drawText(x, baseline(row), HostText::toUnicode(m_model.displayValue(n)));
        if (f.rangeWidth && *f.rangeWidth > 0 && rangeAt.contains(n)) {
            const auto [rangeRow, column] = rangeAt.value(n);
            p.setPen(kGrey);
            p.drawText(m.columnX(column), baseline(rangeRow),
                       HostText::toUnicode(m_model.rangeText(n).left(*f.rangeWidth)));
        }
    }
}

void TKalvexResultImage::mousePressEvent(QMouseEvent *event) {
    QWidget::mousePressEvent(event);
    if (onPress && event->button() == Qt::LeftButton) {
        onPress(event->position().toPoint());
    }
}
