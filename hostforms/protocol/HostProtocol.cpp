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
    switch (requestType) {
    case 1:
        return "Object Creator";
    case 2:
        return "Object Destroyer";
    case 3:
        return "Object Mover";
    case 4:
        return "Object Clearer";
    case 5:
        return "Object Controler";
    case 6:
        return "Object Updater";
    case 7:
        return "Object Query";
    case 8:
        return {};
    default:
        return "Command Parser";
    }
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
    const std::optional<qint64> v = readInteger(request.field(3));
    return v && *v >= 0 && *v <= std::numeric_limits<int>::max() ? int(*v) : -1;
}

int clampGeometry(qint64 value) {
    return int(std::clamp<qint64>(value, -32768, 32767));
}

const QList<Keyword> &keywordTable() {
    static const QList<Keyword> table = {
        {1, "none", 10, true},
        {2, "top", 10, true},
        {3, "bottom", 10, true},
        {4, "left", 10, true},
        {5, "right", 10, true},
        {6, "client", 10, true},
        {7, "custom", 10, true},
        {8, "left", 11, true},
        {9, "right", 11, true},
        {10, "centre", 11, true},
        {11, "above", 11, true},
        {12, "below", 11, true},
        {13, "top", 11, true},
        {14, "bottom", 11, true},
        {15, "default", 11, true},
        {16, "fixed", 11, true},
        {17, "variable", 11, true},
        {18, "none", 13, true},
        {19, "single", 13, true},
        {20, "dialog", 13, true},
        {21, "sizeable", 13, true},
        {22, "toolwindow", 13, true},
        {23, "sizetoolwin", 13, true},
        {24, "dropdown", 13, true},
        {25, "simple", 13, true},
        {26, "dropdownlist", 13, true},
        {27, "ownerdrawfixed", 13, true},
        {28, "ownerdrawvariable", 13, true},
        {29, "bold", 13, false},
        {30, "italic", 13, false},
        {31, "underline", 13, false},
        {32, "strikeout", 13, false},
        {33, "regular", 13, false},
        {34, "box", 11, true},
        {35, "frame", 11, true},
        {36, "topline", 11, true},
        {37, "bottomline", 11, true},
        {38, "leftline", 11, true},
        {39, "rightline", 11, true},
        {40, "spacer", 11, true},
        {41, "top", 13, true},
        {42, "bottom", 13, true},
        {43, "centre", 13, true},
        {44, "click", 16, false},
        {45, "keypress", 16, false},
        {46, "keydown", 16, false},
        {47, "keyup", 16, false},
        {48, "exit", 16, false},
        {49, "enter", 16, false},
        {50, "mousedown", 16, false},
        {51, "mouseup", 16, false},
        {52, "change", 16, false},
        {53, "doubleclick", 16, false},
        {54, "enddrag", 16, false},
        {55, "startdrag", 16, false},
        {56, "closequery", 16, false},
        {57, "close", 16, false},
        {58, "destroy", 16, false},
        {59, "create", 16, false},
        {60, "exception", 16, false},
        {61, "save", 16, false},
        {62, "abort", 16, false},
    };
    return table;
}

QList<int> matchKeywords(int field, const QByteArray &lowerText) {
    QList<int> out;
    for (const Keyword &k : keywordTable()) {
        if (k.field == field && (k.exact ? lowerText == k.word : lowerText.contains(k.word))) {
            out.append(k.number);
        }
    }
    return out;
}

std::optional<Align> readAlign(const QByteArray &field10) {
    const QList<int> m = matchKeywords(10, trimmedLower(field10));
    if (m.isEmpty()) {
        return std::nullopt;
    }
    return Align(m.first() - 1);
}

AlignmentWords readAlignment(const QByteArray &field11) {
    AlignmentWords a;
    const QList<int> m = matchKeywords(11, trimmedLower(field11));
    for (int n : m) {
        if (n >= 8 && n <= 17) {
            switch (n) {
            case 8:
                a.TextAlignment = 0;
                break;
            case 9:
                a.TextAlignment = 1;
                a.LabelPosition = 3;
                break;
            case 10:
                a.TextAlignment = 2;
                a.Layout = 1;
                break;
            case 11:
                a.LabelPosition = 0;
                break;
            case 12:
                a.LabelPosition = 1;
                break;
            case 13:
                a.Layout = 0;
                break;
            case 14:
                a.Layout = 2;
                break;
            case 15:
                a.Pitch = 0;
                break;
            case 16:
                a.Pitch = 2;
                break;
            case 17:
                a.Pitch = 1;
                break;
            }
            break; // the first equal word applies
        }
    }
    for (int n : m) {
        if (n >= 34 && n <= 40) {
            a.Bevel = n - 34;
        }
    }
    return a;
}

StyleWords readObjectStyle(const QByteArray &field13) {
    StyleWords s;
    const QList<int> m = matchKeywords(13, trimmedLower(field13));
    for (int n : m) {
        switch (n) {
        case 19:
            s.PanelBorder = 1;
            s.FormBorder = 1;
            break;
        case 20:
            s.FormBorder = 3;
            break;
        case 21:
            s.FormBorder = 2;
            break;
        case 22:
            s.FormBorder = 4;
            break;
        case 23:
            s.FormBorder = 5;
            break;
        case 24:
        case 25:
        case 26:
        case 27:
        case 28:
            s.ComboStyle = n - 24;
            break;
        case 29:
            s.Bold = true;
            break;
        case 30:
            s.Italic = true;
            break;
        case 31:
            s.Underline = true;
            break;
        case 32:
            s.StrikeOut = true;
            break;
        case 41:
            s.Layout = 0;
            break;
        case 42:
            s.Layout = 2;
            break;
        case 43:
            s.Layout = 1;
            break;
        default:
            break;
        }
    }
    return s;
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

bool hasEvent(const QByteArray &events, const QByteArray &word) {
    return events.contains(',' + word + ',');
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

QByteArray queryReply(const QByteArray &containerName, const QByteArray &objectName,
                      const QList<EncodedValue> &fieldsFrom4) {
    QByteArray out = containerName + '.' + objectName + S + "92" + S + S;
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
