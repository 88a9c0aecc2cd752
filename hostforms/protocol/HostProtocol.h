// Wire format of host-driven forms: the frame, the fields of a request, the keyword vocabulary,
// request types and control actions, the messages sent to the host and the fixed error texts.
// Everything is bytes; text the user typed reaches a message only through HostProtocol::userText.
#pragma once

#include "common/HostText.h"
#include "common/objectrequest/TObjectRequest.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

namespace HostProtocol {

constexpr char kFrameStart = HostText::kFrameStart;
constexpr char kFrameEnd = HostText::kFrameEnd;
constexpr char kFieldSeparator = '\x03';
constexpr char kValueMark = HostText::kValueMark;
constexpr char kSubValueMark = HostText::kSubValueMark;

// 0x9F message 0x9B.
QByteArray frame(const QByteArray &message);
// Frames and sends the message when the link is connected; otherwise nothing is written and
// false comes back (messages are not queued).
bool sendFramed(HostLink *link, const QByteArray &message);

// A value text that is safe inside a message: made only by the functions below, so that every
// piece of user-originated text has gone through the one encoder.
class EncodedValue {
public:
    EncodedValue() = default;
    const QByteArray &bytes() const { return m_bytes; }
    bool operator==(const EncodedValue &) const = default;

private:
    explicit EncodedValue(QByteArray b) : m_bytes(std::move(b)) {}
    QByteArray m_bytes;
    friend EncodedValue userText(const QByteArray &);
    friend EncodedValue joinValues(const QList<EncodedValue> &, char, bool);
    friend EncodedValue trustedValue(const QByteArray &);
};

// Text that came from the user, through the one encoder HostText::userText.
EncodedValue userText(const QByteArray &text);
// Values joined by a separator the layout defines (0xFD between list entries or lines, 0x03 between
// grid cells); `after` puts the separator after every value instead of between them.
EncodedValue joinValues(const QList<EncodedValue> &values, char separator, bool after);
// Text made by the program itself (numbers, fixed words): passed unchanged.
EncodedValue trustedValue(const QByteArray &text);

// Value texts by object type.
EncodedValue editValue(const QByteArray &text);                                  // 2 labeled edit
EncodedValue listBoxValue(const QList<QByteArray> &selectedItems);               // 6 list box
EncodedValue comboValue(const QByteArray &text, const QList<QByteArray> &items); // 7 combo box
EncodedValue checkValue(bool set);                                               // 13 radio, 14 check box
EncodedValue linesValue(const QList<QByteArray> &lines);                         // lines joined by 0xFD
// 16 grid panel: visible rows "," visible columns 0x03, then the row's cells each followed by 0x03
// (whole rows selected) or the current cell's text.
EncodedValue gridValue(int visibleRows, int visibleColumns, const QList<QByteArray> &cells, bool wholeRow);

enum ShiftFlag : unsigned {
    ShiftKey = 1,
    AltKey = 2,
    CtrlKey = 4,
    LeftButton = 8,
    RightButton = 16,
    MiddleButton = 32,
    DoubleClick = 64,
};
// "shift," "alt," "ctrl," "left," "right," "middle," "double," in this order, for the flags set.
QByteArray shiftWords(unsigned flags);

enum class MouseButton { Left, Right, Middle };
QByteArray buttonWord(MouseButton b);

// Request types (field 2) and the component names used in error replies.
// Types 1 to 9 go to the host-forms container, which answers the 9 it does not know with E003; 10 is a
// client command, handled by the main window.
enum class RequestType {
    Create = 1,
    Destroy,
    Move,
    Clear,
    Control,
    Update,
    Query,
    MenuTree,
    LastContainer = 9,
    ClientCommand = 10
};
QByteArray componentName(int requestType);
enum class ControlAction { Show = 0, Hide, Enable, Disable, SetFocus, Rename };
// Field 3 of a rename with every punctuation character and blank removed.
QByteArray renamedName(const QByteArray &field3);

// Object types (field 3 of a create request) and the Tag each control carries. A check box is
// created as 13 and carries 14; 19 is the type of a parsed font definition, which no control has.
enum class PickType : int {
    Unknown = -1,
    None = 0,
    ScrollWorkspace = 1,
    LabeledEdit = 2,
    Label = 3,
    Memo = 4,
    RichEdit = 5,
    ListBox = 6,
    ComboBox = 7,
    Image = 8,
    Button = 10,
    Splitter = 11,
    Panel = 12,
    RadioButton = 13,
    CheckBox = 14,
    WebBrowser = 15,
    GridPanel = 16,
    FormWorkspace = 17,
    FontDefinition = 19,
    Bevel = 21,
    ResultEntry = 22,
    PrintPanel = 23,
};
constexpr int typeNumber(PickType t) {
    return int(t);
}
// The type a number names; Unknown for numbers no control or definition has.
PickType pickTypeOf(qint64 number);
constexpr bool isWorkspace(PickType t) {
    return t == PickType::ScrollWorkspace || t == PickType::FormWorkspace;
}

// Field numbers of a request (position i = field i). Fields 18 to 23 mean something per type.
namespace Field {
constexpr int Name = 1;
constexpr int RequestType = 2;
constexpr int ObjectType = 3; // also the new name of a rename, the first line of a menu tree
constexpr int Left = 4;
constexpr int Top = 5;
constexpr int Width = 6;
constexpr int Height = 7;
constexpr int TabOrder = 8;
constexpr int Colour = 9;
constexpr int Align = 10;
constexpr int Alignment = 11;
constexpr int Font = 12;
constexpr int ObjectStyle = 13;
constexpr int Parent = 14;
constexpr int Anchors = 15;
constexpr int Events = 16;
constexpr int Value = 17;
constexpr int TextOut = 24;  // hint
constexpr int Position = 25; // X "]" Y "]" text
constexpr int LastDefinition = 31;
constexpr int WorkspaceEventName = 18;
namespace Edit {
constexpr int Text = 18, MaxLength = 19, LabelWordWrap = 20, LabelPositionWords = 21, LabelPlacement = 22;
}
namespace Memo {
constexpr int ScrollBars = 18, ReadOnly = 19, WordWrap = 20, Lines = 21;
}
namespace List {
constexpr int Items = 18;
}
namespace Check {
constexpr int Kind = 18, Checked = 19;
}
namespace Grid {
constexpr int Fixed = 18, ReadOnly = 19, RowSelect = 20, SortedColumn = 21, FirstRow = 22;
}
namespace Result {
constexpr int Header = 18, Footer = 19, DisplayState = 20, PrintSettings = 21, FirstData = 22;
}
// Positions of a font definition (read like a definition of type 19).
namespace FontPos {
constexpr int Size = 4, Height = 5, PitchGiven = 8, Colour = 9, StyleGiven = 10, Pitch = 11, Style = 13,
              Name = 17;
}
} // namespace Field

// Field numbering and the presence mask: bit i set when field i (1..31) is not empty, fields 1-16
// counted after trimming. Fields after the 31st are kept in the request; only the mask ignores them.
constexpr int kFieldValue = Field::Value;
uint32_t presenceMask(const TObjectRequest &request);
// Fields 1-16 as they are used: trimmed and lower-cased.
QByteArray definitionField(const TObjectRequest &request, int i);

// Whole numbers of a definition (geometry, tab order, colour, object type): optional sign and
// decimal digits, read into 64 bits without the locale; blanks around are allowed, anything else
// (or an overflow) is not a number.
std::optional<qint64> readInteger(const QByteArray &field);
// Field 3 as an object type: -1 when it is not a whole number.
int objectType(const TObjectRequest &request);
// Geometry handed to the widgets stays within what they can take.
int clampGeometry(qint64 value);

enum class Align { None, Top, Bottom, Left, Right, Client, Custom };

struct AlignmentWords {
    int TextAlignment = 0; // left, right, centre
    int LabelPosition = 2; // above, below, left, right
    int Layout = 0;        // top, centre, bottom
    std::optional<int> Pitch;
    int Bevel = 0; // box, frame, top line, bottom line, left line, right line, spacer
};

struct StyleWords {
    std::optional<int> PanelBorder; // 0 none, 1 single
    std::optional<int> FormBorder;  // none, single, sizeable, dialog, tool window, sizeable tool window
    std::optional<int> ComboStyle;  // drop-down, simple, drop-down list, owner-draw fixed, variable
    std::optional<int> Layout;      // top, centre, bottom
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
};

// What the keywords of fields 10, 11 and 13 set; each keyword row applies its own effect.
struct KeywordEffects {
    std::optional<Align> align;
    AlignmentWords alignment;
    StyleWords style;
};

// Keyword table (numbers 1-62). Event words (field 16) set nothing here: the hooks read them.
enum class KeywordTest { Exact, Contains };
struct Keyword {
    int number;
    const char *word;
    int field;
    KeywordTest test;
    void (*effect)(KeywordEffects &);
};
const QList<Keyword> &keywordTable();
// Keyword numbers of `field` matched by the lower-cased field text, in table order.
QList<int> matchKeywords(int field, const QByteArray &lowerText);
// Applies the effects of the keywords of `field` that the text matches, in table order.
void applyKeywords(int field, const QByteArray &text, KeywordEffects &effects);

std::optional<Align> readAlign(const QByteArray &field10);
AlignmentWords readAlignment(const QByteArray &field11);
StyleWords readObjectStyle(const QByteArray &field13);

enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
unsigned readAnchors(const QByteArray &field15);

// Field 16 stored as "," + list + "," (lower-cased). Which hooks its words install is decided per
// control family by substrings of this text (the host-forms event hooks).
QByteArray eventList(const QByteArray &field16);

// Messages to the host (the text between the frame bytes). `name` and `workspace` are names the
// host gave; `value` is a value text made above.
QByteArray menuPick(const QByteArray &name, const QByteArray &menuText, const QByteArray &itemText);
QByteArray clickEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value);
QByteArray keyPressEvent(const QByteArray &name, const QByteArray &workspace, char character,
                         const EncodedValue &value);
QByteArray keyDownEvent(const QByteArray &name, const QByteArray &workspace, int key, unsigned shift,
                        const EncodedValue &value);
QByteArray keyUpEvent(const QByteArray &name, const QByteArray &workspace, int key, unsigned shift,
                      const EncodedValue &value);
QByteArray exitEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value);
QByteArray enterEvent(const QByteArray &name);
QByteArray mouseDownEvent(const QByteArray &name, const QByteArray &workspace, MouseButton b, unsigned shift,
                          int x, int y, const EncodedValue &value);
QByteArray mouseUpEvent(const QByteArray &name, const QByteArray &workspace, MouseButton b, unsigned shift,
                        int x, int y, const EncodedValue &value);
QByteArray changeEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value);
QByteArray gridChangeEvent(const QByteArray &name, const QByteArray &workspace, int visibleRows, int rowCount,
                           int sortedColumn, const EncodedValue &data);
QByteArray resultChangeEvent(const QByteArray &name, const QByteArray &workspace, int fieldNumber,
                             const EncodedValue &fieldValue);
QByteArray doubleClickEvent(const QByteArray &name, const QByteArray &workspace, const EncodedValue &value);
QByteArray endDragEvent(const QByteArray &name, const QByteArray &workspace, const QByteArray &target, int x,
                        int y, const EncodedValue &value);
QByteArray startDragEvent(const QByteArray &dragName, const QByteArray &workspace, const QByteArray &name,
                          int x, int y, const EncodedValue &value);
QByteArray closeQueryEvent(const QByteArray &formName, const QByteArray &workspace);
QByteArray destroyedEvent(const QByteArray &name, const QByteArray &workspace, int objectType);
QByteArray createdEvent(const QByteArray &name, const QByteArray &workspace, int objectType);
// The reply name (container name "." object name, or "screen"), then definition fields 4 onward,
// each followed by 0x03, then one more 0x03.
QByteArray queryReply(const QByteArray &replyName, const QList<EncodedValue> &fieldsFrom4);
QByteArray resultSave(const QByteArray &name, const QByteArray &workspace, const QList<QByteArray> &lines);
QByteArray resultAbort(const QByteArray &name, const QByteArray &workspace);
QByteArray requestError(const QByteArray &component, const QByteArray &errorText);
QByteArray objectError(const QByteArray &name, const QByteArray &workspace, const QByteArray &errorText);

// Error texts. A reason comes from a failure message and may hold any byte; it is encoded.
QByteArray E001();
QByteArray E002(const QByteArray &field2);
QByteArray E003(int type);
QByteArray E010(const QByteArray &field3);
QByteArray E011();
QByteArray E012TooFew();
QByteArray E012ControlAction(int d);
QByteArray E013Field(const QByteArray &fieldName, const QByteArray &reason);
QByteArray E013NoWorkspace();
QByteArray E013Parent(const QByteArray &reason);
QByteArray E020(const QByteArray &name, const QByteArray &reason);
QByteArray E021(const QByteArray &reason);
QByteArray E124(const QByteArray &reason);
QByteArray E125(const QByteArray &reason);
QByteArray E125NoName();
QByteArray notFound(const QByteArray &name);
QByteArray notDeleted(const QByteArray &name);
QByteArray updateNotImplemented();
// Field names used in E013, by field number 4-24 (empty for fields without a name).
QByteArray definitionFieldName(int field);

} // namespace HostProtocol
