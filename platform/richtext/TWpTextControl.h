// The word-processor control the results editor works with: properties, operations and events
// over a TWpDocument, shown and edited in a QTextEdit that guards protected fields.
#pragma once

#include "platform/richtext/TWpDocument.h"

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTextEdit>
#include <QTextTable>
#include <QWidget>

class QGraphicsProxyWidget;
class QGraphicsScene;
class QGraphicsView;
class QPagedPaintDevice;

namespace orva::richtext {

class TWpTextControl;

// The editing widget. Every change the user makes comes through here, so that is where
// fields that are not changeable are protected.
class TWpEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit TWpEditor(TWpTextControl *control);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void dropEvent(QDropEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void keepOutOfFieldEdge();

    TWpTextControl *m_control;
};

// How a paragraph is listed, for the host-markup export.
struct TWpListInfo {
    int kind = 0; // 0 none, 1 bulleted, 2 numbered
    int level = 0;
    int numbering = 0; // 0 decimal, 1 lower letters, 2 upper letters, 3 lower roman, 4 upper roman
    QString prefix, suffix;
    int itemNumber = 0;
};

// Named values of the control's numbered properties and arguments; the numbers are the control's own.
// LoadDocument: where the file goes (0 replaces everything, -1 inserts at the selection) and the
// two kinds of file the editor loads.
constexpr int LoadReplacing = 0;
constexpr int LoadAtSelection = -1;
enum TWpFileFormat { FormatEditorFile = 3, FormatLetterhead = 9 };
// HeaderFooter: the parts shown around the main text (header and footer for reports, none while
// templates are edited); the style and view mode the editor always sets.
constexpr int HeaderFooterNone = 0;
constexpr int HeaderFooterReport = PartHeader | PartFooter;
constexpr int HeaderFooterStyleEditor = 2;
constexpr int ViewModeEditor = 1;
enum TWpScrollBars {
    ScrollBarsNone = 0,
    ScrollBarsHorizontal = 1,
    ScrollBarsVertical = 2,
    ScrollBarsBoth = 3
};
// FindText: forward from the start, ignoring case, without any dialog.
constexpr int FindForwardNoCase = 24;
// GetPageSetting: the loaded document's page, in twips.
enum TWpPageSetting {
    PageSettingWidth,
    PageSettingHeight,
    PageSettingMarginL,
    PageSettingMarginT,
    PageSettingMarginR,
    PageSettingMarginB
};
enum TWpClipboardCommand { ClipboardCut = 1, ClipboardCopy = 2, ClipboardPaste = 3 };

class TWpTextControl : public QWidget {
    Q_OBJECT
public:
    explicit TWpTextControl(QWidget *parent = nullptr);
    ~TWpTextControl() override;

    TWpDocument &document() { return *m_doc; }
    TWpEditor *editor() const { return m_editor; }
    // The keyboard focus to the text: the editor sits on the page in a graphics scene, so the view
    // takes the focus and hands the keys to the editor.
    void FocusText();
    QTextDocument *activeDocument() const { return m_doc->part(m_active); }

    // Text and selection (positions in characters of the active part).
    QString Text() const;
    void setText(const QString &text);
    int SelStart() const;
    void setSelStart(int pos);
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    void setSelText(const QString &text);

    // Character format of the selection or the caret.
    QString FontName() const;
    void setFontName(const QString &name);
    int FontSize() const;
    void setFontSize(int points);
    int FontBold() const;
    void setFontBold(int on);
    int FontItalic() const;
    void setFontItalic(int on);
    int FontUnderline() const;
    void setFontUnderline(int on);
    int FontStrikethru() const;
    void setFontStrikethru(int on);
    int BaseLine() const;
    void setBaseLine(int value);
    quint32 ForeColor() const; // 0x00BBGGRR
    void setForeColor(quint32 color);

    // Paragraph format of the caret's paragraph (twips).
    int Alignment() const;
    void setAlignment(int value);
    int IndentL() const;
    void setIndentL(int twips);
    int IndentR() const;
    void setIndentR(int twips);
    int IndentFL() const;
    void setIndentFL(int twips);

    // Page (twips).
    int PageWidth() const { return m_doc->page.width; }
    void setPageWidth(int v);
    int PageHeight() const { return m_doc->page.height; }
    void setPageHeight(int v);
    int PageMarginL() const { return m_doc->page.marginL; }
    void setPageMarginL(int v);
    int PageMarginT() const { return m_doc->page.marginT; }
    void setPageMarginT(int v);
    int PageMarginR() const { return m_doc->page.marginR; }
    void setPageMarginR(int v);
    int PageMarginB() const { return m_doc->page.marginB; }
    void setPageMarginB(int v);
    int GetPageSetting(int which) const;

    // Header, footer and view.
    int HeaderFooter() const { return m_headerFooter; }
    void setHeaderFooter(int v);
    int HeaderFooterStyle() const { return m_headerFooterStyle; }
    void setHeaderFooterStyle(int v) { m_headerFooterStyle = v; }
    int ViewMode() const { return m_viewMode; }
    void setViewMode(int v) { m_viewMode = v; }
    int ZoomFactor() const { return m_zoom; }
    void setZoomFactor(int percent);
    int ScrollBars() const { return m_scrollBars; }
    void setScrollBars(int v);
    bool ControlChars() const { return m_controlChars; }
    void setControlChars(bool on);
    bool FormatSelection() const { return m_formatSelection; }
    void setFormatSelection(bool on) { m_formatSelection = on; }
    bool InsertionMode() const;
    void setInsertionMode(bool insert);
    void ActivateHeaderFooter(int part);
    void DeactivateHeaderFooter(int part);

    // Fields.
    int FieldCurrent() const { return m_fieldCurrent; }
    void setFieldCurrent(int id) { m_fieldCurrent = id; }
    QString FieldText() const;
    void setFieldText(const QString &text);
    bool FieldChangeable() const;
    void setFieldChangeable(bool on);
    int FieldStart() const;
    int FieldEnd() const;
    int FieldAtInputPos() const;
    int InsertField(const QString &text);
    void DeleteField(int mode);
    int NextField(int id);
    void SetFieldData(int id, int data);
    int GetFieldData(int id) const;

    // Pictures.
    // Gives the control the pixels of a picture file read elsewhere (a null image when it could not
    // be read), so that drawing it never opens the file on the window's thread.
    void SetPictureImage(const QString &file, const QImage &image);
    int InsertPicture(const QString &file, int posX, int posY, int scaleX, int scaleY, int objectMode,
                      int textFlow, int distL, int distT, int distR, int distB);
    int NextObject(int id) const;
    bool DeleteObject(int id);
    int ObjectCurrent() const { return m_objectCurrent; }
    void setObjectCurrent(int id) { m_objectCurrent = id; }
    int ObjectScaleX() const;
    void setObjectScaleX(int scale);
    // The pictures of a file without loading it: the count, -1 missing file, -2 unreadable.
    static int ListPictures(const QString &file, QList<TWpPicture> *out);

    // Tables (ids > 0; rows and columns counted from 1, 0 = none).
    int InsertTable(int rows, int columns);
    int TableAtInputPos() const;
    int TableRowAtInputPos() const;
    int TableColAtInputPos() const;
    bool InsertRow();
    bool InsertColumn();
    bool DeleteRow();
    bool DeleteColumn();
    int TableStart(int id) const;
    int TableEnd(int id) const;
    int TableRows(int id) const;
    int TableColumns(int id) const;
    QString TableCellText(int id, int row, int column) const;
    int TableCellWidth(int id, int row, int column) const;
    // Border widths in twips; side 0 top, 1 left, 2 bottom, 3 right.
    int TableCellBorder(int id, int row, int column, int side) const;
    QList<int> TableIds() const;

    // Lists.
    TWpListInfo ListAt(int pos) const;

    // Bullets and numbering of the caret's paragraphs: 0 none, else a QTextListFormat style
    // as a positive number (1 disc, 2 circle, 3 square, 4 decimal, 5 lower letters,
    // 6 upper letters, 7 lower roman, 8 upper roman).
    void SetListStyle(int style);
    // Border width in twips of every cell of the table at the caret.
    bool SetTableBorder(int twips);

    // Tabs.
    int TabCurrent() const { return m_tabCurrent; }
    void setTabCurrent(int index) { m_tabCurrent = index; }
    int TabPos() const;
    void setTabPos(int twips);

    // Documents.
    void ClearDocument();
    int LoadDocument(const QString &file, int position, bool insert, int format);
    // Writes the whole document, or with `selectionOnly` just the selection (a formatted entry).
    bool SaveDocument(const QString &file, int position, bool selectionOnly, int format);
    // Forward, from `start`, ignoring case, without any dialog (FindForwardNoCase).
    int FindText(const QString &text, int start, int flags) const;
    // Selects the next occurrence from the caret (wrapping once); false when there is none.
    bool FindNext(const QString &text);
    // Replaces every occurrence outside protected fields; returns how many were replaced.
    int ReplaceAll(const QString &text, const QString &replacement);
    // Replaces the selection when it is the text looked for (and not protected), then selects the
    // next occurrence; true when a replacement was made.
    bool ReplaceNext(const QString &text, const QString &replacement);

    // The control's dialogs: font, colour, tabs, bullets, find (1) or replace (2), table.
    void FontDialog();
    void ColorDialog();
    void TabDialog();
    void BulletDialog();
    void FindDialog(int mode);
    void TablePropertiesDialog();

    // The bars that follow this control (the editor hands them over once).
    QWidget *ButtonBarHandle() const { return m_buttonBar; }
    void setButtonBarHandle(QWidget *bar);
    QWidget *RulerHandle() const { return m_ruler; }
    void setRulerHandle(QWidget *ruler);
    QWidget *StatusBarHandle() const { return m_statusBar; }
    void setStatusBarHandle(QWidget *bar);

    // Editing.
    void ClipboardCommand(TWpClipboardCommand command);
    bool CanCopy() const;
    bool CanPaste() const;
    void Undo();
    void Redo();

    // Pages and printing.
    int CurrentPages() const;
    QString PrintDevice() const { return m_printDevice; }
    void setPrintDevice(const QString &name) { m_printDevice = name; }
    // Paints pages fromPage..toPage (1-based) with header, footer and pictures; false when none.
    bool PrintPages(QPagedPaintDevice *device, int fromPage, int toPage);
    int ScrollPosY() const;
    void setScrollPosY(int twips);

    // Guards used by the editing widget.
    bool touchesProtected(int from, int to) const;
    bool insideProtected(int pos) const;
    bool insideField(int pos) const;
    bool userEditAllowed(int from, int to) const;
    void pictureClicked(const QPoint &viewportPos);
    int pictureAt(const QPoint &viewportPos);
    // A point of the editor's viewport in page coordinates (document units).
    QPointF documentPoint(const QPoint &viewportPos) const;
    bool beginPictureDrag(const QPoint &viewportPos);
    bool dragPicture(const QPoint &viewportPos);
    bool endPictureDrag();
    // Sets how stored picture paths are found on this machine (identity by default).
    void setPathLookup(std::function<QString(const QString &)> lookup);
    void paintPictures(QPainter &p, const QPointF &origin, double scale);
    // Where the first text column's left edge is on screen, and the zoom as a factor: the
    // ruler's scale follows them.
    QPointF textOriginGlobal() const;
    double zoomScale() const;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

public:
signals:
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnKeyDown(int &key, Qt::KeyboardModifiers shift);
    void OnKeyPress(int &key);
    void OnKeyUp(int &key, Qt::KeyboardModifiers shift);
    void OnChange();
    void OnObjectClicked(int id);
    void OnObjectDeleted(int id);
    void OnObjectScrollOut(int id);
    void OnTableCreated(int id);
    void OnTableDeleted(int id);
    void OnError(const QString &message);

private:
    QTextCursor cursor() const;
    void applyCharFormat(const QTextCharFormat &f);
    QTextCharFormat charFormat() const;
    void applyBlockFormat(const std::function<void(QTextBlockFormat &)> &change);
    void insertPlain(QTextCursor &c, const QString &text);
    void pageChanged();
    void refreshTables();
    QTextTable *tableById(int id) const;
    QTextTableCell cellAt(int id, int row, int column) const;
    void applyControlChars();
    void updatePanes();
    void layoutPage();
    QPixmap pixmapFor(const TWpPicture &p);
    QRectF pictureRect(const TWpPicture &p);
    void checkPicturesInView();

    std::unique_ptr<TWpDocument> m_doc;
    QWidget *m_page = nullptr; // owned by its proxy in the scene
    TWpEditor *m_editor = nullptr;
    QGraphicsScene *m_scene = nullptr;
    QGraphicsView *m_view = nullptr;
    QGraphicsProxyWidget *m_proxy = nullptr;
    QTextEdit *m_headerView = nullptr, *m_footerView = nullptr; // header and footer as shown around the text
    int m_active = PartMain;
    int m_headerFooter = HeaderFooterReport, m_headerFooterStyle = HeaderFooterStyleEditor;
    int m_viewMode = ViewModeEditor, m_zoom = 100, m_scrollBars = ScrollBarsBoth;
    bool m_controlChars = false, m_formatSelection = true;
    int m_fieldCurrent = 0, m_objectCurrent = 0, m_tabCurrent = 1;
    TWpPageSetup m_loadedPage;
    QString m_printDevice;
    QHash<QTextTable *, int> m_tableIds;
    int m_nextTableId = 1;
    int m_loading = 0;
    QHash<QString, QPixmap> m_pixmaps;
    QPointer<QWidget> m_buttonBar, m_ruler, m_statusBar;
    int m_dragId = 0;
    bool m_dragResize = false;
    QPointF m_dragStart;
    TWpPicture m_dragOriginal;
    QSet<int> m_picturesInView;
};

} // namespace orva::richtext
