// Frames, keywords, value texts, message builders and error texts of host-driven forms.
#include "hostforms/protocol/HostProtocol.h"

#include "common/HostText.h"

#include <algorithm>
#include <limits>

namespace HostProtocol {

namespace {

constexpr char S = kFieldSeparator;

QByteArray num(long long v) {
    return QByteArray::number(v);
}

QByteArray trimmedLower(const QByteArray &b) {
    return b.trimmed().toLower();
}

QByteArray head(const QByteArray &name, const char *code, const QByteArray &workspace) {
    return name + S + code + S + workspace + S;
}

} // namespace

QByteArray frame(const QByteArray &message) {
    return kFrameStart + message + kFrameEnd;
}

bool sendFramed(HostLink *link, const QByteArray &message) {
    if (!link || !link->IsConnected()) {
        return false;
    }
    link->Send(frame(message));
    return true;
}

EncodedValue userText(const QByteArray &text) {
    return EncodedValue(HostText::userText(text));
}

EncodedValue joinValues(const QList<EncodedValue> &values, char separator, bool after) {
    QByteArray out;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0 && !after) {
            out += separator;
        }
        out += values[i].bytes();
        if (after) {
            out += separator;
        }
    }
    return EncodedValue(out);
}

EncodedValue trustedValue(const QByteArray &text) {
    return EncodedValue(text);
}

EncodedValue editValue(const QByteArray &text) {
    return userText(text);
}

EncodedValue listBoxValue(const QList<QByteArray> &selectedItems) {
    QList<EncodedValue> v;
    for (const QByteArray &item : selectedItems) {
        v.append(userText(item));
    }
    return joinValues(v, kValueMark, true);
}

EncodedValue comboValue(const QByteArray &text, const QList<QByteArray> &items) {
    const qsizetype index = items.indexOf(text);
    return joinValues({userText(text), trustedValue(num(index < 0 ? -1 : index))}, S, false);
}

EncodedValue checkValue(bool set) {
    return trustedValue(set ? "1" : "0");
}

EncodedValue linesValue(const QList<QByteArray> &lines) {
    QList<EncodedValue> v;
    for (const QByteArray &line : lines) {
        v.append(userText(line));
    }
    return joinValues(v, kValueMark, false);
}

EncodedValue gridValue(int visibleRows, int visibleColumns, const QList<QByteArray> &cells, bool wholeRow) {
    QByteArray out = num(visibleRows) + ',' + num(visibleColumns) + S;
    if (wholeRow) {
        for (const QByteArray &cell : cells) {
            out += userText(cell).bytes() + S;
        }
    } else if (!cells.isEmpty()) {
        out += userText(cells.first()).bytes();
    }
    return trustedValue(out);
}

QByteArray shiftWords(unsigned flags) {
    static const struct {
        unsigned flag;
        const char *word;
    } words[] = {{ShiftKey, "shift,"},    {AltKey, "alt,"},        {CtrlKey, "ctrl,"},
                 {LeftButton, "left,"},   {RightButton, "right,"}, {MiddleButton, "middle,"},
                 {DoubleClick, "double,"}};
    QByteArray out;
    for (const auto &w : words) {
        if (flags & w.flag) {
            out += w.word;
        }
    }
    return out;
}

QByteArray buttonWord(MouseButton b) {
    switch (b) {
    case MouseButton::Left:
        return "left";
    case MouseButton::Right:
        return "right";
    case MouseButton::Middle:
        return "middle";
    }
    return {};
}

QByteArray componentName(int requestType) {
    switch (RequestType(requestType)) {
    case RequestType::Create:
        return "Object Creator";
    case RequestType::Destroy:
        return "Object Destroyer";
    case RequestType::Move:
        return "Object Mover";
    case RequestType::Clear:
        return "Object Clearer";
    case RequestType::Control:
        return "Object Controler";
    case RequestType::Update:
        return "Object Updater";
    case RequestType::Query:
        return "Object Query";
    case RequestType::MenuTree:
        return {};
    case RequestType::LastContainer:
    case RequestType::ClientCommand:
        break;
    }
    return "Command Parser";
}

QByteArray renamedName(const QByteArray &field3) {
    static const QByteArray removed = ".,- :;\"()_=+*&^%$#@!~`{}[]|\\<>?'";
    QByteArray out;
    for (char c : field3) {
        if (!removed.contains(c)) {
            out += c;
        }
    }
    return out;
}

QByteArray definitionField(const TObjectRequest &request, int i) {
    const QByteArray f = request.field(i);
    return i <= 16 ? trimmedLower(f) : f;
}

uint32_t presenceMask(const TObjectRequest &request) {
    uint32_t mask = 0;
    const int last = qMin(31, request.fieldCount());
    for (int i = 1; i <= last; ++i) {
        const QByteArray f = i <= 16 ? request.field(i).trimmed() : request.field(i);
        if (!f.isEmpty()) {
            mask |= uint32_t(1) << i;
        }
    }
    return mask;
}

std::optional<qint64> readInteger(const QByteArray &field) {
    const QByteArray t = field.trimmed();
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t[0] == '-';
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) {
        i = 1;
    }
    if (i >= t.size()) {
        return std::nullopt;
    }
    qint64 v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') {
            return std::nullopt;
        }
        if (v > (std::numeric_limits<qint64>::max() - (t[i] - '0')) / 10) {
            return std::nullopt;
        }
        v = v * 10 + (t[i] - '0');
    }
    return negative ? -v : v;
}

int objectType(const TObjectRequest &request) {
    const std::optional<qint64> v = readInteger(request.field(Field::ObjectType));
    return v && *v >= 0 && *v <= std::numeric_limits<int>::max() ? int(*v) : -1;
}

int clampGeometry(qint64 value) {
    return int(std::clamp<qint64>(value, -32768, 32767));
}

PickType pickTypeOf(qint64 number) {
    switch (number) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 19:
    case 21:
    case 22:
    case 23:
        return PickType(int(number));
    default:
        return PickType::Unknown;
    }
}

namespace {

using E = KeywordEffects;
constexpr KeywordTest Exact = KeywordTest::Exact;
constexpr KeywordTest Contains = KeywordTest::Contains;

void nothing(E &) {}

} // namespace

const QList<Keyword> &keywordTable() {
    static const QList<Keyword> table = {
        {1, "none", 10, Exact, [](E &e) { e.align = Align::None; }},
        {2, "top", 10, Exact, [](E &e) { e.align = Align::Top; }},
        {3, "bottom", 10, Exact, [](E &e) { e.align = Align::Bottom; }},
        {4, "left", 10, Exact, [](E &e) { e.align = Align::Left; }},
        {5, "right", 10, Exact, [](E &e) { e.align = Align::Right; }},
        {6, "client", 10, Exact, [](E &e) { e.align = Align::Client; }},
        {7, "custom", 10, Exact, [](E &e) { e.align = Align::Custom; }},
        {8, "left", 11, Exact, [](E &e) { e.alignment.TextAlignment = 0; }},
        {9, "right", 11, Exact,
         [](E &e) {
             e.alignment.TextAlignment = 1;
             e.alignment.LabelPosition = 3;
         }},
        {10, "centre", 11, Exact,
         [](E &e) {
             e.alignment.TextAlignment = 2;
             e.alignment.Layout = 1;
         }},
        {11, "above", 11, Exact, [](E &e) { e.alignment.LabelPosition = 0; }},
        {12, "below", 11, Exact, [](E &e) { e.alignment.LabelPosition = 1; }},
        {13, "top", 11, Exact, [](E &e) { e.alignment.Layout = 0; }},
        {14, "bottom", 11, Exact, [](E &e) { e.alignment.Layout = 2; }},
        {15, "default", 11, Exact, [](E &e) { e.alignment.Pitch = 0; }},
        {16, "fixed", 11, Exact, [](E &e) { e.alignment.Pitch = 2; }},
        {17, "variable", 11, Exact, [](E &e) { e.alignment.Pitch = 1; }},
        // Panel border none and form border sizeable are the defaults already.
        {18, "none", 13, Exact, nothing},
        {19, "single", 13, Exact,
         [](E &e) {
             e.style.PanelBorder = 1;
             e.style.FormBorder = 1;
         }},
        {20, "dialog", 13, Exact, [](E &e) { e.style.FormBorder = 3; }},
        {21, "sizeable", 13, Exact, [](E &e) { e.style.FormBorder = 2; }},
        {22, "toolwindow", 13, Exact, [](E &e) { e.style.FormBorder = 4; }},
        {23, "sizetoolwin", 13, Exact, [](E &e) { e.style.FormBorder = 5; }},
        {24, "dropdown", 13, Exact, [](E &e) { e.style.ComboStyle = 0; }},
        {25, "simple", 13, Exact, [](E &e) { e.style.ComboStyle = 1; }},
        {26, "dropdownlist", 13, Exact, [](E &e) { e.style.ComboStyle = 2; }},
        {27, "ownerdrawfixed", 13, Exact, [](E &e) { e.style.ComboStyle = 3; }},
        {28, "ownerdrawvariable", 13, Exact, [](E &e) { e.style.ComboStyle = 4; }},
        {29, "bold", 13, Contains, [](E &e) { e.style.Bold = true; }},
        {30, "italic", 13, Contains, [](E &e) { e.style.Italic = true; }},
        {31, "underline", 13, Contains, [](E &e) { e.style.Underline = true; }},
        {32, "strikeout", 13, Contains, [](E &e) { e.style.StrikeOut = true; }},
        {33, "regular", 13, Contains, nothing},
        {34, "box", 11, Exact, [](E &e) { e.alignment.Bevel = 0; }},
        {35, "frame", 11, Exact, [](E &e) { e.alignment.Bevel = 1; }},
        {36, "topline", 11, Exact, [](E &e) { e.alignment.Bevel = 2; }},
        {37, "bottomline", 11, Exact, [](E &e) { e.alignment.Bevel = 3; }},
        {38, "leftline", 11, Exact, [](E &e) { e.alignment.Bevel = 4; }},
        {39, "rightline", 11, Exact, [](E &e) { e.alignment.Bevel = 5; }},
        {40, "spacer", 11, Exact, [](E &e) { e.alignment.Bevel = 6; }},
        {41, "top", 13, Exact, [](E &e) { e.style.Layout = 0; }},
        {42, "bottom", 13, Exact, [](E &e) { e.style.Layout = 2; }},
        {43, "centre", 13, Exact, [](E &e) { e.style.Layout = 1; }},
        {44, "click", 16, Contains, nothing},
        {45, "keypress", 16, Contains, nothing},
        {46, "keydown", 16, Contains, nothing},
        {47, "keyup", 16, Contains, nothing},
        {48, "exit", 16, Contains, nothing},
        {49, "enter", 16, Contains, nothing},
        {50, "mousedown", 16, Contains, nothing},
        {51, "mouseup", 16, Contains, nothing},
        {52, "change", 16, Contains, nothing},
        {53, "doubleclick", 16, Contains, nothing},
        {54, "enddrag", 16, Contains, nothing},
        {55, "startdrag", 16, Contains, nothing},
        {56, "closequery", 16, Contains, nothing},
        {57, "close", 16, Contains, nothing},
        {58, "destroy", 16, Contains, nothing},
        {59, "create", 16, Contains, nothing},
        {60, "exception", 16, Contains, nothing},
        {61, "save", 16, Contains, nothing},
        {62, "abort", 16, Contains, nothing},
    };
    return table;
}

namespace {
bool matches(const Keyword &k, int field, const QByteArray &lowerText) {
    return k.field == field && (k.test == Exact ? lowerText == k.word : lowerText.contains(k.word));
}
} // namespace

QList<int> matchKeywords(int field, const QByteArray &lowerText) {
    QList<int> out;
    for (const Keyword &k : keywordTable()) {
        if (matches(k, field, lowerText)) {
            out.append(k.number);
        }
    }
    return out;
}

void applyKeywords(int field, const QByteArray &text, KeywordEffects &effects) {
    const QByteArray lower = trimmedLower(text);
    for (const Keyword &k : keywordTable()) {
        if (matches(k, field, lower)) {
            k.effect(effects);
        }
    }
}

// The words of one field are distinct within their group (8-17, 34-40 of field 11; the exact
// words of field 13), so applying every matched row in table order is "the first equal word".
std::optional<Align> readAlign(const QByteArray &field10) {
    KeywordEffects e;
    applyKeywords(Field::Align, field10, e);
    return e.align;
}

AlignmentWords readAlignment(const QByteArray &field11) {
    KeywordEffects e;
    applyKeywords(Field::Alignment, field11, e);
    return e.alignment;
}

StyleWords readObjectStyle(const QByteArray &field13) {
    KeywordEffects e;
    applyKeywords(Field::ObjectStyle, field13, e);
    return e.style;
}

unsigned readAnchors(const QByteArray &field15) {
    const QByteArray f = trimmedLower(field15);
    unsigned a = 0;
    a |= f.contains("left") ? unsigned(AnchorLeft) : 0u;
    a |= f.contains("top") ? unsigned(AnchorTop) : 0u;
    a |= f.contains("right") ? unsigned(AnchorRight) : 0u;
    a |= f.contains("bottom") ? unsigned(AnchorBottom) : 0u;
    return a;
}

QByteArray eventList(const QByteArray &field16) {
    return ',' + trimmedLower(field16) + ',';
}

QByteArray menuPick(const QByteArray &name, const QByteArray &menuText, const QByteArray &itemText) {
    return name + S + "8" + S + menuText + S + itemText;
}

QByteArray clickEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value) {
    return head(name, "50", workspace) + value.bytes();
}

QByteArray keyPressEvent(const QByteArray &name, const QByteArray &workspace, char character,
                         const EncodedValue &value) {
    // Backspace, tab, return and escape are keys the host reads; other controls would break fields.
    const auto u = static_cast<unsigned char>(character);
    const bool keep = u == 8 || u == 9 || u == 13 || u == 27;
    const QByteArray c = keep ? QByteArray(1, character) : userText(QByteArray(1, character)).bytes();
    return head(name, "51", workspace) + c + S + value.bytes();
}

QByteArray keyDownEvent(const QByteArray &name, const QByteArray &workspace, int key, unsigned shift,
                        const EncodedValue &value) {
    return head(name, "52", workspace) + num(key) + S + shiftWords(shift) + S + value.bytes() + S + num(key);
}

QByteArray keyUpEvent(const QByteArray &name, const QByteArray &workspace, int key, unsigned shift,
                      const EncodedValue &value) {
    return head(name, "53", workspace) + num(key) + S + shiftWords(shift) + S + value.bytes() + S + num(key);
}

QByteArray exitEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value) {
    return head(name, "54", workspace) + value.bytes();
}

QByteArray enterEvent(const QByteArray &name) {
    return name + S + "55";
}

QByteArray mouseDownEvent(const QByteArray &name, const QByteArray &workspace, MouseButton b, unsigned shift,
                          int x, int y, const EncodedValue &value) {
    return head(name, "56", workspace) + buttonWord(b) + S + shiftWords(shift) + S + num(x) + S + num(y) + S +
           value.bytes();
}

QByteArray mouseUpEvent(const QByteArray &name, const QByteArray &workspace, MouseButton b, unsigned shift,
                        int x, int y, const EncodedValue &value) {
    return head(name, "57", workspace) + buttonWord(b) + S + shiftWords(shift) + S + num(x) + S + num(y) + S +
           value.bytes();
}

QByteArray changeEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value) {
    return head(name, "58", workspace) + value.bytes();
}

QByteArray gridChangeEvent(const QByteArray &name, const QByteArray &workspace, int visibleRows, int rowCount,
                           int sortedColumn, const EncodedValue &data) {
    return head(name, "58", workspace) + num(visibleRows) + ',' + num(rowCount) + ':' + num(sortedColumn) +
           S + data.bytes();
}

QByteArray resultChangeEvent(const QByteArray &name, const QByteArray &workspace, int fieldNumber,
                             const EncodedValue &fieldValue) {
    return head(name, "58", workspace) + num(fieldNumber) + S + fieldValue.bytes();
}

QByteArray doubleClickEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value) {
    return head(name, "59", workspace) + value.bytes();
}

QByteArray endDragEvent(const QByteArray &name, const QByteArray &workspace, const QByteArray &target, int x,
                        int y, const EncodedValue &value) {
    return head(name, "60", workspace) + target + S + num(x) + S + num(y) + value.bytes();
}

QByteArray startDragEvent(const QByteArray &dragName, const QByteArray &workspace, const QByteArray &name,
                          int x, int y, const EncodedValue &value) {
    return head(dragName, "61", workspace) + name + S + num(x) + S + num(y) + value.bytes();
}

QByteArray closeQueryEvent(const QByteArray &formName, const QByteArray &workspace) {
    return head(formName, "70", workspace);
}

QByteArray destroyedEvent(const QByteArray &name, const QByteArray &workspace, int objectType) {
    return head(name, "90", workspace) + num(objectType) + S;
}

QByteArray createdEvent(const QByteArray &name, const QByteArray &workspace, int objectType) {
    return head(name, "91", workspace) + num(objectType) + S;
}

QByteArray queryReply(const QByteArray &replyName, const QList<EncodedValue> &fieldsFrom4) {
    QByteArray out = replyName + S + "92" + S + S;
    for (const EncodedValue &f : fieldsFrom4) {
        out += f.bytes() + S;
    }
    return out + S;
}

QByteArray resultSave(const QByteArray &name, const QByteArray &workspace, const QList<QByteArray> &lines) {
    return head(name, "94", workspace) + linesValue(lines).bytes();
}

QByteArray resultAbort(const QByteArray &name, const QByteArray &workspace) {
    return head(name, "95", workspace);
}

QByteArray requestError(const QByteArray &component, const QByteArray &errorText) {
    return component + S + "99" + S + S + errorText + S;
}

QByteArray objectError(const QByteArray &name, const QByteArray &workspace, const QByteArray &errorText) {
    return head(name, "99", workspace) + errorText + S;
}

namespace {
QByteArray reasonText(const QByteArray &reason) {
    return userText(reason).bytes();
}
QByteArray q(const QByteArray &t) {
    return '"' + t + '"';
}
} // namespace

QByteArray E001() {
    return "E001-Empty Object Request";
}
QByteArray E002(const QByteArray &field2) {
    return TObjectRequest::E002Text(reasonText(field2));
}
QByteArray E003(int type) {
    return "E003 - Request Type " + q(num(type)) + " is unknown.";
}
QByteArray E010(const QByteArray &field3) {
    return "E010 - Object Error.  Object Type " + q(reasonText(field3)) + " is unknown";
}
QByteArray E011() {
    return "E011 - No Workspace defined.";
}
QByteArray E012TooFew() {
    return "E012 - Error in Object Definition.  Too few parameters in request.";
}
QByteArray E012ControlAction(int d) {
    return "E012 - Control Action " + q(num(d)) + " is not known.";
}
QByteArray E013Field(const QByteArray &fieldName, const QByteArray &reason) {
    return "E013 - Error in Object Definition at " + fieldName + ". " + reasonText(reason);
}
QByteArray E013NoWorkspace() {
    return "E013 - Error in Object Definition.  Workspace not specified or does not exist.";
}
QByteArray E013Parent(const QByteArray &reason) {
    return "E013 - Error in Object Definition.  Parent Object Error: " + reasonText(reason);
}
QByteArray E020(const QByteArray &name, const QByteArray &reason) {
    return "E020 - Object Creation Error. " + name + " was not created. Error Raised:" + reasonText(reason);
}
QByteArray E021(const QByteArray &reason) {
    QByteArray r = reason;
    r.replace("\r\n", "  ").replace('\r', "  ").replace('\n', "  ");
    return "E021 - Error performing operation: " + reasonText(r);
}
QByteArray E124(const QByteArray &reason) {
    return "E124 - Object Setfocus Error: " + q(reasonText(reason));
}
QByteArray E125(const QByteArray &reason) {
    return "E125 - Object Rename Error: " + q(reasonText(reason));
}
QByteArray E125NoName() {
    return E125("New name not specified.");
}
QByteArray notFound(const QByteArray &name) {
    return "ERROR - Object " + name + " not found.";
}
QByteArray notDeleted(const QByteArray &name) {
    return "ERROR - Object " + name + " Not deleted.";
}
QByteArray updateNotImplemented() {
    return "Object Update for object type not implemented.";
}

QByteArray definitionFieldName(int field) {
    static const char *const names[] = {"Left",   "Top",     "Width",     "Height", "Tab Order",
                                        "Colour", "Align",   "Alignment", "Font",   "Object Style",
                                        "Parent", "Anchors", "Events",    "Value"};
    if (field >= 4 && field <= 17) {
        return names[field - 4];
    }
    return field == 24 ? QByteArray("Text_OUT") : QByteArray();
}

} // namespace HostProtocol
