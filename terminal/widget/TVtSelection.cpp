// Selection model and digit runs.
#include "terminal/widget/TVtSelection.h"

#include "terminal/core/TVtTerminalBuffer.h"

#include <algorithm>

void TVtSelection::Start(TVtCellPos cell) {
    m_present = true;
    m_marked = false;
    m_anchor = m_start = m_end = cell;
}

void TVtSelection::Extend(TVtCellPos cell) {
    if (!m_present)
        Start(cell);
    m_start = std::min(m_anchor, cell);
    m_end = std::max(m_anchor, cell);
    m_marked = true;
}

void TVtSelection::Clear() {
    *this = TVtSelection();
}

void TVtSelection::ShiftRows(int count, int first, int last) {
    if (!m_present || count == 0)
        return;
    const bool startIn = m_start.Row >= first && m_start.Row <= last;
    const bool endIn = m_end.Row >= first && m_end.Row <= last;
    if (!startIn && !endIn && (m_end.Row < first || m_start.Row > last))
        return; // rows outside the moved range stay where they are
    if (!startIn || !endIn) {
        Clear();
        return;
    }
    const int newStart = m_start.Row - count;
    const int newEnd = m_end.Row - count;
    if (newStart < first || newEnd > last) {
        Clear();
        return;
    }
    m_start.Row = newStart;
    m_end.Row = newEnd;
    m_anchor.Row -= count;
}

QByteArray TVtSelection::Text(const TVtTerminalBuffer &buffer) const {
    if (!m_present)
        return {};
    QByteArray text;
    const int cols = buffer.ColCount();
    for (int row = m_start.Row; row <= m_end.Row; ++row) {
        const QByteArray rowText = buffer.GetRowText(row);
        if (rowText.isEmpty())
            continue;
        const int from = row == m_start.Row ? std::clamp(m_start.Col, 1, cols) : 1;
        const int to = row == m_end.Row ? std::clamp(m_end.Col, 1, cols) : cols;
        if (to >= from)
            text += rowText.mid(from - 1, to - from + 1);
        text += "\r\n";
    }
    return text;
}

QByteArray DigitRunAt(const QByteArray &rowText, int col) {
    const auto isDigit = [&](int i) { return rowText[i] >= '0' && rowText[i] <= '9'; };
    const int i = col - 1;
    if (i < 0 || i >= rowText.size() || !isDigit(i))
        return {};
    int first = i;
    int last = i;
    while (first > 0 && isDigit(first - 1))
        --first;
    while (last + 1 < rowText.size() && isDigit(last + 1))
        ++last;
    return rowText.mid(first, last - first + 1);
}
