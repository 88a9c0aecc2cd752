// Reading object definitions and the pure rules behind the setters.
#include "hostforms/forms/PickControl.h"

#include "common/HostText.h"
#include "common/WinColor.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QtGlobal>

namespace PickControl {

using namespace HostProtocol;

QByteArray notANumber(const QByteArray &text) {
    return '\'' + text + "' is not a valid integer value";
}

namespace {

// A position or size field; none for text that is no whole number.
std::optional<int> wholeGeometry(const QByteArray &text, bool emptyIsZero) {
    if (text.isEmpty() && emptyIsZero) {
        return 0;
    }
    const std::optional<qint64> v = readInteger(text);
    if (!v) {
        return std::nullopt;
    }
    return clampGeometry(*v);
}

} // namespace

QByteArray ParsePickControl(QList<QByteArray> fields, TPickControl &def) {
    def.PresenceMask = 0;
    if (fields.isEmpty()) {
        fields.append(QByteArray());
    }
    def.FieldCount = int(fields.size()) - 1;
    const int n = qMin(Field::LastDefinition, def.FieldCount);
    for (int i = 1; i < fields.size(); ++i) {
        if (i <= Field::Events) {
            fields[i] = fields[i].trimmed().toLower();
        }
        if (i <= n && !fields[i].isEmpty()) {
            def.PresenceMask |= uint32_t(1) << i;
        }
    }
    def.Fields = fields;
    auto f = [&fields](int i) { return i < fields.size() ? fields[i] : QByteArray(); };
    const std::optional<int> left = wholeGeometry(f(Field::Left), true);
    if (!left) {
        return E013Field(definitionFieldName(Field::Left), notANumber(f(Field::Left)));
    }
    def.Left = *left;
    const std::pair<int, int *> numbers[] = {{Field::Top, &def.Top},
                                             {Field::Width, &def.Width},
                                             {Field::Height, &def.Height},
                                             {Field::TabOrder, &def.TabOrder}};
    for (const auto &[field, target] : numbers) {
        if (f(field).isEmpty()) {
            continue;
        }
        const std::optional<int> value = wholeGeometry(f(field), false);
        if (!value) {
            return E013Field(definitionFieldName(field), notANumber(f(field)));
        }
        *target = *value;
    }
    if (const std::optional<qint64> c = readInteger(f(Field::Colour))) {
        def.Colour = *c;
    } else {
        def.Colour = -1;
        def.ParentColourFlag = f(Field::Colour).contains('y');
    }
    if (const std::optional<Align> a = readAlign(f(Field::Align))) {
        def.Align = *a;
    }
    if (!f(Field::Alignment).isEmpty()) {
        const AlignmentWords a = readAlignment(f(Field::Alignment));
        def.Alignment = a.TextAlignment;
        def.LabelPosition = a.LabelPosition;
        def.Layout = a.Layout;
        def.Pitch = a.Pitch;
        def.BevelShape = a.Bevel;
    }
    if (f(Field::Font).contains('\xFD') || f(Field::Font).contains(']')) {
        def.FontText = f(Field::Font);
        def.FontSource.clear();
    } else {
        def.FontText.clear();
        def.FontSource = f(Field::Font);
    }
    if (!f(Field::ObjectStyle).isEmpty()) {
        const StyleWords s = readObjectStyle(f(Field::ObjectStyle));
        def.BorderStyle = s.PanelBorder.value_or(0);
        def.FormBorderStyle = s.FormBorder.value_or(2);
        def.ComboStyle = s.ComboStyle.value_or(0);
        if (s.Layout) {
            def.Layout = *s.Layout;
        }
        def.Bold = s.Bold;
        def.Italic = s.Italic;
        def.Underline = s.Underline;
        def.StrikeOut = s.StrikeOut;
    }
    def.Parent = f(Field::Parent);
    def.Anchors = readAnchors(f(Field::Anchors));
    def.Events = eventList(f(Field::Events));
    if (def.FieldCount >= Field::Value) {
        def.Value = f(Field::Value);
        if (def.given(Field::TextOut)) {
            def.TextOut = f(Field::TextOut);
        }
        // The position text never fails the request: fields 18 onward also carry list items,
        // memo lines and grid rows, which are not positions.
        def.HasPosition = false;
        if (def.given(Field::Position)) {
            const QList<QByteArray> parts = f(Field::Position).split(']');
            const std::optional<qint64> x = parts.size() >= 2 ? readInteger(parts[0]) : std::nullopt;
            const std::optional<qint64> y = parts.size() >= 2 ? readInteger(parts[1]) : std::nullopt;
            if (x && y) {
                def.HasPosition = true;
                def.PositionX = clampGeometry(*x);
                def.PositionY = clampGeometry(*y);
                def.PositionText =
                    parts.size() >= 3
                        ? f(Field::Position)
                              .mid(f(Field::Position).indexOf(']', f(Field::Position).indexOf(']') + 1) + 1)
                        : QByteArray();
            }
        }
    }
    return {};
}

QByteArray ParseFontDefinition(const QByteArray &fontText, TPickControl &def) {
    QByteArray text = fontText;
    text.replace('\xFD', ']');
    QList<QByteArray> positions = text.split(']');
    positions.prepend(QByteArray());
    def = TPickControl{};
    def.ObjectType = PickType::FontDefinition;
    return ParsePickControl(positions, def);
}

void applyFontDefinition(const TPickControl &d, QFont &font, std::optional<QColor> &colour) {
    namespace P = Field::FontPos;
    // Positions 4 and 5 are read as Left and Top of the definition.
    if (d.given(P::Size) && d.Left > 0) {
        font.setPointSize(qBound(1, d.Left, 400));
    }
    if (d.given(P::Height) && d.Top != 0) {
        font.setPixelSize(qBound(1, qAbs(d.Top), 400));
    }
    // Pitch and style are applied when their own positions are given too, so that a font read
    // back from a query (which writes only positions 4, 5, 11, 13 and 17) keeps them.
    if ((d.given(P::PitchGiven) || d.given(P::Pitch)) && d.Pitch) {
        font.setFixedPitch(*d.Pitch == 2);
        font.setStyleHint(*d.Pitch == 2 ? QFont::Monospace : QFont::AnyStyle);
    }
    if (d.given(P::Colour) && d.Colour != -1) {
        colour = colourFromNumber(d.Colour);
    }
    if (d.given(P::StyleGiven) || d.given(P::Pitch) || d.given(P::Style)) {
        font.setBold(d.Bold);
        font.setItalic(d.Italic);
        font.setUnderline(d.Underline);
        font.setStrikeOut(d.StrikeOut);
    }
    if (d.given(P::Name)) {
        font.setFamilies({QString::fromLatin1(d.field(P::Name).trimmed())});
    }
}

std::optional<QColor> colourFromNumber(qint64 number) {
    if (number >= 0 && number <= 0xFFFFFF) {
        return bgrToQColor(std::uint32_t(number));
    }
    // System colours: 0x80000000 plus an index, written signed or unsigned.
    qint64 bits = number < 0 ? number + (qint64(1) << 32) : number;
    if (bits < 0x80000000LL || bits > 0x800000FFLL) {
        return std::nullopt;
    }
    const int index = int(bits & 0xFF);
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case 5: // window
        return p.color(QPalette::Base);
    case 8: // window text
        return p.color(QPalette::Text);
    case 13: // highlight
        return p.color(QPalette::Highlight);
    case 14: // highlight text
        return p.color(QPalette::HighlightedText);
    case 16: // button shadow
        return p.color(QPalette::Dark);
    case 17: // grey text
        return p.color(QPalette::PlaceholderText);
    case 18: // button text
        return p.color(QPalette::ButtonText);
    case 20: // button highlight
        return p.color(QPalette::Light);
    case 23: // info text
        return p.color(QPalette::ToolTipText);
    case 24: // info background
        return p.color(QPalette::ToolTipBase);
    case 15: // button face
    default:
        return p.color(QPalette::Window);
    }
}

QByteArray substituteEnvironment(const QByteArray &value) {
    if (value.count('%') != 2) {
        return value;
    }
    const qsizetype a = value.indexOf('%');
    const qsizetype b = value.indexOf('%', a + 1);
    const QByteArray name = value.mid(a + 1, b - a - 1);
    if (name.isEmpty() || !qEnvironmentVariableIsSet(name.constData())) {
        return value;
    }
    return value.left(a) + qgetenv(name.constData()) + value.mid(b + 1);
}

bool looksLikeFilePath(const QByteArray &value) {
    const QByteArray head = value.left(5);
    return head.contains("\\\\") || head.contains(":\\") || value.startsWith('/');
}

QPoint labelPlacement(const QPoint &given, const QSize &labelSize, int labelPosition, int spacing) {
    switch (labelPosition) {
    case 0: // above
        return {given.x(), given.y() + labelSize.height() + 4};
    case 1: // below
        return {given.x(), given.y() - labelSize.height() - 4};
    case 3: // right
        return {given.x() - labelSize.width() - spacing, given.y()};
    case 2: // left
    default:
        return {given.x() + labelSize.width() + spacing, given.y()};
    }
}

} // namespace PickControl

namespace PickNames {

QByteArray invalidReason(const QByteArray &name) {
    bool ok = !name.isEmpty() && name.size() <= 255;
    for (qsizetype i = 0; ok && i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        ok = letter || (i > 0 && c >= '0' && c <= '9');
    }
    return ok ? QByteArray() : '\'' + name + "' is not a valid component name";
}

} // namespace PickNames

namespace PickControl {

QByteArray FontToText(const QFont &font) {
    namespace P = Field::FontPos;
    QList<QByteArray> positions(P::Name + 1);
    const QFontInfo info(font);
    positions[P::Size] = QByteArray::number(font.pointSize() > 0 ? font.pointSize() : info.pointSize());
    positions[P::Height] = QByteArray::number(-info.pixelSize());
    if (font.resolveMask() & QFont::FixedPitchResolved) {
        positions[P::Pitch] = font.fixedPitch() ? "fixed" : "variable";
    } else {
        positions[P::Pitch] = "default";
    }
    QByteArray style;
    style += font.bold() ? "bold," : "";
    style += font.italic() ? "italic," : "";
    style += font.underline() ? "underline," : "";
    style += font.strikeOut() ? "strikeout," : "";
    positions[P::Style] = style;
    // An installed family may hold any character: through the host codec, and never a separator.
    QByteArray name = userText(HostText::fromUnicode(font.family())).bytes();
    name.replace(']', '?');
    positions[P::Name] = name;
    positions.removeFirst(); // position 0 is not written
    return positions.join(']');
}

} // namespace PickControl
