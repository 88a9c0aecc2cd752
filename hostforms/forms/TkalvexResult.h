// Result-entry control (object type 22): a scroll box holding the drawn result page and an in-place
// field editor. In edit state the user types into the fields and moves through them in the host's
// order; changes, saves and aborts are raised as events. It prints the page between a header and
// a footer print panel.
#pragma once

#include "hostforms/forms/TKalvexResultImage.h"
#include "hostforms/forms/TKalvexResultModel.h"

#include <QByteArray>
#include <QPointer>
#include <QScrollArea>
#include <functional>
#include <memory>

class QPlainTextEdit;
class QPrinter;
class TPickPanel;

class TkalvexResult : public QScrollArea {
    Q_OBJECT
public:
    explicit TkalvexResult(QWidget *parent = nullptr);
    ~TkalvexResult() override;

    TKalvexResultImage *KxResult() const { return m_page; }
    QPlainTextEdit *FieldEditor() const { return m_editor; }
    TKalvexResultModel &model() { return m_model; }
    // The print panels of the workspace printed above and below the page (none when not set).
    TPickPanel *Header() const;
    TPickPanel *Footer() const;
    void SetHeader(TPickPanel *panel);
    void SetFooter(TPickPanel *panel);
    // The font size of the last print.
    int PrintScale() const { return m_printScale; }
    TKalvexResultModel::State EditState() const { return m_page->State; }
    int currentField() const { return m_field; }

    // The data blocks (fields 22 onward joined by line breaks); the page is drawn again and the
    // values the rules recalculate are reported.
    void SetData(const QByteArray &blocks);
    // The layout, range and result setters fed from a file's lines; the result is an error text or
    // empty (nothing changes when the file cannot be read).
    QByteArray LoadLayout(const QByteArray &path);
    QByteArray LoadRange(const QByteArray &path);
    QByteArray LoadResult(const QByteArray &path);
    // Field 20 (0 reset, 1 edit, 2 final, 3 review, 4 print) with field 21's print settings; the
    // result is an error text (without the control's prefix) or empty.
    QByteArray SetDisplayState(int state, const QByteArray &printSettings);
    void Reset();
    void Edit();
    void displayLayout();
    // Commits the open field and opens field n (nothing when n is not a field).
    void openField(int n);
    void commitField();
    QByteArray Print();

    // What the control raises, installed by the form's event hooks: a field's new text (field
    // number and text), F10's saved lines, and Escape in the editor.
    void SetOnChange(std::function<void(int, const QByteArray &)> handler) {
        m_onChange = std::move(handler);
    }
    void SetOnSave(std::function<void(const QList<QByteArray> &)> handler) { m_onSave = std::move(handler); }
    void SetOnAbort(std::function<void()> handler) { m_onAbort = std::move(handler); }

    // Where a print goes: tests hand a PDF printer; by default the printer of that name, else the
    // default printer, else none.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>(const QByteArray &name)>;
    static void setPrinterSource(PrinterSource source);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool editorKey(QKeyEvent *e);
    void placePage();
    void report(const QList<TKalvexResultModel::Change> &changes);
    QList<QByteArray> editorLines() const;
    void typeInto(QKeyEvent *e);

    TKalvexResultModel m_model;
    TKalvexResultImage *m_page;
    QPlainTextEdit *m_editor;
    QWidget *m_canvas;
    int m_field = 0;
    int m_lines = 1;
    QPointer<TPickPanel> m_header, m_footer;
    int m_printScale = 36;
    QByteArray m_printerName;
    std::function<void(int, const QByteArray &)> m_onChange;
    std::function<void(const QList<QByteArray> &)> m_onSave;
    std::function<void()> m_onAbort;
};
