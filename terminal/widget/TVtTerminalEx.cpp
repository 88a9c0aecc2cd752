// Plain-row terminal control.
#include "terminal/widget/TVtTerminalEx.h"

#include "common/HostText.h"
#include "common/WinColor.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

TVtTerminalEx::TVtTerminalEx(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setTerminalFont(QFont(QStringLiteral("DejaVu Sans Mono"), 12));
    ClearAll();
}

void TVtTerminalEx::WriteString(const QByteArray &bytes) {
    m_pending += bytes;
    if (!m_drainQueued) {
        m_drainQueued = true;
        QTimer::singleShot(0, this, &TVtTerminalEx::drain);
    }
}

void TVtTerminalEx::ClearAll() {
    m_lines.clear();
    const int total = m_scrollbackRows > m_rows ? m_scrollbackRows : m_rows;
    for (int i = 0; i < total; ++i) {
        m_lines.append(QByteArray(m_columns, ' '));
    }
    m_cursorRow = 1;
    m_cursorCol = 1;
    update();
}

QByteArray TVtTerminalEx::GetRowText(int r) const {
    const int index = static_cast<int>(m_lines.size()) - m_rows + r - 1;
    if (index < 0 || index >= m_lines.size()) {
        return {};
    }
    return m_lines[index];
}

QByteArray &TVtTerminalEx::row(int screenRow) {
    return m_lines[m_lines.size() - m_rows + screenRow - 1];
}

void TVtTerminalEx::setColumns(int columns) {
    if (columns >= 2 && columns != m_columns) {
        m_columns = columns;
        ClearAll();
        updateGeometry();
    }
}

void TVtTerminalEx::setRows(int rows) {
    if (rows >= 2 && rows != m_rows) {
        m_rows = rows;
        ClearAll();
        updateGeometry();
    }
}

void TVtTerminalEx::setScrollbackRows(int rows) {
    if (rows > 0) {
        m_scrollbackRows = rows;
        ClearAll();
    }
}

void TVtTerminalEx::setScrollback(bool on) {
    m_scrollback = on;
}

void TVtTerminalEx::setTerminalFont(const QFont &font) {
    m_font = font;
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    const QFontMetrics fm(m_font);
    m_cellWidth = fm.horizontalAdvance(QLatin1Char('M'));
    m_cellHeight = fm.height();
    updateGeometry();
    update();
}

void TVtTerminalEx::SetDefForeColor(std::uint32_t c) {
    if (m_fore == m_defFore) {
        m_fore = c;
    }
    m_defFore = c;
    update();
}

void TVtTerminalEx::SetDefBackColor(std::uint32_t c) {
    m_defBack = c;
    update();
}

void TVtTerminalEx::SetForeColor(std::uint32_t c) {
    m_fore = c;
    update();
}

void TVtTerminalEx::setColourTexts(const QByteArray &fore, const QByteArray &back, const QByteArray &bold) {
    m_foreText = fore;
    m_backText = back;
    m_boldText = bold;
}

QSize TVtTerminalEx::sizeHint() const {
    return {m_columns * m_cellWidth, m_rows * m_cellHeight};
}

void TVtTerminalEx::newLine() {
    if (m_cursorRow < m_rows) {
        ++m_cursorRow;
        return;
    }
    m_lines.append(QByteArray(m_columns, ' '));
    while (m_lines.size() > qMax(m_rows, m_scrollbackRows)) {
        m_lines.removeFirst();
    }
}

void TVtTerminalEx::drain() {
    m_drainQueued = false;
    const QByteArray bytes = std::exchange(m_pending, QByteArray());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r') {
            m_cursorCol = 1;
        } else if (b == '\n') {
            newLine();
        } else if (b == '\b') {
            m_cursorCol = qMax(1, m_cursorCol - 1);
        } else if (b >= 0x20 && b != 0x7F) {
            if (m_cursorCol > m_columns) {
                m_cursorCol = 1;
                newLine();
            }
            row(m_cursorRow)[m_cursorCol - 1] = ch;
            ++m_cursorCol;
        }
    }
    update();
}

void TVtTerminalEx::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), bgrToQColor(m_defBack));
    p.setFont(m_font);
    p.setPen(bgrToQColor(m_fore));
    const QFontMetrics fm(m_font);
    for (int r = 1; r <= m_rows; ++r) {
        p.drawText(0, (r - 1) * m_cellHeight + fm.ascent(), HostText::toUnicode(GetRowText(r)));
    }
    if (hasFocus()) {
        p.fillRect((m_cursorCol - 1) * m_cellWidth, (m_cursorRow - 1) * m_cellHeight, m_cellWidth,
                   m_cellHeight, QColor(255, 255, 255, 128));
    }
}

void TVtTerminalEx::keyPressEvent(QKeyEvent *event) {
    const QByteArray bytes = HostText::fromUnicode(event->text());
    if (bytes.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit typed(bytes);
}
