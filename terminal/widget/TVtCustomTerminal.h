// The terminal control: queues host text and hands it to its emulator on the event loop, paints the
// emulator's buffer into a backing image, keeps the caret on the cursor, blinks, scrolls over the
// screen and the history, selects and copies text, captures host bytes and routes keys.
#pragma once

#include "platform/files/CaptureFile.h"
#include "terminal/core/TVtTerminalEmulator.h"
#include "terminal/core/TVtTerminalHost.h"
#include "terminal/core/TaaByteQueue.h"
#include "terminal/widget/TVtRowPainter.h"
#include "terminal/widget/TVtSelection.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <functional>
#include <memory>

class TVtSockControl;

enum class TVtCaptureMode { cmOff, cmOn, cmAppend };
enum class TVtCursorType { ctNone, ctUnderline, ctBlock };
enum class TVtBorderStyle { bsNone, bsSingle };

// Which bars a size wants and what the character area shows; a pure function of the sizes.
struct TVtLayout {
    int PartCols = 0;
    int WholeCols = 0;
    int PartRows = 0;
    int WholeRows = 0;
    bool HorzWanted = false;
    bool VertWanted = false;
};
TVtLayout ComputeLayout(int clientWidth, int clientHeight, int cellWidth, int cellHeight, int columns,
                        int rows, int firstCol, int firstRow);
// The lowest first visible row the vertical scroll reaches.
int LowestFirstRow(int rows, int scrollbackRows, bool vertWanted, bool scrollback);

class TVtCustomTerminal : public QAbstractScrollArea, public TVtTerminalHost {
    Q_OBJECT
public:
    static constexpr int kMaxColumnsVT100 = 132;
    static constexpr int kMaxColumnsTTY = 255;

    explicit TVtCustomTerminal(QWidget *parent = nullptr);
    ~TVtCustomTerminal() override;

    // The control's version text; read-only.
    static QString Version() { return QStringLiteral("v%1").arg(1.15, 0, 'f', 2); }

    // Host bytes: queued now, interpreted from the event loop in the order written.
    void WriteString(const QByteArray &bytes);
    void ClearAll();
    // Row in screen numbering (history 0 and below); exactly Columns bytes, empty outside the buffer.
    QByteArray GetRowText(int row) const;
    // Attribute byte with $40 for selected cells; 0 outside the buffer.
    uint8_t GetAttrAt(int row, int col) const;
    QByteArray GetSelectedText() const { return m_selection.Text(m_emulator->Buffer()); }
    void CopyToClipboard();
    void ClearSelection();
    const TVtSelection &Selection() const { return m_selection; }

    // The emulator shown (not owned); nullptr returns to the private TTY emulator.
    void SetEmulator(TVtTerminalEmulator *emulator);
    TVtTerminalEmulator *CurrentEmulator() const { return m_emulator; }
    bool UsesPrivateEmulator() const { return m_emulator == m_tty.get(); }

    int Columns() const { return m_emulator->Buffer().ColCount(); }
    int Rows() const { return m_emulator->Buffer().RowCount(); }
    int ScrollbackRows() const { return m_emulator->Buffer().SVRowCount(); }
    void setColumns(int columns);
    void setRows(int rows);
    void setScrollbackRows(int rows);
    bool Scrollback() const { return m_scrollback; }
    void setScrollback(bool on);

    int BlinkTime() const { return m_blinkTime; }
    void setBlinkTime(int ms);
    int LazyByteDelay() const { return m_lazyByteDelay; }
    void setLazyByteDelay(int bytes);
    int LazyTimeDelay() const { return m_lazyTimeDelay; }
    void setLazyTimeDelay(int ms);
    bool UseLazyDisplay() const { return m_useLazyDisplay; }
    void setUseLazyDisplay(bool on) { m_useLazyDisplay = on; }
    bool FreezeScrollBack() const { return m_freezeScrollBack; }
    void setFreezeScrollBack(bool on) { m_freezeScrollBack = on; }
    bool WantAllKeys() const { return m_wantAllKeys; }
    void setWantAllKeys(bool on) { m_wantAllKeys = on; }
    bool HalfDuplex() const override { return m_halfDuplex; }
    void setHalfDuplex(bool on) { m_halfDuplex = on; }
    TVtCursorType CursorType() const { return m_cursorType; }
    void setCursorType(TVtCursorType type);
    TVtBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TVtBorderStyle style);
    // Socket registration only; nothing in this system connects a socket control.
    bool Active() const { return m_active; }
    void setActive(bool on) { m_active = on; }
    TVtSockControl *SockControl() const { return m_sockControl; }
    void setSockControl(TVtSockControl *control) { m_sockControl = control; }
    bool IsMasterTerminal() const;

    TVtCaptureMode Capture() const { return m_capture; }
    void setCapture(TVtCaptureMode mode);
    QString CaptureFile() const { return m_captureFileName; }
    void setCaptureFile(const QString &name);

    void setTerminalFont(const QFont &font);
    QFont terminalFont() const { return m_font; }
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    // Margin colour ($00BBGGRR).
    uint32_t Color() const { return m_color; }
    void setColor(uint32_t color);
    // The font's colour ($00BBGGRR). The TTY painter takes both colours from the control: the margin
    // colour as the default background and the font colour as the default foreground.
    uint32_t FontColor() const { return m_fontColor; }
    void setFontColor(uint32_t color);

    // View state, for the painter, the caret and tests.
    int FirstVisibleCol() const { return m_firstCol; }
    int FirstVisibleRow() const override { return m_firstRow; }
    void ScrollToRow(int firstRow);
    void ScrollToCol(int firstCol);
    const TVtLayout &Layout() const { return m_layout; }
    bool BlinkPhase() const { return m_blinkPhase; }
    // The character area as painted (also while hidden).
    const QImage &BackingImage() const { return m_image; }
    const TVtRowPainter &Painter() const { return m_painter; }
    // The caret's rectangle in viewport coordinates, whether or not it is shown.
    QRect CaretRect() const;
    // Paints the whole character area again (after colour changes the buffer does not report).
    void RepaintAll() { paintAll(); }
    // Runs one timer tick now (blink, lazy display, drag scroll).
    void TimerTick();
    int ImagePaintCount() const { return m_imagePaints; }
    int ScreenPaintCount() const { return m_screenPaints; }

    // Key-down events of the control after the emulator has seen them; the callback sets the key to
    // 0 to swallow it. Shift, Ctrl and Alt pressed alone reach it too.
    std::function<void(int &key, int shift)> OnKeyDown;
    std::function<void(int row, int col)> OnCursorMoved;
    // Turns the keyboard's Num Lock state over; the window system's by default.
    std::function<void()> ToggleNumLock;

    QSize sizeHint() const override;
    // The caret rectangle for input methods.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // A character the user typed, after the emulator's key handling (the main window sends it to the host).
    void typed(const QByteArray &bytes);
    // A key the emulator left unhandled (virtual-key code with the repeat bit, shift state).
    void keyDown(int key, int shift);
    // Text dragged from another program and dropped on the terminal.
    void textDropped(const QString &text);

protected:
    // TVtTerminalHost
    void WriteToHost(const QByteArray &bytes) override;
    void Beep() override;
    void RestoreNumLock() override;
    void ColumnModeChanged(int columns) override { setColumns(columns); }
    void CursorMoved(int row, int col) override;
    void InvalidateAll() override { m_fullRepaint = true; }

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;

    // The cell under a viewport point, clamped into the character area and the buffer.
    TVtCellPos cellAt(QPoint point) const;
    bool Dragging() const { return m_dragging; }

private:
    void dataReady();
    void attachEmulator(TVtTerminalEmulator *emulator);
    void recomputeCellSize();
    void relayout();
    void updateScrollBars();
    void resizeImage();
    TVtPaintContext paintContext();
    // Paint into the backing image: everything, what changed, or the blinking runs.
    void paintAll();
    void lazyPaint();
    bool syncTtyColours();
    void blinkPaint(bool phase);
    void scheduleScreenUpdate();
    void selectTo(TVtCellPos cell);
    void cancelMode();
    void writeCapture(const char *bytes, int count);
    void openCapture(TVtCaptureMode mode);
    void closeCapture();
    void onScrollRows(int count, int first, int last);

    std::unique_ptr<TVtTTYEmulator> m_tty;
    TVtTerminalEmulator *m_emulator = nullptr;
    TaaByteQueue m_queue;
    bool m_dataReadyPosted = false;
    QTimer m_timer;
    QTimer m_flushTimer;
    QImage m_image;
    TVtRowPainter m_painter;
    TVtLayout m_layout;
    TVtSelection m_selection;
    ::CaptureFile m_captureFile; // the session's bytes: owner only, never through a link
    TVtSockControl *m_sockControl = nullptr;

    QFont m_font;
    int m_cellWidth = 8;
    int m_cellHeight = 16;
    int m_firstCol = 1;
    int m_firstRow = 1;
    uint32_t m_color = 0;
    uint32_t m_fontColor = 0xC0C0C0;
    bool m_scrollback = false;
    int m_blinkTime = 500;
    int m_blinkAccumulator = 0;
    bool m_blinkPhase = true;
    int m_lazyByteDelay = 200;
    int m_lazyTimeDelay = 100;
    int m_lazyTime = 0;
    int m_lazyBytes = 0;
    bool m_useLazyDisplay = true;
    bool m_freezeScrollBack = true;
    bool m_wantAllKeys = true;
    bool m_halfDuplex = false;
    bool m_active = true;
    bool m_fullRepaint = false;
    bool m_dragging = false;
    QPoint m_lastMouse;
    bool m_updatingBars = false;
    TVtCursorType m_cursorType = TVtCursorType::ctBlock;
    TVtBorderStyle m_borderStyle = TVtBorderStyle::bsSingle;
    TVtCaptureMode m_capture = TVtCaptureMode::cmOff;
    QString m_captureFileName = QStringLiteral("TALVERN.CAP");
    int m_imagePaints = 0;
    int m_screenPaints = 0;
};
