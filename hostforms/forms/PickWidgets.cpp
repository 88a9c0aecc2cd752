// Host controls without a Qt counterpart.
#include "hostforms/forms/PickWidgets.h"

#include "hostforms/forms/AlignLayout.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

void paintOverlay(QWidget *w, const PositionText &o) {
    if (!o.has) {
        return;
    }
    QPainter p(w);
    p.setFont(o.font);
    p.setPen(o.colour);
    p.drawText(QRect(o.pos, QSize(32767, 32767)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, o.text);
}

} // namespace

// ---- scroll-box workspace ----------------------------------------------------------------------

TScrollWorkspace::TScrollWorkspace(QWidget *parent) : QScrollArea(parent), m_content(new QWidget) {
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    m_content->setObjectName(QStringLiteral("content"));
    setWidget(m_content);
    AlignLayout::Engine::of(m_content);
}

void TScrollWorkspace::updateExtent() {
    QRect bounds;
    for (QObject *o : m_content->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && !w->isWindow() && !w->isHidden() &&
            (AlignLayout::Engine::alignOf(w) == HostProtocol::Align::None ||
             AlignLayout::Engine::alignOf(w) == HostProtocol::Align::Custom)) {
            bounds |= w->geometry();
        }
    }
    const QSize view = maximumViewportSize();
    const QSize want(qMax(view.width(), bounds.right() + 1), qMax(view.height(), bounds.bottom() + 1));
    if (m_content->size() != want) {
        m_content->resize(want);
        AlignLayout::Engine::of(m_content)->relayout();
    }
}

void TScrollWorkspace::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    updateExtent();
}

// ---- form workspace ------------------------------------------------------------------------------

TFormWorkspace::TFormWorkspace(QWidget *parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_QuitOnClose, false);
    AlignLayout::Engine::of(this);
}

void TFormWorkspace::closeEvent(QCloseEvent *event) {
    // The host decides: it is told, and the form stays open.
    event->ignore();
    if (OnCloseQuery) {
        OnCloseQuery();
    }
}

void TFormWorkspace::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    paintOverlay(this, Overlay);
}

// ---- labeled edit --------------------------------------------------------------------------------

TLabeledEdit::TLabeledEdit(QWidget *parent) : QLineEdit(parent), m_label(new QLabel(parent)) {
    m_label->setObjectName(QStringLiteral("EditLabel"));
    // Host text: markup in it is shown, never followed (an <img> would load a local file).
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->adjustSize();
    placeLabel();
}

TLabeledEdit::~TLabeledEdit() {
    delete m_label.data();
}

void TLabeledEdit::setLabelPosition(int position) {
    m_position = qBound(0, position, 3);
    placeLabel();
}

void TLabeledEdit::placeLabel() {
    if (!m_label) {
        return;
    }
    if (m_label->parentWidget() != parentWidget()) {
        m_label->setParent(parentWidget());
    }
    if (m_label->wordWrap()) {
        m_label->setFixedWidth(qMax(1, width()));
        m_label->adjustSize();
    } else {
        m_label->setMinimumWidth(0);
        m_label->setMaximumWidth(QWIDGETSIZE_MAX);
        m_label->adjustSize();
    }
    const QSize ls = m_label->size();
    const QRect g = geometry();
    QPoint at;
    switch (m_position) {
    case Above:
        at = QPoint(g.left(), g.top() - ls.height() - LabelSpacing);
        break;
    case Below:
        at = QPoint(g.left(), g.bottom() + 1 + LabelSpacing);
        break;
    case Right:
        at = QPoint(g.right() + 1 + LabelSpacing, g.top() + (g.height() - ls.height()) / 2);
        break;
    case Left:
    default:
        at = QPoint(g.left() - ls.width() - LabelSpacing, g.top() + (g.height() - ls.height()) / 2);
        break;
    }
    m_label->move(at);
    m_label->setVisible(!isHidden() && parentWidget());
}

bool TLabeledEdit::event(QEvent *event) {
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Show:
    case QEvent::Hide:
        placeLabel();
        break;
    case QEvent::EnabledChange:
        if (m_label) {
            m_label->setEnabled(isEnabled());
        }
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void TLabeledEdit::moveEvent(QMoveEvent *event) {
    QLineEdit::moveEvent(event);
    placeLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    placeLabel();
}

// ---- label ---------------------------------------------------------------------------------------

TPickLabel::TPickLabel(QWidget *parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText); // host text, shown as it is
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TPickLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    paintOverlay(this, Overlay);
}

// ---- image ---------------------------------------------------------------------------------------

TPickImage::TPickImage(QWidget *parent) : QWidget(parent) {}

void TPickImage::setPicture(const QImage &image) {
    m_image = image;
    update();
}

void TPickImage::setStretch(bool on) {
    m_stretch = on;
    update();
}

bool TPickImage::drawText(const QPoint &at, const QString &text, const QFont &font) {
    if (m_image.isNull()) {
        // A canvas of the control's size; geometry is clamped before it gets here.
        const QSize s(qBound(1, width(), 2048), qBound(1, height(), 2048));
        m_image = QImage(s, QImage::Format_ARGB32_Premultiplied);
        if (m_image.isNull()) {
            return false;
        }
        m_image.fill(Qt::transparent);
    }
    if (m_image.format() != QImage::Format_ARGB32_Premultiplied && m_image.format() != QImage::Format_RGB32 &&
        m_image.format() != QImage::Format_ARGB32) {
        m_image = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QPainter p(&m_image);
    if (!p.isActive()) {
        return false;
    }
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(at, QSize(32767, 32767)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    update();
    return true;
}

void TPickImage::paintEvent(QPaintEvent *) {
    if (m_image.isNull()) {
        return;
    }
    QPainter p(this);
    if (m_stretch) {
        p.drawImage(rect(), m_image);
    } else {
        p.drawImage(QPoint(0, 0), m_image);
    }
}

// ---- splitter bar --------------------------------------------------------------------------------

TSplitterBar::TSplitterBar(QWidget *parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setCursor(Qt::SplitHCursor);
}

bool TSplitterBar::vertical() const {
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    return a == HostProtocol::Align::Top || a == HostProtocol::Align::Bottom;
}

QWidget *TSplitterBar::target() const {
    QWidget *parent = parentWidget();
    if (!parent) {
        return nullptr;
    }
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    QWidget *best = nullptr;
    int bestDistance = INT_MAX;
    const QRect me = geometry();
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w == this || w->isWindow() || w->isHidden() || !w->property("orvaAlign").isValid() ||
            AlignLayout::Engine::alignOf(w) != a) {
            continue;
        }
        int d = INT_MAX;
        const QRect g = w->geometry();
        switch (a) {
        case HostProtocol::Align::Left:
            d = g.right() < me.left() ? me.left() - g.right() : INT_MAX;
            break;
        case HostProtocol::Align::Right:
            d = g.left() > me.right() ? g.left() - me.right() : INT_MAX;
            break;
        case HostProtocol::Align::Top:
            d = g.bottom() < me.top() ? me.top() - g.bottom() : INT_MAX;
            break;
        case HostProtocol::Align::Bottom:
            d = g.top() > me.bottom() ? g.top() - me.bottom() : INT_MAX;
            break;
        default:
            break;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = w;
        }
    }
    return best;
}

void TSplitterBar::dragBy(int delta) {
    QWidget *t = target();
    if (!t || delta == 0) {
        return;
    }
    const HostProtocol::Align a = AlignLayout::Engine::alignOf(this);
    QRect g = t->geometry();
    switch (a) {
    case HostProtocol::Align::Left:
        g.setWidth(qMax(0, g.width() + delta));
        break;
    case HostProtocol::Align::Right:
        g.setWidth(qMax(0, g.width() - delta));
        break;
    case HostProtocol::Align::Top:
        g.setHeight(qMax(0, g.height() + delta));
        break;
    case HostProtocol::Align::Bottom:
        g.setHeight(qMax(0, g.height() - delta));
        break;
    default:
        return;
    }
    t->setGeometry(g);
    AlignLayout::Engine::remember(t);
    AlignLayout::Engine::of(parentWidget())->relayout();
}

void TSplitterBar::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->globalPosition().toPoint();
}

void TSplitterBar::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint now = event->globalPosition().toPoint();
    const int delta = vertical() ? now.y() - m_pressed.y() : now.x() - m_pressed.x();
    m_pressed = now;
    dragBy(delta);
}

void TSplitterBar::paintEvent(QPaintEvent *) {
    setCursor(vertical() ? Qt::SplitVCursor : Qt::SplitHCursor);
}

// ---- panel ---------------------------------------------------------------------------------------

TPickPanel::TPickPanel(QWidget *parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    AlignLayout::Engine::of(this);
}

void TPickPanel::setCaption(const QString &caption) {
    m_caption = caption;
    update();
}

void TPickPanel::setCaptionAlignment(Qt::Alignment a) {
    m_alignment = a;
    update();
}

QImage TPickPanel::renderImage() {
    return grab().toImage();
}

void TPickPanel::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    if (m_caption.isEmpty()) {
        return;
    }
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(m_alignment | Qt::AlignVCenter), m_caption);
}

// ---- bevel ---------------------------------------------------------------------------------------

TBevel::TBevel(QWidget *parent) : QWidget(parent) {}

void TBevel::setShape(int shape) {
    m_shape = qBound(0, shape, 6);
    update();
}

void TBevel::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    switch (m_shape) {
    case 0: // box
        p.setPen(dark);
        p.drawRect(r);
        break;
    case 1: // frame
        p.setPen(dark);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(light);
        p.drawRect(r.adjusted(1, 1, 0, 0));
        break;
    case 2: // top line
        p.setPen(dark);
        p.drawLine(r.topLeft(), r.topRight());
        p.setPen(light);
        p.drawLine(r.topLeft() + QPoint(0, 1), r.topRight() + QPoint(0, 1));
        break;
    case 3: // bottom line
        p.setPen(dark);
        p.drawLine(r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        p.setPen(light);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        break;
    case 4: // left line
        p.setPen(dark);
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(light);
        p.drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
        break;
    case 5: // right line
        p.setPen(dark);
        p.drawLine(r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        p.setPen(light);
        p.drawLine(r.topRight(), r.bottomRight());
        break;
    default: // spacer: nothing to see
        break;
    }
}
