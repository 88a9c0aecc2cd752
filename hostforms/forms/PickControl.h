// One parsed object definition (fields 4 to 25 of a create or update request) and the pure helpers
// the setters use: font definitions, colour numbers, environment variables in values, path
// detection and the labeled edit's placement arithmetic. No widgets here.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <cstdint>
#include <optional>

struct TPickControl {
    HostProtocol::PickType ObjectType = HostProtocol::PickType::Unknown;
    int Left = 0, Top = 0, Width = 0, Height = 0, TabOrder = 0;
    qint64 Colour = -1;
    HostProtocol::Align Align = HostProtocol::Align::None;
    int Alignment = 0;     // left, right, centre
    int LabelPosition = 2; // above, below, left, right
    int Layout = 0;        // top, centre, bottom
    std::optional<int> Pitch;
    int BevelShape = 0;
    QByteArray FontText;   // a font definition (positions separated by "]")
    QByteArray FontSource; // "ws.obj" whose font is copied, when field 12 is not a definition
    int BorderStyle = 0;   // panel and edit border: none, single
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    int ComboStyle = 0;
    int FormBorderStyle = 2; // sizeable
    bool ParentColourFlag = false;
    QByteArray Name;
    QByteArray Value;
    QByteArray Parent;
    unsigned Anchors = 0;
    QByteArray Events;
    uint32_t PresenceMask = 0;
    int FieldCount = 0;       // fields in the request, field 1 counted as 1
    QList<QByteArray> Fields; // position i = field i (fields 1-16 trimmed and lower-cased)
    int SubAction = 0;
    bool HasPosition = false;
    int PositionX = 0, PositionY = 0;
    QByteArray PositionText;
    QByteArray TextOut;

    // An update changes only what it gives; a create also applies a per-type field that is present
    // but empty (an empty edit text still sets the default length).
    bool Update = false;

    bool given(int field) const { return field >= 0 && field < 32 && (PresenceMask >> field) & 1u; }
    // A per-type field to apply: present in a create's request at all (even empty), given in an
    // update's.
    bool present(int field) const {
        if (Update) {
            return field >= 0 && field < Fields.size() && !Fields[field].isEmpty();
        }
        return field < FieldCount + 1 && field < Fields.size();
    }
    // Lists from field `first` on (items, lines, rows, data blocks): in an update, any of them given.
    bool presentFrom(int first) const {
        if (!Update) {
            return present(first);
        }
        for (int i = std::max(first, 0); i < Fields.size(); ++i) {
            if (!Fields[i].isEmpty()) {
                return true;
            }
        }
        return false;
    }
    QByteArray field(int i) const { return i >= 0 && i < Fields.size() ? Fields[i] : QByteArray(); }
};

namespace PickControl {

// Fills a definition from the field list (position 0 unused, position i = field i). Returns the
// E013 text naming the field that failed, or an empty text.
QByteArray ParsePickControl(QList<QByteArray> fields, TPickControl &def);
// A font definition: 0xFD or "]" between positions, read as a definition of object type 19.
QByteArray ParseFontDefinition(const QByteArray &fontText, TPickControl &def);
// Applies the positions given in a font definition to `font` and, for position 9, to `colour`.
void applyFontDefinition(const TPickControl &fontDef, QFont &font, std::optional<QColor> &colour);

// Windows colour values: 0x00BBGGRR, or a system colour (high bit set) mapped to the palette.
std::optional<QColor> colourFromNumber(qint64 number);

// "%NAME%" (exactly two "%") replaced by the variable's value when it is set; unchanged otherwise.
QByteArray substituteEnvironment(const QByteArray &value);
// A value that names a file: a Windows path ("\\" or ":\" in its first five characters) or an
// absolute local path.
bool looksLikeFilePath(const QByteArray &value);

// Where the labeled edit goes so that its label sits at `given`: label above → the edit moves
// down by the label height + 4, below → up, left → right by label width + spacing, right → left.
QPoint labelPlacement(const QPoint &given, const QSize &labelSize, int labelPosition, int spacing);

// "'x' is not a valid integer value" (the reason of a failed number).
QByteArray notANumber(const QByteArray &text);

} // namespace PickControl

namespace PickNames {
// A component name: a letter or "_" then letters, digits and "_"; empty text when valid.
QByteArray invalidReason(const QByteArray &name);
} // namespace PickNames

namespace PickControl {
// A font as a font definition: positions separated by "]", size at 4, height (negative pixels) at
// 5, the pitch word at 11, the style words at 13 and the name at 17.
QByteArray FontToText(const QFont &font);
} // namespace PickControl
