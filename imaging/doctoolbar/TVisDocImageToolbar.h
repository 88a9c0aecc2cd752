// TVisDocImageToolbar: the scale-to-gray list and 29 small buttons that drive one document viewer.
// Buttons are enabled by what the viewer holds and refreshed whenever it reports a change; each
// press runs through ExecuteButton with its before and after hooks.
#pragma once

#include "imaging/doctoolbar/DocToolbarRules.h"
#include "imaging/doctoolbar/TVisTbBtn.h"
#include "imaging/docview/VisDocumentImage.h"

#include <QPointer>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QPrinter;

namespace orva::imaging {

class TVisDocImageToolbar;

// One button; its component name is the button's name.
class TVisTBButton : public QToolButton {
    Q_OBJECT
public:
    TVisTBButton(TVisTbBtn index, TVisDocImageToolbar *toolbar);
    TVisTbBtn Index() const { return m_index; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    TVisTbBtn m_index;
    TVisDocImageToolbar *m_toolbar;
};

// Asked before every action; clearing Allow skips it.
using EVisTbClick = std::function<void(QObject *Sender, TVisTbBtn Button, bool &Allow)>;
// After every action that ran.
using EVisTbClick2 = std::function<void(QObject *Sender, TVisTbBtn Button)>;
// The Open button's dialog: true with the chosen file and the page chosen in its preview.
using TOpenDialogRunner = std::function<bool(QWidget *Owner, QString &File, int &Page)>;
// The Save button's dialog: true with the chosen file.
using TSaveDialogRunner = std::function<bool(QWidget *Owner, QString &File)>;

class TVisDocImageToolbar : public QWidget {
    Q_OBJECT
public:
    explicit TVisDocImageToolbar(QWidget *parent = nullptr);
    ~TVisDocImageToolbar() override;

    // Linking a viewer makes the toolbar follow its state changes; a viewer that is destroyed is
    // unlinked.
    VisDocumentImage *DocumentImage() const { return m_viewer; }
    void SetDocumentImage(VisDocumentImage *viewer);

    TVisTbBtns VisibleButtons() const { return m_visible; }
    void SetVisibleButtons(TVisTbBtns buttons);
    bool Flat() const { return m_flat; }
    void SetFlat(bool flat);
    // Own hints by button order; an empty line keeps the built-in hint. Assigning the built-in
    // hints clears the list.
    QStringList Hints() const { return m_hints; }
    void SetHints(const QStringList &hints);
    static QStringList BuiltInHints();
    bool ConfirmDelete = true;
    // The printer the Print button asks about; without one the button is disabled.
    QPrinter *PrintDialog() const { return m_printer; }
    void SetPrintDialog(QPrinter *printer);
    TOpenDialogRunner MMOpenDialog;
    TSaveDialogRunner MMSaveDialog;
    EVisTbClick BeforeAction;
    EVisTbClick2 AfterAction;

    QComboBox *ScaleCombo() const { return m_scaleCombo; }
    TVisTBButton *Button(TVisTbBtn button) const { return m_buttons[button]; }
    // The button that Space presses while the toolbar has the focus.
    TVisTbBtn FocusedButton() const { return m_focused; }

    // The single entry for a button's action: the key maps call it as if the button were pressed.
    // A failed action answers false with its message in `error`, after the cursor is restored and the
    // buttons refreshed; the AfterAction hook then does not run.
    virtual bool ExecuteButton(QObject *sender, TVisTbBtn button, QString *error = nullptr);
    // Recomputes every button's enabled and down state and the scale list's choice.
    void Refresh();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // An action failed; the text is the user's message (shown by the owner of the toolbar).
    void actionFailed(const QString &message);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    friend class TVisTBButton;
    void buttonClicked(TVisTbBtn button);
    void executeButton(TVisTbBtn button);
    void runAction(TVisTbBtn button);
    void tell(const QString &text);
    void open();
    void save();
    void print();
    void scanPages();
    void selectScanner();
    void deletePage();
    bool isLongAction(TVisTbBtn button) const;
    void layoutButtons();
    void applyHints();
    TToolbarState state() const;
    int visibleCount() const;

    QPointer<VisDocumentImage> m_viewer;
    QMetaObject::Connection m_viewerChanged;
    QComboBox *m_scaleCombo = nullptr;
    std::array<TVisTBButton *, kVisTbBtnCount> m_buttons{};
    TVisTbBtns m_visible;
    bool m_flat = true;
    QStringList m_hints;
    QPrinter *m_printer = nullptr;
    TVisTbBtn m_focused = ibdocFirst;
};

} // namespace orva::imaging
