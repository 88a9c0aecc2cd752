// The terminal control of the main window: host text in, a character screen out.
// This first version keeps plain rows of text (carriage return, line feed, backspace and
// printable bytes); the escape-sequence emulator replaces its inside behind the same calls.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QWidget>
#include <cstdint>

class TVtTerminalEx : public QWidget {
    Q_OBJECT
public:
    explicit TVtTerminalEx(QWidget *parent = nullptr);

    // Host bytes to the screen; interpreted after the caller returns, as the real control does.
    void WriteString(const QByteArray &bytes);
    // Screen and scrollback cleared, cursor home.
    void ClearAll();
    // Row 1..Rows on the screen, 0 and below in the history; exactly Columns() bytes.
    QByteArray GetRowText(int row) const;

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    void setColumns(int columns);
    void setRows(int rows);
    int ScrollbackRows() const { return m_scrollbackRows; }
    void setScrollbackRows(int rows);
    bool Scrollback() const { return m_scrollback; }
    void setScrollback(bool on);
    bool SmartMouseClicks() const { return m_smartMouse; }
    void setSmartMouseClicks(bool on) { m_smartMouse = on; }

    void setTerminalFont(const QFont &font);
    QFont terminalFont() const { return m_font; }
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }

    // Colours as Windows colour values.
    std::uint32_t DefForeColor() const { return m_defFore; }
    std::uint32_t DefBackColor() const { return m_defBack; }
    void SetDefForeColor(std::uint32_t c);
    void SetDefBackColor(std::uint32_t c);
    std::uint32_t ForeColor() const { return m_fore; }
    void SetForeColor(std::uint32_t c);

    // Colour table texts of the emulator ("Black=$0; Red=$80; ...").
    void setColourTexts(const QByteArray &fore, const QByteArray &back, const QByteArray &bold);
    QByteArray foreColourText() const { return m_foreText; }
    QByteArray backColourText() const { return m_backText; }
    QByteArray boldColourText() const { return m_boldText; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // A character typed in the terminal (the main window routes it to the host).
    void typed(const QByteArray &bytes);

private:
    void drain();
    void newLine();
    QByteArray &row(int screenRow);

    QList<QByteArray> m_lines; // history first, screen last; each Columns() long
    QByteArray m_pending;
    bool m_drainQueued = false;
    int m_columns = 80;
    int m_rows = 24;
    int m_scrollbackRows = 200;
    bool m_scrollback = false;
    bool m_smartMouse = false;
    int m_cursorRow = 1;
    int m_cursorCol = 1;
    QFont m_font;
    int m_cellWidth = 8;
    int m_cellHeight = 16;
    std::uint32_t m_defFore = 0xC0C0C0;
    std::uint32_t m_defBack = 0;
    std::uint32_t m_fore = 0xC0C0C0;
    QByteArray m_foreText;
    QByteArray m_backText;
    QByteArray m_boldText;
};
