// Destroy, move, clear, control, update and query of existing workspaces and controls.
#include "hostforms/forms/RequestExecutors.h"

#include "common/HostText.h"
#include "common/WaitCursor.h"
#include "common/WinColor.h"
#include "common/objectrequest/TObjectRequest.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickEvents.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TPickSetters.h"
#include "hostforms/forms/TWorkspaceList.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextEdit>
#include <exception>

using namespace HostProtocol;

namespace ScreenCursors {

std::optional<int> shapeOf(int number) {
    switch (number) {
    case 0:
    case -1:
        return Qt::ArrowCursor;
    case -2:
        return Qt::ArrowCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
        return Qt::WaitCursor;
    case -12:
        return Qt::DragMoveCursor;
    case -13:
    case -18:
        return Qt::ForbiddenCursor;
    case -14:
        return Qt::SplitHCursor;
    case -15:
        return Qt::SplitVCursor;
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    case -22:
        return Qt::SizeAllCursor;
    default:
        return number < 0 ? std::optional<int>(Qt::ArrowCursor) : std::nullopt;
    }
}

} // namespace ScreenCursors

namespace {

int g_screenCursor = 0;

// The cursor the host set for the whole screen, held until it sets another. Never destroyed: at the
// program's end there is no application left to put a cursor back on.
std::optional<WaitCursor> &hostCursor() {
    static auto *held = new std::optional<WaitCursor>;
    return *held;
}

void setScreenCursor(int number) {
    const std::optional<int> shape = ScreenCursors::shapeOf(number);
    if (!shape) {
        return;
    }
    hostCursor().reset();
    g_screenCursor = number;
    if (number != 0) {
        hostCursor().emplace(QCursor(Qt::CursorShape(*shape)));
    }
}

const QByteArray kControler = "Object Controler";
const QByteArray kController = "Object Controller";

struct Target {
    TWinPick *ws = nullptr;
    QWidget *object = nullptr;
    PickType tag = PickType::None;
    QByteArray error;
};

// The common look-up: a workspace (E011, E013), then the object ("not found").
Target lookUp(const TObjectRequest &r, TWorkspaceList &list, bool object = true) {
    Target t;
    if (list.count() == 0) {
        t.error = E011();
        return t;
    }
    t.ws = list.FindWorkspace(r.ObjectName);
    if (!t.ws) {
        t.error = E013NoWorkspace();
        return t;
    }
    if (!object) {
        return t;
    }
    t.object = list.FindPickObject(t.ws, r.ObjectName);
    if (!t.object) {
        t.error = notFound(r.ObjectName);
        return t;
    }
    t.tag = t.ws->TagOf(t.object);
    return t;
}

void sendNow(TWorkspaceList &list, const QByteArray &component, const QByteArray &text) {
    if (list.HostSender) {
        list.HostSender(requestError(component, text));
    }
}

// The request's fields with position i = field i, read as a definition.
QByteArray parseDefinition(const TObjectRequest &r, TPickControl &def) {
    QList<QByteArray> fields;
    for (int i = 0; i <= r.fieldCount(); ++i) {
        fields.append(i == 0 ? QByteArray() : r.field(i));
    }
    return PickControl::ParsePickControl(fields, def);
}

bool isScreen(const TObjectRequest &r) {
    return r.ObjectName.trimmed().toLower() == "screen";
}

bool isForm(PickType tag) {
    return tag == PickType::FormWorkspace;
}

QByteArray text(const QString &s) {
    return HostText::fromUnicode(s);
}

} // namespace

int TRequestExecutors::ScreenCursor() {
    return g_screenCursor;
}

void TRequestExecutors::RestoreScreenCursor() {
    setScreenCursor(0);
}

// ---- destroy -------------------------------------------------------------------------------------

QByteArray TRequestExecutors::ExecuteDestroy(const TObjectRequest &request, TWorkspaceList &list) {
    const Target t = lookUp(request, list, false);
    if (!t.error.isEmpty()) {
        return t.error;
    }
    const QByteArray name = request.ObjectName.trimmed().toLower();
    if (name != t.ws->ContainerName().toLower()) {
        return list.DestroyPickObject(t.ws, name) ? QByteArray() : notDeleted(request.ObjectName);
    }
    try {
        list.Remove(t.ws);
    } catch (const std::exception &e) {
        return E021(e.what());
    }
    return {};
}

// ---- move ----------------------------------------------------------------------------------------

QByteArray TRequestExecutors::ExecuteMove(const TObjectRequest &request, TWorkspaceList &list) {
    const Target t = lookUp(request, list);
    if (!t.error.isEmpty()) {
        if (!t.ws || t.object) {
            return t.error;
        }
        sendNow(list, kControler, t.error);
        return t.error;
    }
    TPickControl def;
    if (QByteArray err = parseDefinition(request, def); !err.isEmpty()) {
        return err;
    }
    // Geometry and Align are set whether given or not: an empty field is 0 (Align none).
    const QRect g(def.Left, def.Top, std::max(0, def.Width), std::max(0, def.Height));
    if (isForm(t.tag)) {
        t.object->move(g.topLeft());
        t.object->resize(g.size());
        return {};
    }
    t.object->setGeometry(g);
    AlignLayout::Engine::setAlign(t.object, def.Align);
    AlignLayout::Engine::remember(t.object);
    TWorkspaceList::relayout(t.object->parentWidget());
    return {};
}

// ---- clear ---------------------------------------------------------------------------------------

QByteArray TRequestExecutors::ExecuteClear(const TObjectRequest &request, TWorkspaceList &list) {
    const Target t = lookUp(request, list);
    if (!t.error.isEmpty()) {
        return t.error;
    }
    const TPickEvents::Quiet quiet;
    QWidget *w = t.object;
    switch (t.tag) {
    case PickType::LabeledEdit:
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            e->clear();
            e->setMaxLength(32767); // 0 means no limit
        }
        break;
    case PickType::Label:
        if (auto *l = qobject_cast<QLabel *>(w)) {
            l->clear();
        }
        break;
    case PickType::Memo:
        if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
            m->clear();
        }
        break;
    case PickType::RichEdit:
        if (auto *r = qobject_cast<QTextEdit *>(w)) {
            r->clear();
        }
        break;
    case PickType::ListBox:
        if (auto *l = qobject_cast<QListWidget *>(w)) {
            l->clear();
        }
        break;
    case PickType::ComboBox:
        if (auto *c = qobject_cast<QComboBox *>(w)) {
            c->clear();
            c->clearEditText();
        }
        break;
    case PickType::Image:
        if (auto *i = qobject_cast<TPickImage *>(w)) {
            i->setPicture(QImage());
        }
        break;
    case PickType::Panel:
    case PickType::PrintPanel:
        if (auto *p = qobject_cast<TPickPanel *>(w)) {
            p->setCaption(QString());
        }
        break;
    case PickType::RadioButton:
    case PickType::CheckBox:
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            // A radio button in a group cannot be unchecked while the group is exclusive.
            const bool exclusive = b->autoExclusive();
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(exclusive);
        }
        break;
    case PickType::GridPanel:
        if (auto *g = qobject_cast<TgdGridPanel *>(w)) {
            g->Clear();
        }
        break;
    default:
        break;
    }
    return {};
}

// ---- control -------------------------------------------------------------------------------------

namespace {

QByteArray renameObject(TWorkspaceList &list, const Target &t, const TObjectRequest &request) {
    if (request.fieldCount() < Field::ObjectType || request.field(Field::ObjectType).trimmed().isEmpty()) {
        return E125NoName();
    }
    // The name keeps the case the host gave it (events report it so); look-ups ignore case.
    const QByteArray given = renamedName(request.field(Field::ObjectType));
    if (QByteArray why = PickNames::invalidReason(given); !why.isEmpty()) {
        return E125(why);
    }
    const QByteArray name = given.toLower();
    const bool container = t.object == t.ws->Container;
    const QByteArray containerName = t.ws->ContainerName().toLower();
    const bool taken = container
                           ? list.FindWorkspace(name) != nullptr && name != containerName
                           : (t.ws->FindObject(name) != nullptr && t.ws->FindObject(name) != t.object) ||
                                 name == containerName;
    if (taken) {
        return E125("A component named " + name + " already exists.");
    }
    t.object->setObjectName(QString::fromLatin1(given));
    if (!container) {
        t.ws->Rename(t.object, name);
    }
    return {};
}

QByteArray controlAction(TWorkspaceList &list, const Target &t, const TObjectRequest &request) {
    QWidget *w = t.object;
    switch (request.SubAction) {
    case int(ControlAction::Show):
        w->setVisible(true);
        if (isForm(t.tag)) {
            w->show();
            w->raise();
        }
        return {};
    case int(ControlAction::Hide):
        w->setVisible(false);
        return {};
    case int(ControlAction::Enable):
        w->setEnabled(true);
        return {};
    case int(ControlAction::Disable):
        w->setEnabled(false);
        return {};
    case int(ControlAction::SetFocus):
        // Qt ignores focus on a hidden or disabled widget without a word; the host is told.
        if (!w->isVisible() || !w->isEnabled()) {
            return E124("Cannot focus a disabled or invisible window");
        }
        if (isForm(t.tag)) {
            w->activateWindow();
        }
        w->setFocus(Qt::OtherFocusReason);
        return {};
    case int(ControlAction::Rename):
        return renameObject(list, t, request);
    default:
        return E012ControlAction(request.SubAction);
    }
}

} // namespace

QByteArray TRequestExecutors::ExecuteControl(const TObjectRequest &request, TWorkspaceList &list) {
    const Target t = lookUp(request, list);
    if (!t.error.isEmpty()) {
        if (t.ws && !t.object) {
            sendNow(list, kControler, t.error);
        }
        return t.error;
    }
    const QByteArray err = controlAction(list, t, request);
    if (!err.isEmpty()) {
        sendNow(list, kController, err);
    }
    return err;
}

// ---- update --------------------------------------------------------------------------------------

QByteArray TRequestExecutors::ExecuteUpdate(const TObjectRequest &request, TWorkspaceList &list) {
    TPickControl def;
    if (isScreen(request)) {
        if (QByteArray err = parseDefinition(request, def); !err.isEmpty()) {
            return err;
        }
        if (def.given(Field::TabOrder) && def.TabOrder <= 0) {
            setScreenCursor(def.TabOrder);
        }
        return {};
    }
    const Target t = lookUp(request, list);
    if (!t.error.isEmpty()) {
        return t.error;
    }
    switch (t.tag) {
    case PickType::None:
    case PickType::Unknown:
    case PickType::WebBrowser:
    case PickType::Bevel:
        return updateNotImplemented();
    default:
        break;
    }
    def.ObjectType = t.tag;
    if (QByteArray err = parseDefinition(request, def); !err.isEmpty()) {
        return err;
    }
    def.ObjectType = t.tag;
    def.Update = true;
    def.SubAction = request.SubAction;
    def.Name = t.object->objectName().toLatin1();
    QWidget *parentControl = nullptr;
    if (def.given(Field::Parent)) {
        parentControl = list.FindPickObject(list.FindWorkspace(def.Parent), def.Parent);
        if (parentControl && !TWorkspaceList::canHoldControls(parentControl)) {
            parentControl = nullptr;
        }
    }
    const QByteArray err = list.ApplyDefinition(t.ws, t.object, t.tag, def, parentControl);
    list.InstallHooks(t.object, t.tag);
    TWorkspaceList::relayout(t.object->parentWidget());
    return err;
}

// ---- query ---------------------------------------------------------------------------------------

namespace {

QList<QByteArray> queryFields(const TObjectRequest &request) {
    QList<QByteArray> f;
    for (int i = 0; i <= std::max(request.fieldCount(), Field::Position); ++i) {
        f.append(i == 0 ? QByteArray() : request.field(i));
    }
    return f;
}

bool wanted(const QList<QByteArray> &f, int i) {
    // Fields 4 to 15 are answered when they hold anything, the others when they hold "*".
    if (i < 0 || i >= f.size()) {
        return false;
    }
    return i <= Field::Anchors ? !f[i].trimmed().isEmpty() : f[i].trimmed() == "*";
}

QList<EncodedValue> replyFields(const QList<QByteArray> &f, const QMap<int, EncodedValue> &answers) {
    QList<EncodedValue> out;
    for (int i = Field::Left; i < f.size(); ++i) {
        out.append(answers.contains(i) ? answers.value(i) : userText(f[i]));
    }
    return out;
}

EncodedValue number(qint64 v) {
    return trustedValue(QByteArray::number(v));
}

QByteArray alignWord(Align a) {
    static const char *const words[] = {"none", "top", "bottom", "left", "right", "client", "custom"};
    return words[int(a)];
}

QByteArray anchorWords(unsigned anchors) {
    if (anchors == 0) {
        anchors = AnchorLeft | AnchorTop;
    }
    QByteArray out;
    out += anchors & AnchorLeft ? "left," : "";
    out += anchors & AnchorTop ? "top," : "";
    out += anchors & AnchorRight ? "right," : "";
    out += anchors & AnchorBottom ? "bottom" : "";
    return out;
}

QByteArray colourNumber(QWidget *w, PickType tag) {
    const QVariant given = w->property(kColourNumberProperty);
    if (given.isValid()) {
        return QByteArray::number(given.toLongLong());
    }
    const bool base = tag == PickType::LabeledEdit || tag == PickType::Memo || tag == PickType::RichEdit ||
                      tag == PickType::ListBox || tag == PickType::ComboBox;
    return QByteArray::number(qColorToBgr(w->palette().color(base ? QPalette::Base : QPalette::Window)));
}

QByteArray scrollBarWord(const QAbstractScrollArea *a) {
    const bool h = a->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    const bool v = a->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    return h && v ? "both" : h ? "horizontal" : v ? "vertical" : "none";
}

QByteArray yesNo(bool on) {
    return on ? "yes" : "no";
}

QByteArray caption(QWidget *w) {
    if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        return text(b->text());
    }
    if (auto *l = qobject_cast<QLabel *>(w)) {
        return text(l->text());
    }
    if (auto *p = qobject_cast<TPickPanel *>(w)) {
        return text(p->caption());
    }
    if (auto *c = qobject_cast<QComboBox *>(w)) {
        return text(c->currentText());
    }
    if (auto *l = qobject_cast<QListWidget *>(w)) {
        return QByteArray::number(l->currentRow());
    }
    if (w->isWindow()) {
        return text(w->windowTitle());
    }
    return {};
}

// Lines from field `first` on replace what the request held there.
void putLines(QList<QByteArray> &f, QMap<int, EncodedValue> &answers, int first,
              const QList<QByteArray> &lines) {
    while (f.size() < first + lines.size()) {
        f.append(QByteArray());
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        answers.insert(first + int(i), userText(lines[i]));
    }
}

QList<QByteArray> memoLines(QWidget *w) {
    QString all;
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        all = m->toPlainText();
    } else if (auto *r = qobject_cast<QTextEdit *>(w)) {
        all = r->toPlainText();
    }
    QList<QByteArray> out;
    if (all.isEmpty()) {
        return out;
    }
    for (const QString &l : all.split('\n')) {
        out.append(text(l));
    }
    return out;
}

void perType(QWidget *w, PickType tag, QList<QByteArray> &f, QMap<int, EncodedValue> &answers) {
    switch (tag) {
    case PickType::LabeledEdit:
        if (auto *e = qobject_cast<TLabeledEdit *>(w)) {
            static const char *const positions[] = {"above", "below", "left", "right"};
            if (wanted(f, Field::Value)) {
                answers.insert(Field::Value, userText(text(e->EditLabel()->text())));
            }
            if (wanted(f, Field::Edit::Text)) {
                answers.insert(Field::Edit::Text, userText(text(e->text())));
            }
            if (wanted(f, Field::Edit::MaxLength)) {
                answers.insert(Field::Edit::MaxLength, number(e->maxLength()));
            }
            if (wanted(f, Field::Edit::LabelPositionWords)) {
                answers.insert(Field::Edit::LabelPositionWords,
                               trustedValue(positions[std::clamp(e->LabelPosition(), 0, 3)]));
            }
        }
        break;
    case PickType::Memo:
    case PickType::RichEdit:
        if (auto *a = qobject_cast<QAbstractScrollArea *>(w)) {
            if (wanted(f, Field::Memo::ScrollBars)) {
                answers.insert(Field::Memo::ScrollBars, trustedValue(scrollBarWord(a)));
            }
            const auto *plain = qobject_cast<QPlainTextEdit *>(w);
            const auto *rich = qobject_cast<QTextEdit *>(w);
            if (wanted(f, Field::Memo::ReadOnly)) {
                answers.insert(Field::Memo::ReadOnly,
                               trustedValue(yesNo(plain ? plain->isReadOnly() : rich && rich->isReadOnly())));
            }
            if (wanted(f, Field::Memo::WordWrap)) {
                const bool wrap = plain ? plain->lineWrapMode() != QPlainTextEdit::NoWrap
                                        : rich && rich->lineWrapMode() != QTextEdit::NoWrap;
                answers.insert(Field::Memo::WordWrap, trustedValue(yesNo(wrap)));
            }
            if (wanted(f, Field::Value)) {
                // The whole text, its line breaks as the host writes them.
                answers.insert(Field::Value, linesValue(memoLines(w)));
            }
            if (wanted(f, Field::Memo::Lines)) {
                putLines(f, answers, Field::Memo::Lines, memoLines(w));
            }
        }
        break;
    case PickType::RadioButton:
    case PickType::CheckBox:
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && wanted(f, Field::Check::Checked)) {
            answers.insert(Field::Check::Checked, trustedValue(yesNo(b->isChecked())));
        }
        break;
    case PickType::GridPanel:
        if (auto *g = qobject_cast<TgdGridPanel *>(w)) {
            if (wanted(f, Field::Value)) {
                answers.insert(Field::Value, userText(g->WidthFactors()));
            }
            if (wanted(f, Field::Grid::Fixed)) {
                answers.insert(Field::Grid::Fixed, trustedValue(QByteArray::number(g->FixedRows()) + ',' +
                                                                QByteArray::number(g->FixedCols())));
            }
            if (wanted(f, Field::Grid::FirstRow)) {
                putLines(f, answers, Field::Grid::FirstRow, g->rowTexts(0));
            }
        }
        break;
    default:
        break;
    }
}

QByteArray parentName(QWidget *w, TWinPick *ws) {
    QWidget *p = w->parentWidget();
    if (!p) {
        return {};
    }
    if (p == ws->Client() || p == ws->Container) {
        return ws->ContainerName();
    }
    return p->objectName().toLatin1();
}

} // namespace

QByteArray TRequestExecutors::ExecuteQuery(const TObjectRequest &request, TWorkspaceList &list) {
    QList<QByteArray> f = queryFields(request);
    QMap<int, EncodedValue> answers;
    if (isScreen(request)) {
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        const qint64 values[] = {area.left(),    area.top(),
                                 area.width(),   area.height(),
                                 g_screenCursor, screen ? qRound(screen->logicalDotsPerInch()) : 96};
        for (int i = Field::Left; i <= Field::Colour; ++i) {
            if (wanted(f, i)) {
                answers.insert(i, number(values[i - Field::Left]));
            }
        }
        QList<EncodedValue> out = replyFields(f, answers);
        if (wanted(f, Field::Value)) {
            // The installed font names, one per field, take the place of field 17.
            QList<EncodedValue> names;
            for (const QString &family : QFontDatabase::families()) {
                names.append(userText(text(family)));
            }
            const qsizetype at = Field::Value - Field::Left;
            out.remove(at);
            for (qsizetype i = 0; i < names.size(); ++i) {
                out.insert(at + i, names[i]);
            }
        }
        if (list.HostSender) {
            list.HostSender(queryReply("screen", out));
        }
        return {};
    }
    const Target t = lookUp(request, list);
    if (!t.error.isEmpty()) {
        return t.error;
    }
    QWidget *w = t.object;
    const bool form = isForm(t.tag);
    const QRect g = form ? QRect(w->pos(), w->size()) : w->geometry();
    const qint64 geometry[] = {g.left(), g.top(), g.width(), g.height(),
                               w->property(PickProperties::kTabOrder).toInt()};
    for (int i = Field::Left; i <= Field::TabOrder; ++i) {
        if (wanted(f, i)) {
            answers.insert(i, number(geometry[i - Field::Left]));
        }
    }
    if (!form && wanted(f, Field::Align)) {
        answers.insert(Field::Align, trustedValue(alignWord(AlignLayout::Engine::alignOf(w))));
    }
    if (wanted(f, Field::Parent)) {
        answers.insert(Field::Parent, trustedValue(parentName(w, t.ws)));
    }
    if (!form && wanted(f, Field::Anchors)) {
        answers.insert(Field::Anchors, trustedValue(anchorWords(AlignLayout::Engine::anchorsOf(w))));
    }
    const bool plain = t.tag == PickType::Image || t.tag == PickType::Splitter || t.tag == PickType::Bevel;
    if (!plain) {
        if (f.value(Field::Colour).trimmed() == "*") {
            answers.insert(Field::Colour, trustedValue(colourNumber(w, t.tag)));
        }
        if (f.value(Field::Font).trimmed() == "*") {
            answers.insert(Field::Font, trustedValue(PickControl::FontToText(w->font())));
        }
        if (wanted(f, Field::Events)) {
            const TPickEvents *hooks = TPickEvents::of(w);
            answers.insert(Field::Events, trustedValue(TPickEvents::hookWords(hooks ? hooks->hooks() : 0)));
        }
        if (t.tag != PickType::ResultEntry && wanted(f, Field::Value)) {
            answers.insert(Field::Value, userText(caption(w)));
        }
        perType(w, t.tag, f, answers);
    }
    const QByteArray replyName = t.ws->ContainerName() + '.' + w->objectName().toLatin1();
    if (list.HostSender) {
        list.HostSender(queryReply(replyName, replyFields(f, answers)));
    }
    return {};
}
