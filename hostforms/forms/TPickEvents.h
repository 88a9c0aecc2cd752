// The event hooks of one host control: field 16's words decide which of the control's events are
// reported to the host (click, keys, focus, mouse, change, double click, end drag, and the result
// control's save and abort), and each reported event is built with the protocol's builders and
// sent through the workspace's sender. While host data is being applied nothing is reported.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <memory>

class QKeyEvent;
class QMouseEvent;
class QWidget;
class TWinPick;
class TWorkspaceList;

class TPickEvents : public QObject {
    Q_OBJECT
public:
    enum Hook : unsigned {
        Click = 1u << 0,
        KeyPress = 1u << 1,
        KeyDown = 1u << 2,
        KeyUp = 1u << 3,
        Exit = 1u << 4,
        Enter = 1u << 5,
        MouseDown = 1u << 6,
        MouseUp = 1u << 7,
        Change = 1u << 8,
        DoubleClick = 1u << 9,
        // No control is given a drag mode, so a drag never ends: the hook is kept for the query's
        // event words but never sends.
        EndDrag = 1u << 10,
        KeyDownDefaultColour = 1u << 11,
        MouseDownDefaultColour = 1u << 12,
        Save = 1u << 13,
        Abort = 1u << 14,
    };

    // The hooks a control of `tag` installs for the stored event text ("," + list + ","); `given`
    // says whether field 16 was ever given (a button hooks click whenever it was).
    static unsigned hooksFor(HostProtocol::PickType tag, const QByteArray &events, bool given);
    // The words of the installed hooks run together, in the order a query reports them.
    static QByteArray hookWords(unsigned hooks);

    // The hooks object of a control, made on first use; `list` finds the control's workspace.
    static TPickEvents *attach(const std::shared_ptr<TWorkspaceList *> &list, QWidget *control,
                               HostProtocol::PickType tag);
    static TPickEvents *of(const QWidget *control);
    // Installs or removes the hooks from the control's stored event words (end of create and update).
    void install();
    unsigned hooks() const { return m_hooks; }

    // While one of these lives, host data is being applied and no hook sends.
    class Quiet {
    public:
        Quiet() { ++s_quiet; }
        ~Quiet() { --s_quiet; }
        Quiet(const Quiet &) = delete;
        Quiet &operator=(const Quiet &) = delete;
    };
    static bool quiet() { return s_quiet > 0; }

    // The value text of a control (by its Tag).
    static HostProtocol::EncodedValue valueText(QWidget *control, HostProtocol::PickType tag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TPickEvents(const std::shared_ptr<TWorkspaceList *> &list, QWidget *control, HostProtocol::PickType tag);
    void connectSignals();
    void watch(QObject *o, bool on);
    bool hooked(unsigned hook) const { return (m_hooks & hook) != 0 && !quiet(); }
    // Whether the stored event words ask for `hook`, also while host data is applied and before a
    // new control's hooks are installed: for what is the host's news even then.
    bool asked(unsigned hook) const;
    TWinPick *workspace() const;
    void send(const QByteArray &message) const;
    QByteArray name() const;
    QByteArray wsName() const;
    HostProtocol::EncodedValue value() const;
    void onKeyPress(QKeyEvent *e);
    void onKeyRelease(QKeyEvent *e);
    void onMouse(QObject *watched, QMouseEvent *e);
    void resetColour();
    void focusNextTabStop();
    void gridChanged(int column, int row, const QByteArray &text);

    std::shared_ptr<TWorkspaceList *> m_list;
    QPointer<QWidget> m_control;
    HostProtocol::PickType m_tag;
    unsigned m_hooks = 0;
    bool m_pressed = false;
    static int s_quiet;
};
