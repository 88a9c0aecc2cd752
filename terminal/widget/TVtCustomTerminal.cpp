// Terminal control.
#include "terminal/widget/TVtCustomTerminal.h"

#include "platform/keyboard/KeyboardLocks.h"

#include "common/HostText.h"
#include "common/Trace.h"
#include "common/WinColor.h"
#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/core/TVtVT100Emulator.h"
#include "terminal/widget/TVtSockControl.h"
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <exception>

namespace {
// Posted to the control itself when host text is waiting in its queue.
const QEvent::Type kDataReady = QEvent::Type(QEvent::User + 0x12A1 - 0x1000);

int ceilDiv(int a, int b) {
    return b > 0 ? (a + b - 1) / b : 0;
}

// Only text is taken: a dragged file (which also carries its path as text) or other data is not.
bool isDroppableText(const QMimeData *data) {
    return data && data->hasText() && !data->hasUrls();
}
} // namespace

TVtLayout ComputeLayout(int clientWidth, int clientHeight, int cellWidth, int cellHeight, int columns,
                        int rows, int firstCol, int firstRow) {
    TVtLayout l;
    const int colBound = columns - firstCol + 1;
    const int rowBound = rows - firstRow + 1;
    l.PartCols = std::max(0, std::min(ceilDiv(std::max(clientWidth, 0), cellWidth), colBound));
    l.WholeCols = std::max(0, std::min(std::max(clientWidth, 0) / std::max(cellWidth, 1), colBound));
    l.PartRows = std::max(0, std::min(ceilDiv(std::max(clientHeight, 0), cellHeight), rowBound));
    l.WholeRows = std::max(0, std::min(std::max(clientHeight, 0) / std::max(cellHeight, 1), rowBound));
    l.HorzWanted = l.WholeCols < columns;
    l.VertWanted = l.WholeRows < rows;
    return l;
}

int LowestFirstRow(int rows, int scrollbackRows, bool vertWanted, bool scrollback) {
    return (!vertWanted || scrollback) ? rows - scrollbackRows + 1 : 1;
}

TVtCustomTerminal::TVtCustomTerminal(QWidget *parent)
    : QAbstractScrollArea(parent), m_tty(std::make_unique<TVtTTYEmulator>()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setFrameShape(QFrame::Box);
    m_font = ResolveTerminalFont(QFont(QStringLiteral("Terminal"), 9));
    ToggleNumLock = [] { orva::keyboard::ToggleNumLock(); };
    attachEmulator(m_tty.get());
    // The image takes every block at once; the screen gets at most one copy per frame.
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(20);
    connect(&m_flushTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &TVtCustomTerminal::TimerTick);
    m_timer.start();
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (!m_layout.VertWanted)
            return;
        // A window shorter than the screen scrolls the screen first; history follows on line-up at the top.
        if (m_scrollback && m_firstRow > 1)
            m_scrollback = false;
        else if (!m_scrollback && action == QAbstractSlider::SliderSingleStepSub && m_firstRow == 1)
            m_scrollback = true;
        updateScrollBars();
    });
}

TVtCustomTerminal::~TVtCustomTerminal() {
    m_timer.stop();
    if (m_emulator) {
        m_emulator->SetTerminal(nullptr);
        m_emulator->Buffer().OnScrollRows = nullptr;
    }
}

void TVtCustomTerminal::attachEmulator(TVtTerminalEmulator *emulator) {
    const bool running = m_timer.isActive();
    m_timer.stop();
    TVtTerminalEmulator *previous = m_emulator;
    if (previous) {
        previous->SetTerminal(nullptr);
        previous->Buffer().OnScrollRows = nullptr;
    }
    m_emulator = emulator;
    if (previous && previous != emulator) {
        TVtTerminalBuffer &b = emulator->Buffer();
        const TVtTerminalBuffer &was = previous->Buffer();
        QString error;
        if (!b.tbSetSVRowCount(was.SVRowCount(), &error) || !b.tbSetRowCount(was.RowCount(), &error) ||
            !b.tbSetColCount(was.ColCount(), &error))
            ORVA_TRACE(QStringLiteral("terminal size on emulator change"), error);
    }
    emulator->SetTerminal(this);
    emulator->Buffer().OnScrollRows = [this](int count, int first, int last) {
        onScrollRows(count, first, last);
    };
    m_selection.Clear();
    recomputeCellSize();
    relayout();
    if (running)
        m_timer.start();
}

void TVtCustomTerminal::SetEmulator(TVtTerminalEmulator *emulator) {
    attachEmulator(emulator ? emulator : m_tty.get());
}

// ---- host text ----------------------------------------------------------------------------------

void TVtCustomTerminal::WriteString(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return;
    if (!m_queue.Put(bytes)) {
        ORVA_TRACE(QStringLiteral("terminal: host text not queued, queue full"), bytes.size());
        return;
    }
    if (!m_dataReadyPosted) {
        m_dataReadyPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kDataReady));
    }
}

void TVtCustomTerminal::dataReady() {
    m_dataReadyPosted = false;
    const int n = m_queue.Count();
    if (n == 0)
        return;
    // The bytes leave the queue before they are interpreted, so a block that fails is not run again.
    const QByteArray block(m_queue.Peek(n), n);
    m_queue.Remove(n);
    if (m_capture == TVtCaptureMode::cmOn && m_captureFile.isOn())
        writeCapture(block.constData(), n);
    try {
        m_emulator->ProcessBlock(block);
        if (!m_useLazyDisplay && m_emulator->NeedsUpdate())
            lazyPaint();
    } catch (const std::exception &e) {
        qWarning("terminal: host text not shown: %s", e.what());
    }
    m_lazyBytes += n;
}

bool TVtCustomTerminal::event(QEvent *event) {
    if (event->type() == kDataReady) {
        dataReady();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TVtCustomTerminal::ClearAll() {
    m_emulator->ClearAll();
    ClearSelection();
    paintAll();
}

QByteArray TVtCustomTerminal::GetRowText(int row) const {
    return m_emulator->Buffer().GetRowText(row);
}

uint8_t TVtCustomTerminal::GetAttrAt(int row, int col) const {
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    if (!b.IsValidRow(row) || col < 1 || col > b.ColCount())
        return 0;
    uint8_t attrs = uint8_t(b.GetAttrAt(row, col) & ~vtaSelected);
    if (m_selection.Contains(row, col))
        attrs |= vtaSelected;
    return attrs;
}

// ---- TVtTerminalHost ----------------------------------------------------------------------------

void TVtCustomTerminal::WriteToHost(const QByteArray &bytes) {
    // No socket control in this system: replies and key sequences of the emulator go nowhere.
    (void)bytes;
}

void TVtCustomTerminal::Beep() {
    QApplication::beep();
}

void TVtCustomTerminal::RestoreNumLock() {
    if (ToggleNumLock)
        ToggleNumLock();
}

void TVtCustomTerminal::CursorMoved(int row, int col) {
    if (OnCursorMoved)
        OnCursorMoved(row, col);
}

bool TVtCustomTerminal::IsMasterTerminal() const {
    return false; // never attached to a socket
}

// ---- sizes --------------------------------------------------------------------------------------

void TVtCustomTerminal::setColumns(int columns) {
    const int limit = dynamic_cast<TVtVT100Emulator *>(m_emulator) ? kMaxColumnsVT100 : kMaxColumnsTTY;
    columns = std::min(columns, limit);
    if (columns == Columns())
        return;
    if (QString error; !m_emulator->Buffer().tbSetColCount(columns, &error)) {
        ORVA_TRACE(QStringLiteral("terminal columns"), error);
        return;
    }
    m_firstCol = 1;
    m_firstRow = 1;
    m_selection.Clear();
    relayout();
    updateGeometry();
}

void TVtCustomTerminal::setRows(int rows) {
    if (rows == Rows())
        return;
    if (QString error; !m_emulator->Buffer().tbSetRowCount(rows, &error)) {
        ORVA_TRACE(QStringLiteral("terminal rows"), error);
        return;
    }
    m_selection.Clear();
    relayout();
    updateGeometry();
}

void TVtCustomTerminal::setScrollbackRows(int rows) {
    if (rows <= 0 || rows == ScrollbackRows())
        return;
    if (QString error; !m_emulator->Buffer().tbSetSVRowCount(rows, &error)) {
        ORVA_TRACE(QStringLiteral("terminal scrollback rows"), error);
        return;
    }
    m_selection.Clear();
    m_firstRow = std::max(m_firstRow, Rows() - ScrollbackRows() + 1);
    relayout();
}

void TVtCustomTerminal::setScrollback(bool on) {
    m_scrollback = on;
    updateScrollBars();
}

void TVtCustomTerminal::setBlinkTime(int ms) {
    m_blinkTime = ms <= 0 ? 0 : std::max(ms, 250);
}

void TVtCustomTerminal::setLazyByteDelay(int bytes) {
    if (bytes >= 1 && bytes <= 1024)
        m_lazyByteDelay = bytes;
}

void TVtCustomTerminal::setLazyTimeDelay(int ms) {
    if (ms >= 1 && ms <= 1000)
        m_lazyTimeDelay = ms;
}

void TVtCustomTerminal::setCursorType(TVtCursorType type) {
    m_cursorType = type;
    viewport()->update();
}

void TVtCustomTerminal::setBorderStyle(TVtBorderStyle style) {
    m_borderStyle = style;
    setFrameShape(style == TVtBorderStyle::bsNone ? QFrame::NoFrame : QFrame::Box);
}

void TVtCustomTerminal::setColor(uint32_t color) {
    m_color = color;
    if (!dynamic_cast<TVtVT100Emulator *>(m_emulator)) {
        paintAll();
    }
    viewport()->update();
}

void TVtCustomTerminal::setFontColor(uint32_t color) {
    m_fontColor = color;
    if (!dynamic_cast<TVtVT100Emulator *>(m_emulator)) {
        paintAll();
    }
    viewport()->update();
}

// The TTY painter's colours follow the control: a margin or font colour that differs from the
// buffer's defaults becomes both the default and the current colour, and everything is drawn again.
bool TVtCustomTerminal::syncTtyColours() {
    if (dynamic_cast<TVtVT100Emulator *>(m_emulator)) {
        return false;
    }
    TVtTerminalBuffer &b = m_emulator->Buffer();
    if (m_color == b.GetDefBackColor() && m_fontColor == b.GetDefForeColor()) {
        return false;
    }
    b.SetDefBackColor(m_color);
    b.SetDefForeColor(m_fontColor);
    b.SetBackColor(m_color);
    b.SetForeColor(m_fontColor);
    return true;
}

void TVtCustomTerminal::setTerminalFont(const QFont &font) {
    m_font = ResolveTerminalFont(font);
    recomputeCellSize();
    paintAll();
    updateGeometry();
}

void TVtCustomTerminal::recomputeCellSize() {
    QStringList names;
    if (auto *vt = dynamic_cast<TVtVT100Emulator *>(m_emulator))
        vt->CharSetMapping().GetFontNames(names);
    if (names.isEmpty())
        names.append(QString::fromLatin1(TVtCharSetMapping::DefaultFontName));
    int width = 1;
    int height = 1;
    for (const QString &name : names) {
        QFont font(m_font);
        if (name != QLatin1String(TVtCharSetMapping::DefaultFontName))
            font.setFamily(name);
        font = ResolveTerminalFont(font);
        const QFontMetrics fm(font);
        int w = fm.averageCharWidth();
        // A proportional substitute would let glyphs overlap; give its cells room.
        if (!QFontInfo(font).fixedPitch())
            w += (fm.maxWidth() - w) / 2;
        width = std::max(width, w);
        height = std::max(height, fm.height() + fm.leading());
    }
    if (width == m_cellWidth && height == m_cellHeight)
        return;
    m_cellWidth = width;
    m_cellHeight = height;
    relayout();
}

QSize TVtCustomTerminal::sizeHint() const {
    const int frame = 2 * frameWidth();
    return {Columns() * m_cellWidth + frame, Rows() * m_cellHeight + frame};
}

// ---- layout and scrolling -----------------------------------------------------------------------

void TVtCustomTerminal::relayout() {
    if (m_updatingBars)
        return;
    m_updatingBars = true;
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    for (int pass = 0; pass < 2; ++pass) {
        m_layout = ComputeLayout(viewport()->width(), viewport()->height(), m_cellWidth, m_cellHeight,
                                 b.ColCount(), b.RowCount(), m_firstCol, m_firstRow);
        setHorizontalScrollBarPolicy(m_layout.HorzWanted ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(m_layout.VertWanted || b.RowCount() < b.SVRowCount()
                                       ? Qt::ScrollBarAlwaysOn
                                       : Qt::ScrollBarAlwaysOff);
    }
    // After a size change the view is pulled back so the visible cells fill the client area.
    const int fitCols = viewport()->width() / std::max(m_cellWidth, 1);
    if (m_firstCol > 1 && b.ColCount() - m_firstCol + 1 < fitCols)
        m_firstCol = std::max(1, b.ColCount() - fitCols + 1);
    const int fitRows = viewport()->height() / std::max(m_cellHeight, 1);
    if (m_firstRow >= 2 && b.RowCount() - m_firstRow + 1 < fitRows)
        m_firstRow = std::max(1, b.RowCount() - fitRows + 1);
    m_layout = ComputeLayout(viewport()->width(), viewport()->height(), m_cellWidth, m_cellHeight,
                             b.ColCount(), b.RowCount(), m_firstCol, m_firstRow);
    m_updatingBars = false;
    updateScrollBars();
    paintAll();
}

void TVtCustomTerminal::updateScrollBars() {
    const bool was = m_updatingBars;
    m_updatingBars = true;
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    QScrollBar *h = horizontalScrollBar();
    h->setRange(0, std::max(0, b.ColCount() - m_layout.WholeCols));
    h->setPageStep(std::max(1, m_layout.WholeCols));
    h->setValue(m_firstCol - 1);
    QScrollBar *v = verticalScrollBar();
    const int lowest = LowestFirstRow(b.RowCount(), b.SVRowCount(), m_layout.VertWanted, m_scrollback);
    v->setRange(lowest - 1, std::max(lowest - 1, b.RowCount() - m_layout.WholeRows));
    v->setPageStep(std::max(1, m_layout.WholeRows));
    v->setSingleStep(1);
    v->setValue(m_firstRow - 1);
    m_updatingBars = was;
    // A narrower range (scroll-back switched off, fewer rows) may have moved the view.
    if (h->value() + 1 != m_firstCol || v->value() + 1 != m_firstRow) {
        m_firstCol = h->value() + 1;
        m_firstRow = v->value() + 1;
        m_layout = ComputeLayout(viewport()->width(), viewport()->height(), m_cellWidth, m_cellHeight,
                                 b.ColCount(), b.RowCount(), m_firstCol, m_firstRow);
        if (!was)
            paintAll();
    }
}

void TVtCustomTerminal::scrollContentsBy(int, int) {
    if (m_updatingBars)
        return;
    const int col = horizontalScrollBar()->value() + 1;
    const int row = verticalScrollBar()->value() + 1;
    if (col == m_firstCol && row == m_firstRow)
        return;
    m_firstCol = col;
    m_firstRow = row;
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    m_layout = ComputeLayout(viewport()->width(), viewport()->height(), m_cellWidth, m_cellHeight,
                             b.ColCount(), b.RowCount(), m_firstCol, m_firstRow);
    paintAll();
}

void TVtCustomTerminal::ScrollToRow(int firstRow) {
    verticalScrollBar()->setValue(firstRow - 1);
}

void TVtCustomTerminal::ScrollToCol(int firstCol) {
    horizontalScrollBar()->setValue(firstCol - 1);
}

void TVtCustomTerminal::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

// ---- painting -----------------------------------------------------------------------------------

TVtPaintContext TVtCustomTerminal::paintContext() {
    TVtPaintContext ctx;
    ctx.Buffer = &m_emulator->Buffer();
    if (auto *vt = dynamic_cast<TVtVT100Emulator *>(m_emulator)) {
        ctx.CharSets = &vt->CharSetMapping();
        ctx.ReverseScreen = vt->ReverseScreen();
    }
    if (auto *ex = dynamic_cast<TVtVT100EmulatorEx *>(m_emulator))
        ctx.IgnoreGraphicsFont = ex->IgnoreGraphicsFont;
    ctx.Selection = &m_selection;
    ctx.Font = m_font;
    ctx.CellWidth = m_cellWidth;
    ctx.CellHeight = m_cellHeight;
    ctx.FirstCol = m_firstCol;
    ctx.FirstRow = m_firstRow;
    ctx.VisibleCols = m_layout.PartCols;
    ctx.VisibleRows = m_layout.PartRows;
    return ctx;
}

void TVtCustomTerminal::resizeImage() {
    const QSize size(std::min(m_layout.PartCols * m_cellWidth, std::max(viewport()->width(), 0)),
                     std::min(m_layout.PartRows * m_cellHeight, std::max(viewport()->height(), 0)));
    if (m_image.size() != size) {
        m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        m_painter.ForgetShown();
    }
}

void TVtCustomTerminal::paintAll() {
    syncTtyColours();
    resizeImage();
    TVtTerminalBuffer &b = m_emulator->Buffer();
    m_image.fill(bgrToQColor(b.GetDefBackColor()));
    m_painter.ForgetShown();
    TVtRect rect;
    while (b.GetInvalidRect(rect)) {
    }
    m_emulator->TakeFullRepaint();
    m_fullRepaint = false;
    const TVtPaintContext ctx = paintContext();
    m_painter.DrawRect(
        m_image, ctx,
        {m_firstCol, m_firstRow, m_firstCol + m_layout.PartCols - 1, m_firstRow + m_layout.PartRows - 1});
    ++m_imagePaints;
    scheduleScreenUpdate();
}

void TVtCustomTerminal::lazyPaint() {
    TVtTerminalBuffer &b = m_emulator->Buffer();
    if (syncTtyColours() || m_emulator->TakeFullRepaint() || m_fullRepaint) {
        m_fullRepaint = false;
        paintAll();
        return;
    }
    const TVtPaintContext ctx = paintContext();
    TVtRect rect;
    while (b.GetInvalidRect(rect)) {
        if (!m_freezeScrollBack) {
            rect.Top += m_firstRow - 1;
            rect.Bottom += m_firstRow;
        }
        m_painter.DrawRect(m_image, ctx, rect);
    }
    ++m_imagePaints;
    scheduleScreenUpdate();
}

void TVtCustomTerminal::blinkPaint(bool phase) {
    auto *vt = dynamic_cast<TVtVT100Emulator *>(m_emulator);
    if (!vt)
        return;
    m_painter.DrawBlinkRuns(m_image, paintContext(), vt->BlinkRuns(), phase);
    ++m_imagePaints;
    scheduleScreenUpdate();
}

void TVtCustomTerminal::scheduleScreenUpdate() {
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

QRect TVtCustomTerminal::CaretRect() const {
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    const int x = (b.GetCursorCol() - m_firstCol) * m_cellWidth;
    const int y = (b.CursorScreenRow() - m_firstRow) * m_cellHeight;
    if (m_cursorType == TVtCursorType::ctUnderline)
        return {x, y + m_cellHeight - 2, m_cellWidth, 2};
    return {x, y, m_cellWidth, m_cellHeight};
}

void TVtCustomTerminal::paintEvent(QPaintEvent *) {
    ++m_screenPaints;
    QPainter p(viewport());
    p.drawImage(0, 0, m_image);
    const QColor margin = bgrToQColor(m_color);
    const int w = viewport()->width();
    const int h = viewport()->height();
    if (m_image.width() < w)
        p.fillRect(QRect(m_image.width(), 0, w - m_image.width(), m_image.height()), margin);
    if (m_image.height() < h)
        p.fillRect(QRect(0, m_image.height(), w, h - m_image.height()), margin);
    const QRect caret = CaretRect();
    if (hasFocus() && m_cursorType != TVtCursorType::ctNone && caret.x() >= 0 && caret.y() >= 0 &&
        caret.x() < w && caret.y() < h) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(caret, Qt::white);
    }
}

void TVtCustomTerminal::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TVtCustomTerminal::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

QVariant TVtCustomTerminal::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle)
        return CaretRect();
    return QAbstractScrollArea::inputMethodQuery(query);
}

// ---- timer --------------------------------------------------------------------------------------

void TVtCustomTerminal::TimerTick() {
    if (m_dragging) {
        const QPoint pos = m_lastMouse;
        if (horizontalScrollBar()->isVisible()) {
            if (pos.x() < 0)
                horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
            else if (pos.x() >= viewport()->width())
                horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
        if (pos.y() < 0)
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (pos.y() >= viewport()->height())
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        selectTo(cellAt(pos));
    }
    if (m_blinkTime > 0) {
        m_blinkAccumulator += 100;
        if (m_blinkAccumulator > m_blinkTime) {
            m_blinkPhase = !m_blinkPhase;
            if (m_emulator->HasBlinkingText())
                blinkPaint(m_blinkPhase);
            m_blinkAccumulator = 0;
        }
    }
    if (m_useLazyDisplay) {
        m_lazyTime += 100;
        if ((m_lazyTime > m_lazyTimeDelay || m_lazyBytes > m_lazyByteDelay) && m_emulator->NeedsUpdate()) {
            lazyPaint();
            m_lazyTime = 0;
            m_lazyBytes = 0;
        }
    }
}

// ---- selection ----------------------------------------------------------------------------------

TVtCellPos TVtCustomTerminal::cellAt(QPoint point) const {
    const TVtTerminalBuffer &b = m_emulator->Buffer();
    const int x = std::clamp(point.x(), 0, std::max(0, m_image.width() - 1));
    const int y = std::clamp(point.y(), 0, std::max(0, m_image.height() - 1));
    TVtCellPos cell;
    cell.Col = std::clamp(x / std::max(m_cellWidth, 1) + m_firstCol, 1, b.ColCount());
    cell.Row = std::clamp(y / std::max(m_cellHeight, 1) + m_firstRow, b.RowCount() - b.SVRowCount() + 1,
                          b.RowCount());
    return cell;
}

void TVtCustomTerminal::selectTo(TVtCellPos cell) {
    const TVtSelection before = m_selection;
    m_selection.Extend(cell);
    const int first =
        std::min(before.Marked() ? before.StartCell().Row : cell.Row, m_selection.StartCell().Row);
    const int last = std::max(before.Marked() ? before.EndCell().Row : cell.Row, m_selection.EndCell().Row);
    m_painter.DrawRect(m_image, paintContext(), {1, first, Columns(), last});
    viewport()->update();
}

void TVtCustomTerminal::ClearSelection() {
    const TVtSelection before = m_selection;
    m_selection.Clear();
    if (before.Marked()) {
        m_painter.DrawRect(m_image, paintContext(),
                           {1, before.StartCell().Row, Columns(), before.EndCell().Row});
        viewport()->update();
    }
}

void TVtCustomTerminal::cancelMode() {
    ClearSelection();
    m_dragging = false;
}

void TVtCustomTerminal::CopyToClipboard() {
    const QByteArray text = GetSelectedText();
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(HostText::toUnicode(text));
}

void TVtCustomTerminal::dragEnterEvent(QDragEnterEvent *event) {
    if (isDroppableText(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TVtCustomTerminal::dragMoveEvent(QDragMoveEvent *event) {
    if (isDroppableText(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TVtCustomTerminal::dropEvent(QDropEvent *event) {
    if (!isDroppableText(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit textDropped(event->mimeData()->text());
}

void TVtCustomTerminal::onScrollRows(int count, int first, int last) {
    m_selection.ShiftRows(count, first, last);
}

void TVtCustomTerminal::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    m_lastMouse = event->position().toPoint();
    ClearSelection();
    m_selection.Start(cellAt(event->position().toPoint()));
}

void TVtCustomTerminal::mouseMoveEvent(QMouseEvent *event) {
    m_lastMouse = event->position().toPoint();
    if (m_dragging)
        selectTo(cellAt(m_lastMouse));
}

void TVtCustomTerminal::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

// ---- keys ---------------------------------------------------------------------------------------

bool TVtCustomTerminal::focusNextPrevChild(bool next) {
    return m_wantAllKeys ? false : QAbstractScrollArea::focusNextPrevChild(next);
}

void TVtCustomTerminal::keyPressEvent(QKeyEvent *event) {
    const TVtKeyStroke stroke =
        TranslateKey(event->key(), event->modifiers(), event->isAutoRepeat(), event->text());
    if (event->key() == Qt::Key_Escape && m_dragging) {
        cancelMode();
        return;
    }
    const bool ctrlOnly = (stroke.Shift & (vssCtrl | vssShift | vssAlt)) == vssCtrl;
    if (ctrlOnly && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert) && m_selection.Present()) {
        CopyToClipboard();
        return;
    }
    if (stroke.Modifier) {
        // Shift, Ctrl or Alt alone types nothing and the emulator has no sequence for it; the owner
        // may still bind it to a key of its own.
        int key = stroke.Key;
        if (OnKeyDown)
            OnKeyDown(key, stroke.Shift);
        event->ignore();
        return;
    }
    int key = stroke.Key;
    if (key != 0) {
        m_emulator->KeyDown(key, stroke.Shift);
        if (key == 0)
            return;
        if (OnKeyDown)
            OnKeyDown(key, stroke.Shift);
        if (key == 0)
            return;
        emit keyDown(key, stroke.Shift);
    }
    if (stroke.Char < 0)
        return;
    char c = char(stroke.Char);
    if (c == 0)
        return;
    emit typed(QByteArray(1, c));
    m_emulator->KeyPress(c);
}

// ---- capture ------------------------------------------------------------------------------------

void TVtCustomTerminal::setCapture(TVtCaptureMode mode) {
    if (mode == m_capture || (mode == TVtCaptureMode::cmAppend && m_capture == TVtCaptureMode::cmOn))
        return;
    closeCapture();
    m_capture = TVtCaptureMode::cmOff;
    if (mode == TVtCaptureMode::cmOff)
        return;
    openCapture(mode);
}

void TVtCustomTerminal::openCapture(TVtCaptureMode mode) {
    if (m_captureFileName.isEmpty())
        m_captureFileName = QStringLiteral("TALVERN.CAP");
    if (!m_captureFile.open(m_captureFileName, mode == TVtCaptureMode::cmOn ? ::CaptureFile::Mode::Replace
                                                                            : ::CaptureFile::Mode::Append)) {
        qWarning("terminal: cannot open capture file: %s", qPrintable(m_captureFile.errorString()));
        return;
    }
    m_capture = TVtCaptureMode::cmOn;
}

void TVtCustomTerminal::setCaptureFile(const QString &name) {
    if (name == m_captureFileName)
        return;
    m_captureFileName = name;
    if (m_capture == TVtCaptureMode::cmOn) {
        setCapture(TVtCaptureMode::cmOff);
        setCapture(TVtCaptureMode::cmOn);
    }
}

void TVtCustomTerminal::writeCapture(const char *bytes, int count) {
    if (m_captureFile.write(bytes, count))
        return;
    qWarning("terminal: capture stopped: %s", qPrintable(m_captureFile.errorString()));
    m_capture = TVtCaptureMode::cmOff;
}

void TVtCustomTerminal::closeCapture() {
    if (!m_captureFile.close())
        qWarning("terminal: capture not written: %s", qPrintable(m_captureFile.errorString()));
}
