// Event hooks of host controls: which events field 16 asks for, and the messages they send.
#include "hostforms/forms/TPickEvents.h"

#include "common/HostText.h"
#include "hostforms/forms/GridPanelRules.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TWorkspaceList.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "terminal/core/TVtKeyTranslation.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextEdit>

using namespace HostProtocol;

int TPickEvents::s_quiet = 0;

namespace {

constexpr const char *kHooksProperty = "orvaHooks";
constexpr int kEnterKey = 13;

// What each family honours (the words of other families are ignored).
unsigned honoured(PickType tag) {
    using H = TPickEvents;
    const unsigned keys = H::KeyUp | H::KeyDown | H::KeyPress;
    const unsigned mouse = H::MouseUp | H::MouseDown;
    const unsigned focus = H::Exit | H::Enter;
    switch (tag) {
    case PickType::LabeledEdit:
        return keys | mouse | focus | H::Click | H::DoubleClick | H::Change | H::EndDrag |
               H::KeyDownDefaultColour | H::MouseDownDefaultColour;
    case PickType::Label:
    case PickType::Image:
        return mouse | H::Click | H::DoubleClick | H::EndDrag;
    case PickType::Button:
        return keys | mouse | focus | H::Click | H::EndDrag;
    case PickType::Memo:
        return keys | mouse | focus | H::Click | H::DoubleClick | H::Change | H::EndDrag |
               H::KeyDownDefaultColour | H::MouseDownDefaultColour;
    case PickType::RichEdit:
        return keys | mouse | focus | H::Change | H::EndDrag;
    case PickType::ListBox:
        return keys | mouse | focus | H::Click | H::DoubleClick | H::EndDrag;
    case PickType::ComboBox:
        return keys | focus | H::Click | H::DoubleClick | H::Change | H::EndDrag | H::KeyDownDefaultColour;
    case PickType::Panel:
    case PickType::PrintPanel:
        return mouse | focus | H::Click | H::DoubleClick | H::EndDrag;
    case PickType::RadioButton:
        return keys | mouse | focus | H::Click | H::DoubleClick | H::EndDrag;
    case PickType::CheckBox:
        return keys | mouse | focus | H::Click | H::EndDrag;
    case PickType::ScrollWorkspace:
    case PickType::FormWorkspace:
        return mouse | H::Click | H::DoubleClick;
    case PickType::GridPanel:
        return keys | mouse | focus | H::Click | H::DoubleClick | H::Change | H::EndDrag;
    case PickType::ResultEntry:
        return mouse | H::Click | H::DoubleClick | H::Save | H::Change | H::Abort;
    default:
        return 0;
    }
}

unsigned mouseShift(Qt::MouseButtons buttons) {
    unsigned s = 0;
    s |= buttons & Qt::LeftButton ? unsigned(LeftButton) : 0u;
    s |= buttons & Qt::RightButton ? unsigned(RightButton) : 0u;
    s |= buttons & Qt::MiddleButton ? unsigned(MiddleButton) : 0u;
    return s;
}

std::optional<MouseButton> buttonOf(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

bool isButton(PickType tag) {
    return tag == PickType::Button || tag == PickType::RadioButton || tag == PickType::CheckBox;
}

} // namespace

unsigned TPickEvents::hooksFor(PickType tag, const QByteArray &events, bool given) {
    const bool edit = tag == PickType::LabeledEdit;
    unsigned h = 0;
    auto has = [&events](const char *word, unsigned hook) { return events.contains(word) ? hook : 0u; };
    h |= has("mouseup", MouseUp);
    // The labeled edit tells "mousedown" from "mousedowndefcol" by the comma after it.
    h |= has(edit ? "mousedown," : "mousedown", MouseDown);
    h |= has("mousedowndefcol", MouseDownDefaultColour);
    h |= has(",click,", Click);
    h |= has("doublecl", DoubleClick);
    h |= has("keyup,", KeyUp);
    h |= has(edit ? "keydown," : "keydown", KeyDown);
    h |= has("keydowndefcol", KeyDownDefaultColour);
    h |= has("keypress", KeyPress);
    h |= has("exit", Exit);
    h |= has("enter", Enter);
    h |= has("change", Change);
    h |= has("enddrag", EndDrag);
    h |= has("save", Save);
    h |= has("abort", Abort);
    if (tag == PickType::Button && given) {
        h |= Click;
    }
    return h & honoured(tag);
}

QByteArray TPickEvents::hookWords(unsigned hooks) {
    static const struct {
        unsigned hook;
        const char *word;
    } order[] = {{Click, "click"},
                 {KeyPress, "keypress"},
                 {KeyDown | KeyDownDefaultColour, "keydown"},
                 {KeyUp, "keyup"},
                 {Exit, "exit"},
                 {Enter, "enter"},
                 {MouseDown | MouseDownDefaultColour, "mousedown"},
                 {MouseUp, "mouseup"},
                 {Change, "change"},
                 {DoubleClick, "doubleclick"},
                 {EndDrag, "enddrag"}};
    QByteArray out;
    for (const auto &w : order) {
        if (hooks & w.hook) {
            out += w.word;
        }
    }
    return out;
}

TPickEvents::TPickEvents(const std::shared_ptr<TWorkspaceList *> &list, QWidget *control, PickType tag)
    : QObject(control), m_list(list), m_control(control), m_tag(tag) {
    setObjectName(QStringLiteral("orvaEventHooks"));
    connectSignals();
}

TPickEvents *TPickEvents::attach(const std::shared_ptr<TWorkspaceList *> &list, QWidget *control,
                                 PickType tag) {
    if (TPickEvents *existing = of(control)) {
        return existing;
    }
    return new TPickEvents(list, control, tag);
}

TPickEvents *TPickEvents::of(const QWidget *control) {
    return control ? control->findChild<TPickEvents *>(QStringLiteral("orvaEventHooks"),
                                                       Qt::FindDirectChildrenOnly)
                   : nullptr;
}

void TPickEvents::watch(QObject *o, bool on) {
    if (!o) {
        return;
    }
    o->removeEventFilter(this);
    if (on) {
        o->installEventFilter(this);
    }
}

void TPickEvents::install() {
    if (!m_control) {
        return;
    }
    const QVariant stored = m_control->property(PickProperties::kEvents);
    m_hooks = hooksFor(m_tag, stored.toByteArray(), stored.isValid());
    m_control->setProperty(kHooksProperty, m_hooks);
    const bool on = m_hooks != 0;
    watch(m_control, on);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(m_control.data())) {
        watch(area->viewport(), on);
    }
    if (auto *combo = qobject_cast<QComboBox *>(m_control.data())) {
        watch(combo->lineEdit(), on);
    }
    if (auto *grid = qobject_cast<TgdGridPanel *>(m_control.data())) {
        watch(grid->StringGrid(), on);
        watch(grid->StringGrid()->viewport(), on);
    }
    if (auto *result = qobject_cast<TkalvexResult *>(m_control.data())) {
        watch(result->KxResult(), on);
    }
}

void TPickEvents::connectSignals() {
    QWidget *c = m_control;
    auto change = [this] {
        if (hooked(Change)) {
            send(changeEvent(name(), wsName(), value()));
        }
    };
    if (auto *e = qobject_cast<QLineEdit *>(c)) {
        connect(e, &QLineEdit::textChanged, this, change);
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(c)) {
        connect(m, &QPlainTextEdit::textChanged, this, change);
    } else if (auto *r = qobject_cast<QTextEdit *>(c)) {
        connect(r, &QTextEdit::textChanged, this, change);
    } else if (auto *combo = qobject_cast<QComboBox *>(c)) {
        connect(combo, &QComboBox::currentTextChanged, this, change);
        connect(combo, &QComboBox::activated, this, [this] {
            if (hooked(Click)) {
                send(clickEvent(name(), wsName(), value()));
            }
        });
    } else if (auto *b = qobject_cast<QAbstractButton *>(c)) {
        connect(b, &QAbstractButton::clicked, this, [this] {
            if (hooked(Click)) {
                send(clickEvent(name(), wsName(), value()));
            }
        });
    } else if (auto *grid = qobject_cast<TgdGridPanel *>(c)) {
        grid->onChange = [this](int column, int row, const QByteArray &text) {
            gridChanged(column, row, text);
        };
    } else if (auto *result = qobject_cast<TkalvexResult *>(c)) {
        QPointer<TPickEvents> self(this);
        // The control reports only what the user typed and what its rules recalculated, never the
        // host's own values, so a change is sent even while host results are applied: a value
        // the rules derive from them is news to the host.
        result->SetOnChange([self](int field, const QByteArray &text) {
            if (self && self->asked(Change)) {
                self->send(resultChangeEvent(self->name(), self->wsName(), field, userText(text)));
            }
        });
        result->SetOnSave([self](const QList<QByteArray> &lines) {
            if (self && self->hooked(Save)) {
                self->send(resultSave(self->name(), self->wsName(), lines));
            }
        });
        result->SetOnAbort([self] {
            if (self && self->hooked(Abort)) {
                self->send(resultAbort(self->name(), self->wsName()));
            }
        });
    }
}

bool TPickEvents::asked(unsigned hook) const {
    if (!m_control) {
        return false;
    }
    const QVariant stored = m_control->property(PickProperties::kEvents);
    return (hooksFor(m_tag, stored.toByteArray(), stored.isValid()) & hook) != 0;
}

void TPickEvents::gridChanged(int column, int row, const QByteArray &text) {
    auto *grid = qobject_cast<TgdGridPanel *>(m_control.data());
    if (!grid) {
        return;
    }
    if (text == TgdGridPanel::kEndUpdate) {
        // Sent even while host data is applied: the end of a fill is the host's own news. The words
        // are read as stored now, since a create reaches its rows before its hooks are installed.
        if (!asked(Change)) {
            return;
        }
        // The first row after the fixed columns' count, as the host reads it; missing rows are empty.
        const QList<QByteArray> first = grid->rowTexts(grid->FixedCols() + 1);
        const QList<QByteArray> last = grid->rowTexts(grid->StringGrid()->rowCount() - 1);
        send(gridChangeEvent(name(), wsName(), column, row, grid->SortedColumn,
                             GridPanelRules::endUpdateData(first, last)));
        return;
    }
    if (hooked(Change)) {
        send(gridChangeEvent(name(), wsName(), column, row, grid->SortedColumn, userText(text)));
    }
}

TWinPick *TPickEvents::workspace() const {
    TWorkspaceList *list = m_list ? *m_list : nullptr;
    return list && m_control ? list->WorkspaceOf(m_control) : nullptr;
}

void TPickEvents::send(const QByteArray &message) const {
    if (TWinPick *ws = workspace()) {
        ws->send(message);
    }
}

QByteArray TPickEvents::name() const {
    return m_control ? m_control->objectName().toLatin1() : QByteArray();
}

QByteArray TPickEvents::wsName() const {
    TWinPick *ws = workspace();
    return ws ? ws->Name : QByteArray();
}

EncodedValue TPickEvents::value() const {
    return valueText(m_control, m_tag);
}

EncodedValue TPickEvents::valueText(QWidget *control, PickType tag) {
    switch (tag) {
    case PickType::LabeledEdit:
        if (auto *e = qobject_cast<QLineEdit *>(control)) {
            return editValue(HostText::fromUnicode(e->text()));
        }
        break;
    case PickType::ListBox:
        if (auto *l = qobject_cast<QListWidget *>(control)) {
            QList<QByteArray> selected;
            for (int i = 0; i < l->count(); ++i) {
                if (l->item(i)->isSelected()) {
                    selected.append(HostText::fromUnicode(l->item(i)->text()));
                }
            }
            return listBoxValue(selected);
        }
        break;
    case PickType::ComboBox:
        if (auto *c = qobject_cast<QComboBox *>(control)) {
            QList<QByteArray> items;
            for (int i = 0; i < c->count(); ++i) {
                items.append(HostText::fromUnicode(c->itemText(i)));
            }
            return comboValue(HostText::fromUnicode(c->currentText()), items);
        }
        break;
    case PickType::RadioButton:
    case PickType::CheckBox:
        if (auto *b = qobject_cast<QAbstractButton *>(control)) {
            return checkValue(b->isChecked());
        }
        break;
    case PickType::GridPanel:
        if (auto *g = qobject_cast<TgdGridPanel *>(control)) {
            return g->valueText();
        }
        break;
    default:
        break;
    }
    return {};
}

void TPickEvents::resetColour() {
    if (m_tag != PickType::LabeledEdit && m_tag != PickType::Memo && m_tag != PickType::ComboBox) {
        return;
    }
    QPalette p = m_control->palette();
    p.setColor(QPalette::Base, QGuiApplication::palette().color(QPalette::Base));
    m_control->setPalette(p);
}

void TPickEvents::focusNextTabStop() {
    TWinPick *ws = workspace();
    if (!ws) {
        return;
    }
    // The focus chain may pass through widgets that are no host control (a combo's line edit, the
    // edit's label, the container's own controls): the walk is bounded by the widgets there are.
    const qsizetype bound = m_control->window()->findChildren<QWidget *>().size() + 1;
    QWidget *w = m_control;
    for (qsizetype i = 0; i < bound; ++i) {
        w = w->nextInFocusChain();
        if (!w || w == m_control) {
            return;
        }
        if (w != ws->Container && ws->TagOf(w) != PickType::None && (w->focusPolicy() & Qt::TabFocus) &&
            w->isVisible() && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TPickEvents::onKeyPress(QKeyEvent *e) {
    const int key = VirtualKeyOf(e->key(), e->modifiers() & Qt::KeypadModifier);
    const unsigned shift =
        unsigned(ShiftStateOf(e->modifiers())) | mouseShift(QGuiApplication::mouseButtons());
    if (key != 0 && hooked(KeyDown | KeyDownDefaultColour)) {
        if (key == kEnterKey && (m_tag == PickType::LabeledEdit || m_tag == PickType::ComboBox)) {
            focusNextTabStop();
        }
        if (hooked(KeyDownDefaultColour)) {
            resetColour();
        }
        send(keyDownEvent(name(), wsName(), key, shift, value()));
    }
    if (hooked(KeyPress)) {
        const int c = TypedChar(e->key(), e->modifiers(), e->text());
        if (c >= 0) {
            send(keyPressEvent(name(), wsName(), char(c), value()));
        }
    }
}

void TPickEvents::onKeyRelease(QKeyEvent *e) {
    const int key = VirtualKeyOf(e->key(), e->modifiers() & Qt::KeypadModifier);
    if (key == 0 || e->isAutoRepeat() || !hooked(KeyUp)) {
        return;
    }
    const unsigned shift =
        unsigned(ShiftStateOf(e->modifiers())) | mouseShift(QGuiApplication::mouseButtons());
    send(keyUpEvent(name(), wsName(), key, shift, value()));
}

void TPickEvents::onMouse(QObject *watched, QMouseEvent *e) {
    auto *from = qobject_cast<QWidget *>(watched);
    const std::optional<MouseButton> button = buttonOf(e->button());
    if (!from || !button || !m_control) {
        return;
    }
    const QPoint at = from == m_control
                          ? e->position().toPoint()
                          : m_control->mapFromGlobal(from->mapToGlobal(e->position().toPoint()));
    unsigned shift = unsigned(ShiftStateOf(e->modifiers())) | mouseShift(e->buttons());
    switch (e->type()) {
    case QEvent::MouseButtonDblClick:
        if (hooked(DoubleClick)) {
            send(doubleClickEvent(name(), wsName(), value()));
        }
        shift |= HostProtocol::DoubleClick;
        [[fallthrough]];
    case QEvent::MouseButtonPress:
        m_pressed = e->button() == Qt::LeftButton;
        if (hooked(MouseDownDefaultColour)) {
            resetColour();
        }
        if (hooked(MouseDown | MouseDownDefaultColour)) {
            send(mouseDownEvent(name(), wsName(), *button, shift, at.x(), at.y(), value()));
        }
        break;
    case QEvent::MouseButtonRelease: {
        const bool click = m_pressed && e->button() == Qt::LeftButton && m_control->rect().contains(at);
        m_pressed = false;
        // Buttons and combo boxes report their clicks from their own signals (keyboard too).
        if (click && !isButton(m_tag) && m_tag != PickType::ComboBox && hooked(Click)) {
            send(clickEvent(name(), wsName(), value()));
        }
        if (hooked(MouseUp)) {
            send(mouseUpEvent(name(), wsName(), *button, shift, at.x(), at.y(), value()));
        }
        break;
    }
    default:
        break;
    }
}

bool TPickEvents::eventFilter(QObject *watched, QEvent *event) {
    if (!m_control || quiet()) {
        return false;
    }
    QWidget *focusTarget = m_control;
    if (auto *grid = qobject_cast<TgdGridPanel *>(m_control.data())) {
        focusTarget = grid->StringGrid();
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == focusTarget) {
            onKeyPress(static_cast<QKeyEvent *>(event));
        }
        break;
    case QEvent::KeyRelease:
        if (watched == focusTarget) {
            onKeyRelease(static_cast<QKeyEvent *>(event));
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const auto *f = static_cast<QFocusEvent *>(event);
        // Another window becoming active is not the user leaving the control.
        if (watched != focusTarget || f->reason() == Qt::ActiveWindowFocusReason ||
            f->reason() == Qt::PopupFocusReason) {
            break;
        }
        if (event->type() == QEvent::FocusIn && hooked(Enter)) {
            send(enterEvent(name()));
        } else if (event->type() == QEvent::FocusOut && hooked(Exit)) {
            send(exitEvent(name(), wsName(), value()));
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // A scroll area's mouse events are taken from its viewport; what the viewport does not
        // take comes up to the area again and is not reported twice.
        if (!qobject_cast<QAbstractScrollArea *>(watched)) {
            onMouse(watched, static_cast<QMouseEvent *>(event));
        }
        break;
    default:
        break;
    }
    return false;
}
