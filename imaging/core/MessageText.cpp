// Message text files: the two formats and the stepping of the moving text.
#include "imaging/core/MessageText.h"

#include "common/HostText.h"
#include "common/WinColor.h"
#include "imaging/core/ErrorInvalid.h"

#include <QList>

#include <cmath>
#include <limits>
#include <optional>

namespace orva::imaging {

namespace {

// A decimal number as the files write it (leading blanks and a sign allowed); anything else is
// none, with the conversion message the controls report.
std::optional<int> decimal(const QByteArray &field, QString *error) {
    const QByteArray t = field.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    long long v = 0;
    const qsizetype first = i;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > std::numeric_limits<int>::max())
            break;
    }
    if (i == first || i != t.size()) {
        failWith(error, QStringLiteral("'%1' is not a valid integer value").arg(HostText::toUnicode(field)));
        return std::nullopt;
    }
    return static_cast<int>(negative ? -v : v);
}

// A number field the text gives is set; an empty one leaves the value. False for one that is no
// decimal.
template <typename Set> bool setNumber(const QByteArray &field, QString *error, Set &&set) {
    if (field.isEmpty())
        return true;
    const std::optional<int> v = decimal(field, error);
    if (v)
        set(*v);
    return v.has_value();
}

void applyStyle(const QByteArray &field, TMessageFont &font) {
    auto on = [&](int i) { return i < field.size() && field[i] == '1'; };
    font.Bold = on(0);
    font.Italic = on(1);
    font.Underline = on(2);
    font.StrikeOut = on(3);
}

QString messageText(const QByteArray &bytes) {
    return HostText::toUnicode(bytes.left(kMaxMessageChars));
}

QList<QByteArray> splitLines(const QByteArray &text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

} // namespace

void TMessageFont::SetSize(int points) {
    Height = -static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QFont TMessageFont::ToQFont() const {
    QFont f(Name);
    // Negative heights are character heights; a positive cell height is taken as the pixel size,
    // which is what it comes to for the fonts such files name.
    f.setPixelSize(std::max(1, Height < 0 ? -Height : Height));
    f.setBold(Bold);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(StrikeOut);
    return f;
}

QColor TMessageFont::TextColor() const {
    return bgrToQColor(Color);
}

bool ParseScrollingMessage(const QByteArray &text, TMessageFont &font, int &speed, QString &message,
                           std::uint32_t &backColor, QString *error) {
    static const char *const kTags[] = {"/fc|", "/fh|", "/fn|", "/fs|", "/ft|",
                                        "/bc|", "/sp|", "/sm|", "/eo|"};
    QByteArray values[8];
    bool present[8] = {};
    for (int i = 0; i < 8; ++i) {
        const qsizetype at = text.indexOf(kTags[i]);
        const qsizetype next = text.indexOf(kTags[i + 1]);
        if (at < 0 || next < 0)
            continue;
        present[i] = true;
        if (next > at + 4)
            values[i] = text.mid(at + 4, next - at - 4);
    }
    auto number = [&](int i, auto &&set, int fallback) {
        if (present[i])
            return setNumber(values[i], error, set);
        set(fallback);
        return true;
    };
    if (!number(
            0, [&](int v) { font.Color = static_cast<std::uint32_t>(v); }, 255) ||
        !number(
            1, [&](int v) { font.Height = v; }, -13))
        return false;
    if (!present[2])
        font.Name = QStringLiteral("SYSTEM");
    else if (!values[2].isEmpty())
        font.Name = HostText::toUnicode(values[2]);
    if (present[3] && !setNumber(values[3], error, [&](int v) { font.SetSize(v); }))
        return false;
    if (present[4] && !values[4].isEmpty())
        applyStyle(values[4], font);
    if (!number(
            5, [&](int v) { backColor = static_cast<std::uint32_t>(v); }, 128) ||
        !number(
            6, [&](int v) { speed = v; }, 1))
        return false;
    if (!present[7])
        message = QStringLiteral(" Invallid message format ! ");
    else if (!values[7].isEmpty())
        message = messageText(values[7]);
    return true;
}

bool ParseCreditMessage(const QByteArray &text, TMessageFont &font, int &speed, QStringList &lines,
                        std::uint32_t &backColor, QString *error) {
    lines.clear();
    const QList<QByteArray> all = splitLines(text);
    auto line = [&](int i) { return i < all.size() ? all[i] : QByteArray(); };
    if (!setNumber(line(1), error, [&](int v) { font.Color = static_cast<std::uint32_t>(v); }) ||
        !setNumber(line(2), error, [&](int v) { font.Height = v; }))
        return false;
    if (!line(3).isEmpty())
        font.Name = HostText::toUnicode(line(3));
    if (!setNumber(line(4), error, [&](int v) { font.SetSize(v); }))
        return false;
    if (all.size() > 5)
        applyStyle(line(5), font);
    if (!setNumber(line(6), error, [&](int v) { backColor = static_cast<std::uint32_t>(v); }) ||
        !setNumber(line(7), error, [&](int v) { speed = v; }))
        return false;
    for (qsizetype i = 8; i < all.size(); ++i)
        lines.append(messageText(all[i]));
    return true;
}

bool TStepGate::Step(int speed) {
    ++m_counter;
    if (speed >= m_counter)
        return false;
    m_counter = 0;
    return true;
}

void TScrollingText::Start(int controlWidth, int controlHeight, QSize text) {
    m_width = controlWidth;
    m_textWidth = text.width();
    m_left = controlWidth;
    m_right = controlWidth + text.width();
    m_top = (controlHeight - text.height()) / 2;
}

void TScrollingText::Step() {
    --m_left;
    --m_right;
    if (m_right < 0) {
        m_left = m_width;
        m_right = m_width + m_textWidth;
    }
}

QString TCreditText::PaddedLine(const QString &line) {
    QString padded = line;
    if (!padded.startsWith(QLatin1Char(' ')))
        padded.prepend(QStringLiteral("  "));
    if (!padded.endsWith(QLatin1Char(' ')))
        padded.append(QLatin1Char(' '));
    return padded;
}

int TCreditText::WidenedWidth(int width, int characters) {
    // Two characters or fewer (a line of blanks) would divide by zero or shrink to nothing.
    return characters <= 2 ? width : width + width / (characters - 2);
}

void TCreditText::Start(int controlWidth, int controlHeight, const QStringList &lines, Measure measure) {
    m_width = controlWidth;
    m_height = controlHeight;
    m_lines = lines;
    m_measure = std::move(measure);
    m_index = 0;
    m_shown.clear();
    m_bitmap = QSize();
    m_left = m_top = m_bottom = m_textHeight = 0;
    if (!m_lines.isEmpty())
        Build(0);
}

bool TCreditText::Build(int index) {
    const QString line = m_lines.value(index);
    if (line.isEmpty())
        return false;
    const QString padded = PaddedLine(line);
    const QSize size = m_measure ? m_measure(padded) : QSize(padded.size(), 1);
    const int w = std::max(1, WidenedWidth(size.width(), static_cast<int>(padded.size())));
    m_textHeight = size.height();
    m_left = (m_width - w) / 2;
    m_top = m_height;
    m_bottom = m_height + m_textHeight;
    m_shown = padded;
    m_bitmap = QSize(w, m_textHeight + 5);
    return true;
}

bool TCreditText::Step() {
    --m_top;
    --m_bottom;
    if (m_top >= -m_textHeight - 5)
        return false;
    if (m_lines.isEmpty()) {
        m_top = m_height;
        m_bottom = m_height + m_textHeight;
        return false;
    }
    ++m_index;
    if (m_index >= m_lines.size())
        m_index = 0;
    return Build(m_index);
}

} // namespace orva::imaging
