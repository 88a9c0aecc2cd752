// The setters that apply an object definition to a control: the common setter (geometry, tab
// order, Align, parent, anchors, event words), then one setter per control family, chosen from a
// table by the control's Tag and reached only through a checked cast to the family's class.
#pragma once

#include "hostforms/forms/PickControl.h"

#include <QByteArray>

class QAbstractButton;
class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QWidget;
class TBevel;
class TFormWorkspace;
class TLabeledEdit;
class TPickImage;
class TPickLabel;
class TPickPanel;
class TScrollWorkspace;
class TgdGridPanel;
class TkalvexResult;
class TWinPick;
class TWorkspaceList;

class TPickSetters {
public:
    explicit TPickSetters(TWorkspaceList &list) : m_list(list) {}

    // The result is empty, or the error text of the first step that failed.
    QByteArray Apply(TWinPick *ws, QWidget *w, HostProtocol::PickType tag, const TPickControl &def,
                     QWidget *parentControl);

    // What a family setter works on.
    struct Target {
        TWinPick *ws;
        QWidget *w;
        HostProtocol::PickType tag;
        const TPickControl &def;
        QByteArray name;
    };
    struct Family;

private:
    QByteArray applyCommon(QWidget *w, HostProtocol::PickType tag, const TPickControl &def,
                           QWidget *parentControl);
    QByteArray applyFont(QWidget *w, const TPickControl &def);
    void applyColour(QWidget *w, HostProtocol::PickType tag, const TPickControl &def);
    void loadTextFile(const Target &t, const QByteArray &value, bool rich);

    QByteArray labeledEdit(const Target &t, TLabeledEdit *e);
    QByteArray label(const Target &t, TPickLabel *l);
    QByteArray memo(const Target &t, QPlainTextEdit *m);
    QByteArray richEdit(const Target &t, QTextEdit *r);
    QByteArray listBox(const Target &t, QListWidget *list);
    QByteArray comboBox(const Target &t, QComboBox *combo);
    QByteArray image(const Target &t, TPickImage *img);
    QByteArray button(const Target &t, QPushButton *b);
    QByteArray panel(const Target &t, TPickPanel *p);
    QByteArray checkBox(const Target &t, QAbstractButton *b);
    QByteArray bevel(const Target &t, TBevel *b);
    QByteArray scrollWorkspace(const Target &t, TScrollWorkspace *s);
    QByteArray formWorkspace(const Target &t, TFormWorkspace *f);
    QByteArray gridPanel(const Target &t, TgdGridPanel *g);
    QByteArray resultEntry(const Target &t, TkalvexResult *r);
    QByteArray nothing(const Target &t, QWidget *w);

    template <class W, QByteArray (TPickSetters::*Setter)(const Target &, W *)>
    static QByteArray checked(TPickSetters &self, const Target &t);

    TWorkspaceList &m_list;
};

// The colour number a control was last given (field 9), echoed by a query as it was sent.
inline constexpr const char *kColourNumberProperty = "orvaColour";
// Loads a rich-text stream into a rich edit, or shows the bytes as text when they are not one.
void loadRichText(QTextEdit *edit, const QByteArray &data);
