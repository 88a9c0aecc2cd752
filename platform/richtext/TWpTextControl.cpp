// The word-processor control: the editor's calls mapped onto QTextDocument, plus the guards
// that keep the user's typing, pasting and dropping out of fields that are not changeable.
#include "platform/richtext/TWpTextControl.h"

#include "platform/files/SharedFile.h"
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpRtf.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextList>
#include <QVBoxLayout>
#include <QtMath>

namespace orva::richtext {

// ---- the editing widget -------------------------------------------------------------------------

TWpEditor::TWpEditor(TWpTextControl *control) : m_control(control) {
    setContextMenuPolicy(Qt::NoContextMenu); // the editor shows its own menus on OnMouseDown
    setAcceptRichText(true);
}

void TWpEditor::keyPressEvent(QKeyEvent *e) {
    int key = e->key();
    emit m_control->OnKeyDown(key, e->modifiers());
    if (key == 0)
        return;
    if (!e->text().isEmpty()) {
        int ch = e->text().at(0).unicode();
        emit m_control->OnKeyPress(ch);
        if (ch == 0)
            return;
    }
    const QTextCursor c = textCursor();
    const int s = c.selectionStart(), end = c.selectionEnd();
    auto removing = [&](QTextCursor::MoveOperation op) {
        if (c.hasSelection())
            return std::pair{s, end};
        QTextCursor m = c;
        m.movePosition(op, QTextCursor::KeepAnchor);
        return std::pair{qMin(m.anchor(), m.position()), qMax(m.anchor(), m.position())};
    };
    std::pair<int, int> range{-1, -1};
    if (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste))
        range = {s, end};
    else if (e->key() == Qt::Key_Backspace)
        range = removing(e->modifiers() & Qt::ControlModifier ? QTextCursor::PreviousWord
                                                              : QTextCursor::PreviousCharacter);
    else if (e->matches(QKeySequence::Delete) || e->matches(QKeySequence::DeleteEndOfWord))
        range =
            removing(e->matches(QKeySequence::Delete) ? QTextCursor::NextCharacter : QTextCursor::NextWord);
    else if (e->matches(QKeySequence::DeleteStartOfWord))
        range = removing(QTextCursor::PreviousWord);
    else if (e->matches(QKeySequence::DeleteEndOfLine))
        range = removing(QTextCursor::EndOfBlock);
    else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
             (!e->text().isEmpty() && e->text().at(0).isPrint()) || e->key() == Qt::Key_Tab)
        range = {s, overwriteMode() && !c.hasSelection() ? end + 1 : end};
    if (range.first >= 0) {
        if (!m_control->userEditAllowed(range.first, range.second))
            return;
        if (range.first == range.second || !c.hasSelection())
            keepOutOfFieldEdge();
    }
    QTextEdit::keyPressEvent(e);
}

// Text typed at a field's edge does not join the field.
void TWpEditor::keepOutOfFieldEdge() {
    if (textCursor().hasSelection() || m_control->insideField(textCursor().position()))
        return;
    QTextCharFormat f = currentCharFormat();
    if (f.hasProperty(FieldIdProperty)) {
        f.clearProperty(FieldIdProperty);
        setCurrentCharFormat(f);
    }
}

void TWpEditor::keyReleaseEvent(QKeyEvent *e) {
    int key = e->key();
    emit m_control->OnKeyUp(key, e->modifiers());
    if (key != 0)
        QTextEdit::keyReleaseEvent(e);
}

void TWpEditor::inputMethodEvent(QInputMethodEvent *e) {
    const QTextCursor c = textCursor();
    if ((!e->commitString().isEmpty() || !e->preeditString().isEmpty()) &&
        !m_control->userEditAllowed(c.selectionStart(), c.selectionEnd())) {
        e->ignore();
        return;
    }
    if (!e->commitString().isEmpty())
        keepOutOfFieldEdge();
    QTextEdit::inputMethodEvent(e);
}

bool TWpEditor::canInsertFromMimeData(const QMimeData *source) const {
    const QTextCursor c = textCursor();
    return m_control->userEditAllowed(c.selectionStart(), c.selectionEnd()) &&
           QTextEdit::canInsertFromMimeData(source);
}

void TWpEditor::insertFromMimeData(const QMimeData *source) {
    QTextCursor c = textCursor();
    if (!m_control->userEditAllowed(c.selectionStart(), c.selectionEnd()))
        return;
    // Pasted text never carries field ids: a copy of a field would share the original's id.
    QTextDocumentFragment fragment = source->hasHtml() ? QTextDocumentFragment::fromHtml(source->html())
                                                       : QTextDocumentFragment::fromPlainText(source->text());
    QTextDocument scratch;
    QTextCursor sc(&scratch);
    sc.insertFragment(fragment);
    sc.select(QTextCursor::Document);
    QTextCharFormat clear;
    clear.setProperty(FieldIdProperty, 0);
    sc.mergeCharFormat(clear);
    c.insertFragment(QTextDocumentFragment(&scratch));
    setTextCursor(c);
}

void TWpEditor::dropEvent(QDropEvent *e) {
    const QTextCursor at = cursorForPosition(e->position().toPoint());
    const QTextCursor sel = textCursor();
    const bool moving = e->source() == this && e->dropAction() == Qt::MoveAction;
    if (!m_control->userEditAllowed(at.position(), at.position()) ||
        (moving && !m_control->userEditAllowed(sel.selectionStart(), sel.selectionEnd()))) {
        e->ignore();
        return;
    }
    QTextEdit::dropEvent(e);
}

void TWpEditor::mousePressEvent(QMouseEvent *e) {
    emit m_control->OnMouseDown(e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
    m_control->pictureClicked(e->position().toPoint());
    // ALT with the left button moves a picture, or resizes it from its lower right corner.
    if (e->button() == Qt::LeftButton && (e->modifiers() & Qt::AltModifier) &&
        m_control->beginPictureDrag(e->position().toPoint()))
        return;
    QTextEdit::mousePressEvent(e);
}

void TWpEditor::mouseMoveEvent(QMouseEvent *e) {
    if (m_control->dragPicture(e->position().toPoint()))
        return;
    QTextEdit::mouseMoveEvent(e);
}

void TWpEditor::mouseReleaseEvent(QMouseEvent *e) {
    if (m_control->endPictureDrag())
        return;
    QTextEdit::mouseReleaseEvent(e);
}

void TWpEditor::paintEvent(QPaintEvent *e) {
    QTextEdit::paintEvent(e);
    if (m_control->activeDocument() != m_control->document().main())
        return;
    QPainter p(viewport());
    m_control->paintPictures(p, -m_control->documentPoint(QPoint(0, 0)), 1.0);
}

// ---- the control ---------------------------------------------------------------------------------

TWpTextControl::TWpTextControl(QWidget *parent)
    : QWidget(parent), m_doc(std::make_unique<TWpDocument>()), m_page(new QWidget),
      m_editor(new TWpEditor(this)) {
    // The page (header, text, footer) lives in a graphics scene, so zooming scales all of it,
    // pictures and explicit font sizes included, while the editing stays QTextEdit's.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scene = new QGraphicsScene(this);
    m_view = new QGraphicsView(m_scene, this);
    m_view->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_view->setBackgroundBrush(palette().dark());
    outer->addWidget(m_view);
    m_view->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(m_page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_headerView = new QTextEdit(m_page);
    m_footerView = new QTextEdit(m_page);
    for (QTextEdit *pane : {m_headerView, m_footerView}) {
        pane->setReadOnly(true);
        pane->setFocusPolicy(Qt::NoFocus);
        pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pane->setLineWrapMode(QTextEdit::FixedPixelWidth);
        pane->setFrameShape(QFrame::NoFrame);
        pane->hide();
    }
    m_headerView->setDocument(m_doc->header());
    m_footerView->setDocument(m_doc->footer());
    layout->addWidget(m_headerView);
    layout->addWidget(m_editor, 1);
    layout->addWidget(m_footerView);
    m_proxy = m_scene->addWidget(m_page);
    // Focus given to the control (a click, Tab, a window's activation) lands in the text.
    setFocusProxy(m_view);
    m_scene->setFocusItem(m_proxy);
    m_editor->setFocus();
    connect(m_editor->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TWpTextControl::checkPicturesInView);
    m_editor->setDocument(m_doc->main());
    connect(m_doc->header(), &QTextDocument::contentsChanged, this, &TWpTextControl::updatePanes);
    connect(m_doc->footer(), &QTextDocument::contentsChanged, this, &TWpTextControl::updatePanes);
    m_editor->setLineWrapMode(QTextEdit::FixedPixelWidth);
    for (QTextDocument *d : {m_doc->main(), m_doc->header(), m_doc->footer()})
        connect(d, &QTextDocument::contentsChanged, this, [this] {
            if (m_loading == 0) {
                refreshTables();
                emit OnChange();
            }
        });
    pageChanged();
}

void TWpTextControl::FocusText() {
    m_editor->setFocus(Qt::OtherFocusReason);
    m_scene->setFocusItem(m_proxy, Qt::OtherFocusReason);
    m_view->setFocus(Qt::OtherFocusReason);
}

TWpTextControl::~TWpTextControl() {
    // The document goes before this object's members: nothing of it may call back in here.
    m_editor->setDocument(nullptr);
    m_headerView->setDocument(nullptr);
    m_footerView->setDocument(nullptr);
    for (QTextTable *t : m_tableIds.keys())
        disconnect(t, nullptr, this, nullptr);
    for (QTextDocument *d : {m_doc->main(), m_doc->header(), m_doc->footer()})
        disconnect(d, nullptr, this, nullptr);
    m_doc.reset();
}

QTextCursor TWpTextControl::cursor() const {
    return m_editor->textCursor();
}

// ---- text and selection

QString TWpTextControl::Text() const {
    return TWpDocument::plainText(activeDocument());
}

void TWpTextControl::setText(const QString &text) {
    QTextCursor c(activeDocument());
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    insertPlain(c, text);
}

int TWpTextControl::SelStart() const {
    return cursor().selectionStart();
}

void TWpTextControl::setSelStart(int pos) {
    QTextCursor c = cursor();
    c.setPosition(qBound(0, pos, activeDocument()->characterCount() - 1));
    m_editor->setTextCursor(c);
}

int TWpTextControl::SelLength() const {
    return cursor().selectionEnd() - cursor().selectionStart();
}

void TWpTextControl::setSelLength(int length) {
    QTextCursor c = cursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(qBound(0, start + length, activeDocument()->characterCount() - 1), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(c);
}

QString TWpTextControl::SelText() const {
    return TWpDocument::plainText(activeDocument(), cursor().selectionStart(), cursor().selectionEnd());
}

void TWpTextControl::setSelText(const QString &text) {
    QTextCursor c = cursor();
    c.removeSelectedText();
    insertPlain(c, text);
    m_editor->setTextCursor(c);
}

// CR LF, CR and LF each end a paragraph; "\v" is a line break inside one.
void TWpTextControl::insertPlain(QTextCursor &c, const QString &text) {
    QTextCharFormat f = c.charFormat();
    if (!insideField(c.position()))
        f.clearProperty(FieldIdProperty);
    QString run;
    auto flush = [&] {
        if (!run.isEmpty())
            c.insertText(run, f);
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' || ch == u'\n') {
            flush();
            c.insertBlock(c.blockFormat(), f);
            if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (ch == u'\v') {
            run += QChar(0x2028);
        } else {
            run += ch;
        }
    }
    flush();
}

// ---- character format

QTextCharFormat TWpTextControl::charFormat() const {
    QTextCursor c = cursor();
    if (c.hasSelection()) {
        c.setPosition(c.selectionStart() + 1);
    }
    QTextCharFormat f = c.charFormat();
    return f;
}

void TWpTextControl::applyCharFormat(const QTextCharFormat &f) {
    m_editor->mergeCurrentCharFormat(f);
}

QString TWpTextControl::FontName() const {
    const QStringList fam = charFormat().fontFamilies().toStringList();
    return fam.isEmpty() ? activeDocument()->defaultFont().family() : fam.first();
}
void TWpTextControl::setFontName(const QString &name) {
    QTextCharFormat f;
    f.setFontFamilies({name});
    applyCharFormat(f);
}
int TWpTextControl::FontSize() const {
    const QTextCharFormat f = charFormat();
    return qRound(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                            : activeDocument()->defaultFont().pointSizeF());
}
void TWpTextControl::setFontSize(int points) {
    QTextCharFormat f;
    f.setFontPointSize(qBound(1, points, 1638));
    applyCharFormat(f);
}
int TWpTextControl::FontBold() const {
    return charFormat().fontWeight() >= QFont::DemiBold ? 1 : 0;
}
void TWpTextControl::setFontBold(int on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    applyCharFormat(f);
}
int TWpTextControl::FontItalic() const {
    return charFormat().fontItalic() ? 1 : 0;
}
void TWpTextControl::setFontItalic(int on) {
    QTextCharFormat f;
    f.setFontItalic(on != 0);
    applyCharFormat(f);
}
int TWpTextControl::FontUnderline() const {
    return charFormat().fontUnderline() ? 1 : 0;
}
void TWpTextControl::setFontUnderline(int on) {
    QTextCharFormat f;
    f.setFontUnderline(on != 0);
    applyCharFormat(f);
}
int TWpTextControl::FontStrikethru() const {
    return charFormat().fontStrikeOut() ? 1 : 0;
}
void TWpTextControl::setFontStrikethru(int on) {
    QTextCharFormat f;
    f.setFontStrikeOut(on != 0);
    applyCharFormat(f);
}
int TWpTextControl::BaseLine() const {
    switch (charFormat().verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        return 70;
    case QTextCharFormat::AlignSubScript:
        return -70;
    default:
        return 0;
    }
}
void TWpTextControl::setBaseLine(int value) {
    QTextCharFormat f;
    f.setVerticalAlignment(value > 0   ? QTextCharFormat::AlignSuperScript
                           : value < 0 ? QTextCharFormat::AlignSubScript
                                       : QTextCharFormat::AlignNormal);
    applyCharFormat(f);
}
quint32 TWpTextControl::ForeColor() const {
    const QTextCharFormat f = charFormat();
    if (!f.hasProperty(QTextFormat::ForegroundBrush))
        return 0;
    const QColor c = f.foreground().color();
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}
void TWpTextControl::setForeColor(quint32 color) {
    QTextCharFormat f;
    f.setForeground(QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)));
    applyCharFormat(f);
}

// ---- paragraph format

void TWpTextControl::applyBlockFormat(const std::function<void(QTextBlockFormat &)> &change) {
    QTextCursor c = cursor();
    QTextBlockFormat f;
    change(f);
    c.mergeBlockFormat(f);
}
int TWpTextControl::Alignment() const {
    const Qt::Alignment a = cursor().blockFormat().alignment();
    return a & Qt::AlignRight ? 1 : a & Qt::AlignHCenter ? 2 : a & Qt::AlignJustify ? 3 : 0;
}
void TWpTextControl::setAlignment(int value) {
    static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    applyBlockFormat([&](QTextBlockFormat &f) { f.setAlignment(aligns[qBound(0, value, 3)]); });
}
int TWpTextControl::IndentL() const {
    return unitsToTwips(cursor().blockFormat().leftMargin());
}
void TWpTextControl::setIndentL(int twips) {
    applyBlockFormat([&](QTextBlockFormat &f) { f.setLeftMargin(twipsToUnits(twips)); });
}
int TWpTextControl::IndentR() const {
    return unitsToTwips(cursor().blockFormat().rightMargin());
}
void TWpTextControl::setIndentR(int twips) {
    applyBlockFormat([&](QTextBlockFormat &f) { f.setRightMargin(twipsToUnits(twips)); });
}
int TWpTextControl::IndentFL() const {
    return unitsToTwips(cursor().blockFormat().textIndent());
}
void TWpTextControl::setIndentFL(int twips) {
    applyBlockFormat([&](QTextBlockFormat &f) { f.setTextIndent(twipsToUnits(twips)); });
}

// ---- page and view

void TWpTextControl::pageChanged() {
    m_doc->setupPageSize();
    const int width = qRound(twipsToUnits(m_doc->page.width - m_doc->page.marginL - m_doc->page.marginR));
    for (QTextEdit *e : {static_cast<QTextEdit *>(m_editor), m_headerView, m_footerView})
        e->setLineWrapColumnOrWidth(width);
    updatePanes();
    layoutPage();
}

void TWpTextControl::setHeaderFooter(int v) {
    m_headerFooter = v;
    updatePanes();
}

// Header (bit 1) and footer (bit 4) are shown above and below the main text while it is active.
void TWpTextControl::updatePanes() {
    const bool main = m_active == PartMain;
    const struct {
        QTextEdit *pane;
        QTextDocument *doc;
        int bit;
    } panes[] = {{m_headerView, m_doc->header(), PartHeader}, {m_footerView, m_doc->footer(), PartFooter}};
    for (const auto &p : panes) {
        const bool show = main && (m_headerFooter & p.bit) && !p.doc->isEmpty();
        if (show)
            p.pane->setFixedHeight(qCeil(p.doc->size().height()) + 4);
        p.pane->setVisible(show);
    }
}
void TWpTextControl::setPageWidth(int v) {
    m_doc->page.width = qBound(1440, v, 63360);
    pageChanged();
}
void TWpTextControl::setPageHeight(int v) {
    m_doc->page.height = qBound(1440, v, 63360);
    pageChanged();
}
void TWpTextControl::setPageMarginL(int v) {
    m_doc->page.marginL = qBound(0, v, 31680);
    pageChanged();
}
void TWpTextControl::setPageMarginT(int v) {
    m_doc->page.marginT = qBound(0, v, 31680);
    pageChanged();
}
void TWpTextControl::setPageMarginR(int v) {
    m_doc->page.marginR = qBound(0, v, 31680);
    pageChanged();
}
void TWpTextControl::setPageMarginB(int v) {
    m_doc->page.marginB = qBound(0, v, 31680);
    pageChanged();
}
int TWpTextControl::GetPageSetting(int which) const {
    const TWpPageSetup &p = m_loadedPage;
    const int values[] = {p.width, p.height, p.marginL, p.marginT, p.marginR, p.marginB};
    return which >= 0 && which < 6 ? values[which] : 0;
}

void TWpTextControl::setZoomFactor(int percent) {
    if (percent <= 0)
        return;
    m_zoom = qBound(10, percent, 500);
    m_view->setTransform(QTransform::fromScale(m_zoom / 100.0, m_zoom / 100.0));
    layoutPage();
}

// The page is as wide as the text plus the editor's frame and scroll bar, and as high as the
// view shows at the current zoom.
void TWpTextControl::layoutPage() {
    const double scale = m_zoom / 100.0;
    const int textWidth = qRound(twipsToUnits(m_doc->page.width - m_doc->page.marginL - m_doc->page.marginR));
    const int chrome = 2 * m_editor->frameWidth() + m_editor->verticalScrollBar()->sizeHint().width() + 4;
    const int height = qMax(100, int((m_view->viewport()->height() - 4) / scale));
    m_page->setFixedSize(textWidth + chrome, height);
    m_scene->setSceneRect(QRectF(QPointF(0, 0), m_page->size()));
}

bool TWpTextControl::eventFilter(QObject *watched, QEvent *e) {
    if (watched == m_view->viewport() && e->type() == QEvent::Resize)
        layoutPage();
    return QWidget::eventFilter(watched, e);
}

double TWpTextControl::zoomScale() const {
    return m_zoom / 100.0;
}

QPointF TWpTextControl::textOriginGlobal() const {
    const QPoint inPage = m_editor->viewport()->mapTo(m_page, QPoint(0, 0));
    const QPointF inScene =
        m_proxy->mapToScene(QPointF(inPage) - QPointF(m_editor->horizontalScrollBar()->value(), 0));
    return m_view->viewport()->mapToGlobal(m_view->mapFromScene(inScene));
}
void TWpTextControl::setScrollBars(int v) {
    m_scrollBars = v;
    m_editor->setHorizontalScrollBarPolicy(v & ScrollBarsHorizontal ? Qt::ScrollBarAsNeeded
                                                                    : Qt::ScrollBarAlwaysOff);
    m_editor->setVerticalScrollBarPolicy(v & ScrollBarsVertical ? Qt::ScrollBarAsNeeded
                                                                : Qt::ScrollBarAlwaysOff);
}
void TWpTextControl::setControlChars(bool on) {
    m_controlChars = on;
    applyControlChars();
}
void TWpTextControl::applyControlChars() {
    for (QTextDocument *d : {m_doc->main(), m_doc->header(), m_doc->footer()}) {
        QTextOption o = d->defaultTextOption();
        o.setFlags(m_controlChars
                       ? QTextOption::ShowTabsAndSpaces | QTextOption::ShowLineAndParagraphSeparators
                       : QTextOption::Flags());
        d->setDefaultTextOption(o);
    }
}
bool TWpTextControl::InsertionMode() const {
    return !m_editor->overwriteMode();
}
void TWpTextControl::setInsertionMode(bool insert) {
    m_editor->setOverwriteMode(!insert);
    if (auto *status = qobject_cast<TWpStatusBar *>(m_statusBar.data()))
        status->refresh();
}

void TWpTextControl::ActivateHeaderFooter(int part) {
    const int code = part == PartHeader || part == PartFooter ? part : PartMain;
    if (code == m_active)
        return;
    m_active = code;
    m_editor->setDocument(m_doc->part(code));
    pageChanged();
}
void TWpTextControl::DeactivateHeaderFooter(int) {
    ActivateHeaderFooter(PartMain);
}

// ---- fields

bool TWpTextControl::insideField(int pos) const {
    const int id = TWpDocument::fieldIdAt(activeDocument(), pos);
    return id != 0 && pos > 0 && TWpDocument::fieldIdAt(activeDocument(), pos - 1) == id;
}

bool TWpTextControl::insideProtected(int pos) const {
    if (!insideField(pos))
        return false;
    return !m_doc->fieldTable().value(TWpDocument::fieldIdAt(activeDocument(), pos)).changeable;
}

bool TWpTextControl::touchesProtected(int from, int to) const {
    for (int p = from; p < to; ++p) {
        const int id = TWpDocument::fieldIdAt(activeDocument(), p);
        if (id != 0 && !m_doc->fieldTable().value(id).changeable)
            return true;
    }
    return false;
}

bool TWpTextControl::userEditAllowed(int from, int to) const {
    return from == to ? !insideProtected(from) : !touchesProtected(from, to);
}

QString TWpTextControl::FieldText() const {
    int s, e;
    if (!m_doc->fieldRange(activeDocument(), m_fieldCurrent, s, e))
        return {};
    return TWpDocument::plainText(activeDocument(), s, e);
}

void TWpTextControl::setFieldText(const QString &text) {
    int s, e;
    if (!m_doc->fieldRange(activeDocument(), m_fieldCurrent, s, e))
        return;
    QTextCursor c(activeDocument());
    c.setPosition(s + 1);
    QTextCharFormat f = c.charFormat();
    c.setPosition(s);
    c.setPosition(e, QTextCursor::KeepAnchor);
    c.insertText(text, f);
}

bool TWpTextControl::FieldChangeable() const {
    return m_doc->fieldTable().value(m_fieldCurrent).changeable;
}
void TWpTextControl::setFieldChangeable(bool on) {
    if (m_doc->fieldTable().contains(m_fieldCurrent))
        m_doc->fieldTable()[m_fieldCurrent].changeable = on;
}
int TWpTextControl::FieldStart() const {
    int s, e;
    return m_doc->fieldRange(activeDocument(), m_fieldCurrent, s, e) ? s : -1;
}
int TWpTextControl::FieldEnd() const {
    int s, e;
    return m_doc->fieldRange(activeDocument(), m_fieldCurrent, s, e) ? e : -1;
}
int TWpTextControl::FieldAtInputPos() const {
    return TWpDocument::fieldIdAt(activeDocument(), cursor().selectionStart());
}

int TWpTextControl::InsertField(const QString &text) {
    QTextCursor c = cursor();
    if (text.isEmpty() && !c.hasSelection())
        return 0;
    const int id = m_doc->newFieldId();
    QTextCharFormat f;
    f.setProperty(FieldIdProperty, id);
    if (text.isEmpty()) {
        // A field never spans a paragraph end: it ends with the selection's first paragraph.
        const QTextBlock first = activeDocument()->findBlock(c.selectionStart());
        const int start = c.selectionStart();
        const int end = qMin(c.selectionEnd(), first.position() + first.length() - 1);
        if (end <= start) {
            m_doc->fieldTable().remove(id);
            return 0;
        }
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.mergeCharFormat(f);
    } else {
        QTextCharFormat base = c.charFormat();
        base.merge(f);
        c.insertText(text, base);
        m_editor->setTextCursor(c);
    }
    m_fieldCurrent = id;
    return id;
}

void TWpTextControl::DeleteField(int mode) {
    int s, e;
    if (!m_doc->fieldRange(activeDocument(), m_fieldCurrent, s, e))
        return;
    QTextCursor c(activeDocument());
    c.setPosition(s);
    c.setPosition(e, QTextCursor::KeepAnchor);
    if (mode == -1) {
        c.removeSelectedText();
    } else {
        QTextCharFormat f;
        f.setProperty(FieldIdProperty, 0);
        c.mergeCharFormat(f);
    }
    m_fieldCurrent = 0;
}

int TWpTextControl::NextField(int id) {
    return m_doc->nextField(activeDocument(), id);
}
void TWpTextControl::SetFieldData(int id, int data) {
    if (m_doc->fieldTable().contains(id))
        m_doc->fieldTable()[id].data = data;
}
int TWpTextControl::GetFieldData(int id) const {
    return m_doc->fieldTable().value(id).data;
}

// ---- pictures

int TWpTextControl::InsertPicture(const QString &file, int posX, int posY, int scaleX, int scaleY,
                                  int objectMode, int textFlow, int distL, int distT, int distR, int distB) {
    const int id = m_doc->addPicture({0, file, posX, posY, qBound(1, scaleX, 1000), qBound(1, scaleY, 1000),
                                      objectMode, textFlow, distL, distT, distR, distB});
    m_objectCurrent = id;
    m_editor->viewport()->update();
    emit OnChange();
    return id;
}

int TWpTextControl::NextObject(int id) const {
    const QList<TWpPicture> &pics = m_doc->pictures;
    if (id == 0)
        return pics.isEmpty() ? 0 : pics.first().id;
    for (int i = 0; i + 1 < pics.size(); ++i)
        if (pics.at(i).id == id)
            return pics.at(i + 1).id;
    return 0;
}

bool TWpTextControl::DeleteObject(int id) {
    const qsizetype before = m_doc->pictures.size();
    m_doc->pictures.removeIf([id](const TWpPicture &p) { return p.id == id; });
    if (m_doc->pictures.size() == before)
        return false;
    if (m_objectCurrent == id)
        m_objectCurrent = 0;
    m_editor->viewport()->update();
    emit OnObjectDeleted(id);
    return true;
}

int TWpTextControl::ObjectScaleX() const {
    for (const TWpPicture &p : m_doc->pictures)
        if (p.id == m_objectCurrent)
            return p.scaleX;
    return 0;
}
void TWpTextControl::setObjectScaleX(int scale) {
    for (TWpPicture &p : m_doc->pictures)
        if (p.id == m_objectCurrent)
            p.scaleX = qBound(1, scale, 1000);
    m_editor->viewport()->update();
}

void TWpTextControl::SetPictureImage(const QString &file, const QImage &image) {
    const QString local = m_doc->pathLookup ? m_doc->pathLookup(file) : file;
    m_pixmaps.insert(local, QPixmap::fromImage(image));
    m_editor->viewport()->update();
}

QPixmap TWpTextControl::pixmapFor(const TWpPicture &p) {
    const QString local = m_doc->pathLookup ? m_doc->pathLookup(p.path) : p.path;
    auto it = m_pixmaps.find(local);
    if (it == m_pixmaps.end())
        it = m_pixmaps.insert(local, QPixmap(local));
    return it.value();
}

// A picture's rectangle in document units; a picture whose file cannot be read keeps a
// placeholder square so it can still be seen, moved and deleted.
QRectF TWpTextControl::pictureRect(const TWpPicture &p) {
    const QPixmap pix = pixmapFor(p);
    const QSizeF size = pix.isNull() ? QSizeF(96, 96) : QSizeF(pix.size());
    return QRectF(twipsToUnits(p.posX), twipsToUnits(p.posY), size.width() * p.scaleX / 100.0,
                  size.height() * p.scaleY / 100.0);
}

void TWpTextControl::paintPictures(QPainter &painter, const QPointF &origin, double scale) {
    for (const TWpPicture &p : m_doc->pictures) {
        const QPixmap pix = pixmapFor(p);
        const QRectF r = pictureRect(p);
        const QRectF target(origin.x() + r.x() * scale, origin.y() + r.y() * scale, r.width() * scale,
                            r.height() * scale);
        if (pix.isNull()) {
            painter.save();
            painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
            painter.drawRect(target);
            painter.drawLine(target.topLeft(), target.bottomRight());
            painter.drawLine(target.topRight(), target.bottomLeft());
            painter.restore();
            continue;
        }
        painter.drawPixmap(target, pix, pix.rect());
    }
}

void TWpTextControl::setPathLookup(std::function<QString(const QString &)> lookup) {
    m_doc->pathLookup = std::move(lookup);
    m_pixmaps.clear();
    m_editor->viewport()->update();
}

// Pictures are placed from the page's top left corner; the text area starts at the margins.
QPointF TWpTextControl::documentPoint(const QPoint &viewportPos) const {
    return QPointF(
        viewportPos.x() + m_editor->horizontalScrollBar()->value() + twipsToUnits(m_doc->page.marginL),
        viewportPos.y() + m_editor->verticalScrollBar()->value() + twipsToUnits(m_doc->page.marginT));
}

int TWpTextControl::pictureAt(const QPoint &viewportPos) {
    const QPointF at = documentPoint(viewportPos);
    for (qsizetype i = m_doc->pictures.size() - 1; i >= 0; --i) // the topmost, drawn last, first
        if (pictureRect(m_doc->pictures.at(i)).contains(at))
            return m_doc->pictures.at(i).id;
    return 0;
}

void TWpTextControl::pictureClicked(const QPoint &pos) {
    const int id = pictureAt(pos);
    if (id == 0)
        return;
    m_objectCurrent = id;
    emit OnObjectClicked(id);
}

bool TWpTextControl::beginPictureDrag(const QPoint &viewportPos) {
    const int id = pictureAt(viewportPos);
    if (id == 0)
        return false;
    for (const TWpPicture &p : m_doc->pictures)
        if (p.id == id)
            m_dragOriginal = p;
    const QRectF r = pictureRect(m_dragOriginal);
    m_dragStart = documentPoint(viewportPos);
    m_dragResize = QLineF(m_dragStart, r.bottomRight()).length() <= 8;
    m_dragId = id;
    return true;
}

bool TWpTextControl::dragPicture(const QPoint &viewportPos) {
    if (m_dragId == 0)
        return false;
    const QPointF delta = documentPoint(viewportPos) - m_dragStart;
    for (TWpPicture &p : m_doc->pictures) {
        if (p.id != m_dragId)
            continue;
        if (m_dragResize) {
            const QRectF r = pictureRect(m_dragOriginal);
            p.scaleX = qBound(
                1, qRound(m_dragOriginal.scaleX * (r.width() + delta.x()) / qMax(1.0, r.width())), 1000);
            p.scaleY = qBound(
                1, qRound(m_dragOriginal.scaleY * (r.height() + delta.y()) / qMax(1.0, r.height())), 1000);
        } else {
            p.posX = qMax(0, m_dragOriginal.posX + unitsToTwips(delta.x()));
            p.posY = qMax(0, m_dragOriginal.posY + unitsToTwips(delta.y()));
        }
    }
    m_editor->viewport()->update();
    return true;
}

bool TWpTextControl::endPictureDrag() {
    if (m_dragId == 0)
        return false;
    m_dragId = 0;
    emit OnChange();
    return true;
}

// Pictures that were in view and are no longer after a scroll are reported once.
void TWpTextControl::checkPicturesInView() {
    const QRectF view(documentPoint(QPoint(0, 0)), QSizeF(m_editor->viewport()->size()));
    QSet<int> visible;
    for (const TWpPicture &p : m_doc->pictures)
        if (pictureRect(p).intersects(view))
            visible.insert(p.id);
    for (int id : std::as_const(m_picturesInView))
        if (!visible.contains(id))
            emit OnObjectScrollOut(id);
    m_picturesInView = visible;
}

int TWpTextControl::ListPictures(const QString &file, QList<TWpPicture> *out) {
    QFile f(file);
    if (!f.exists())
        return -1;
    if (!f.open(QIODevice::ReadOnly))
        return -2;
    const QList<TWpPicture> pics = scanRtfPictures(f.readAll());
    if (out)
        *out = pics;
    return int(pics.size());
}

// ---- tables

void TWpTextControl::refreshTables() {
    QSet<QTextTable *> present;
    QList<QTextFrame *> frames = m_doc->main()->rootFrame()->childFrames();
    while (!frames.isEmpty()) {
        QTextFrame *f = frames.takeFirst();
        if (auto *t = qobject_cast<QTextTable *>(f))
            present.insert(t);
        frames += f->childFrames();
    }
    for (auto it = m_tableIds.begin(); it != m_tableIds.end();) {
        if (!present.contains(it.key())) {
            const int id = it.value();
            it = m_tableIds.erase(it);
            emit OnTableDeleted(id);
        } else {
            ++it;
        }
    }
    for (QTextTable *t : present) {
        if (!m_tableIds.contains(t)) {
            const int id = m_nextTableId++;
            m_tableIds.insert(t, id);
            connect(t, &QObject::destroyed, this, [this, t] {
                if (m_tableIds.contains(t))
                    emit OnTableDeleted(m_tableIds.take(t));
            });
            emit OnTableCreated(id);
        }
    }
}

QList<int> TWpTextControl::TableIds() const {
    QList<int> ids = m_tableIds.values();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QTextTable *TWpTextControl::tableById(int id) const {
    for (auto it = m_tableIds.begin(); it != m_tableIds.end(); ++it)
        if (it.value() == id)
            return it.key();
    return nullptr;
}

int TWpTextControl::InsertTable(int rows, int columns) {
    if (rows < 1 || columns < 1 || rows > 1000 || columns > 63)
        return 0;
    QTextCursor c = cursor();
    QTextTableFormat tf;
    tf.setBorder(0);
    tf.setBorderCollapse(true);
    tf.setCellSpacing(0);
    tf.setCellPadding(2);
    const double width = m_doc->main()->textWidth();
    QList<QTextLength> widths;
    for (int i = 0; i < columns; ++i)
        widths.append(QTextLength(QTextLength::FixedLength, width / columns));
    tf.setColumnWidthConstraints(widths);
    QTextTable *t = c.insertTable(rows, columns, tf);
    for (int r = 0; r < rows; ++r)
        for (int col = 0; col < columns; ++col) {
            QTextTableCell cell = t->cellAt(r, col);
            QTextTableCellFormat cf = cell.format().toTableCellFormat();
            cf.setBorder(1);
            cf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cf.setBorderBrush(Qt::black);
            cell.setFormat(cf);
        }
    m_editor->setTextCursor(c);
    refreshTables();
    return m_tableIds.value(t);
}

int TWpTextControl::TableAtInputPos() const {
    QTextTable *t = cursor().currentTable();
    return t ? m_tableIds.value(t) : 0;
}
int TWpTextControl::TableRowAtInputPos() const {
    QTextTable *t = cursor().currentTable();
    return t ? t->cellAt(cursor()).row() + 1 : 0;
}
int TWpTextControl::TableColAtInputPos() const {
    QTextTable *t = cursor().currentTable();
    return t ? t->cellAt(cursor()).column() + 1 : 0;
}
bool TWpTextControl::InsertRow() {
    QTextTable *t = cursor().currentTable();
    if (!t)
        return false;
    t->insertRows(t->cellAt(cursor()).row() + 1, 1);
    return true;
}
bool TWpTextControl::InsertColumn() {
    QTextTable *t = cursor().currentTable();
    if (!t)
        return false;
    t->insertColumns(t->cellAt(cursor()).column() + 1, 1);
    return true;
}
bool TWpTextControl::DeleteRow() {
    QTextTable *t = cursor().currentTable();
    if (!t || touchesProtected(t->firstPosition(), t->lastPosition()))
        return false;
    t->removeRows(t->cellAt(cursor()).row(), 1);
    refreshTables();
    return true;
}
bool TWpTextControl::DeleteColumn() {
    QTextTable *t = cursor().currentTable();
    if (!t || touchesProtected(t->firstPosition(), t->lastPosition()))
        return false;
    t->removeColumns(t->cellAt(cursor()).column(), 1);
    refreshTables();
    return true;
}
// Table start and end positions are those of the frame marks around it, so that everything from
// start to end belongs to the table.
int TWpTextControl::TableStart(int id) const {
    QTextTable *t = tableById(id);
    return t ? t->firstPosition() - 1 : -1;
}
int TWpTextControl::TableEnd(int id) const {
    QTextTable *t = tableById(id);
    return t ? t->lastPosition() : -1;
}
int TWpTextControl::TableRows(int id) const {
    QTextTable *t = tableById(id);
    return t ? t->rows() : 0;
}
int TWpTextControl::TableColumns(int id) const {
    QTextTable *t = tableById(id);
    return t ? t->columns() : 0;
}
QTextTableCell TWpTextControl::cellAt(int id, int row, int column) const {
    QTextTable *t = tableById(id);
    return t ? t->cellAt(row - 1, column - 1) : QTextTableCell();
}
QString TWpTextControl::TableCellText(int id, int row, int column) const {
    const QTextTableCell cell = cellAt(id, row, column);
    if (!cell.isValid())
        return {};
    return TWpDocument::plainText(m_doc->main(), cell.firstPosition(), cell.lastPosition());
}
int TWpTextControl::TableCellWidth(int id, int row, int column) const {
    QTextTable *t = tableById(id);
    if (!t || column < 1 || column > t->columns())
        return 0;
    const QList<QTextLength> widths = t->format().columnWidthConstraints();
    const double full = m_doc->main()->textWidth();
    double w = full / t->columns();
    if (column - 1 < widths.size() && widths.at(column - 1).type() == QTextLength::FixedLength)
        w = widths.at(column - 1).rawValue();
    (void)row; // widths are kept per column
    return unitsToTwips(w);
}
int TWpTextControl::TableCellBorder(int id, int row, int column, int side) const {
    const QTextTableCell cell = cellAt(id, row, column);
    if (!cell.isValid())
        return 0;
    const QTextTableCellFormat f = cell.format().toTableCellFormat();
    const double sides[] = {f.topBorder(), f.leftBorder(), f.bottomBorder(), f.rightBorder()};
    return side >= 0 && side < 4 ? unitsToTwips(sides[side]) : 0;
}

// ---- lists and tabs

TWpListInfo TWpTextControl::ListAt(int pos) const {
    TWpListInfo info;
    const QTextBlock b = activeDocument()->findBlock(pos);
    QTextList *list = b.textList();
    if (!list)
        return info;
    const QTextListFormat f = list->format();
    const int style = -int(f.style());
    info.kind = style >= 4 ? 2 : 1;
    info.level = f.indent();
    static const int numbering[] = {0, 0, 0, 0, 0, 1, 2, 3, 4};
    info.numbering = style >= 0 && style <= 8 ? numbering[style] : 0;
    info.prefix = f.numberPrefix();
    info.suffix =
        f.numberSuffix().isEmpty() && !f.hasProperty(QTextFormat::ListNumberSuffix) ? "." : f.numberSuffix();
    info.itemNumber = list->itemNumber(b) + 1;
    return info;
}

int TWpTextControl::TabPos() const {
    const QList<QTextOption::Tab> tabs = cursor().blockFormat().tabPositions();
    return m_tabCurrent >= 1 && m_tabCurrent <= tabs.size() ? unitsToTwips(tabs.at(m_tabCurrent - 1).position)
                                                            : 0;
}

void TWpTextControl::setTabPos(int twips) {
    QTextCursor c = cursor();
    QTextBlockFormat f = c.blockFormat();
    QList<QTextOption::Tab> tabs = f.tabPositions();
    const int index = m_tabCurrent - 1;
    if (index < 0 || index >= 64)
        return;
    if (twips <= 0) {
        if (index < tabs.size())
            tabs.removeAt(index);
    } else {
        while (tabs.size() <= index)
            tabs.append(QTextOption::Tab(twipsToUnits(twips), QTextOption::LeftTab));
        tabs[index].position = twipsToUnits(twips);
    }
    f.setTabPositions(tabs);
    c.setBlockFormat(f);
}

// ---- documents

void TWpTextControl::ClearDocument() {
    ++m_loading;
    DeactivateHeaderFooter(PartMain);
    m_doc->clear();
    m_fieldCurrent = 0;
    m_objectCurrent = 0;
    --m_loading;
    refreshTables();
    m_editor->viewport()->update();
}

int TWpTextControl::LoadDocument(const QString &file, int position, bool insert, int format) {
    (void)position;
    (void)format; // both of the editor's formats are RTF; the content says which it is
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        emit OnError(QStringLiteral("The file \"%1\" could not be opened: %2").arg(file, f.errorString()));
        return 0;
    }
    const QByteArray bytes = f.readAll();
    if (bytes.isEmpty()) {
        emit OnError(QStringLiteral("The file \"%1\" is empty.").arg(file));
        return 0;
    }
    if (detectFileKind(bytes.left(64)) != TWpFileKind::Rtf) {
        emit OnError(
            QStringLiteral("The file \"%1\" is not an RTF document. Open it in a word processor and save "
                           "it as RTF (Rich Text Format).")
                .arg(file));
        return 0;
    }
    ++m_loading;
    TWpRtfLoadResult r;
    if (insert) {
        QTextCursor c = cursor();
        c.removeSelectedText();
        r = readRtf(bytes, *m_doc, &c);
        m_editor->setTextCursor(c);
    } else {
        DeactivateHeaderFooter(PartMain);
        r = readRtf(bytes, *m_doc);
        m_doc->page = r.page;
        m_fieldCurrent = 0;
        for (QTextDocument *d : {m_doc->main(), m_doc->header(), m_doc->footer()})
            d->clearUndoRedoStacks();
        pageChanged();
        m_editor->setTextCursor(QTextCursor(m_doc->main()));
    }
    m_loadedPage = r.page;
    applyControlChars();
    --m_loading;
    refreshTables();
    m_editor->viewport()->update();
    return r.ok ? int(qMin<qsizetype>(bytes.size(), INT_MAX)) : 0;
}

bool TWpTextControl::SaveDocument(const QString &file, int, bool selectionOnly, int) {
    QByteArray rtf;
    if (selectionOnly) {
        // Just the selected text with its formats and fields, on the same page set-up.
        TWpDocument part;
        part.page = m_doc->page;
        QTextCursor(part.main()).insertFragment(cursor().selection());
        for (int id : part.fieldOrder(part.main()))
            part.fieldTable().insert(id, m_doc->fieldTable().value(id));
        rtf = writeRtf(part);
    } else {
        rtf = writeRtf(*m_doc);
    }
    // What is saved under a name of the user's choosing (a template, a formatted abbreviation) is
    // shared with colleagues: it keeps its mode, is never written through a link planted at its name,
    // and the old file stays when any write fails.
    QString error;
    if (!SharedFile::save(file, rtf, &error)) {
        emit OnError(QStringLiteral("The file \"%1\" could not be saved: %2").arg(file, error));
        return false;
    }
    return true;
}

int TWpTextControl::FindText(const QString &text, int start, int flags) const {
    (void)flags;
    if (text.isEmpty())
        return -1;
    return int(Text().indexOf(text, qMax(0, start), Qt::CaseInsensitive));
}

// ---- editing

void TWpTextControl::ClipboardCommand(TWpClipboardCommand command) {
    const QTextCursor c = cursor();
    switch (command) {
    case ClipboardCut:
        if (c.hasSelection() && !touchesProtected(c.selectionStart(), c.selectionEnd()))
            m_editor->cut();
        break;
    case ClipboardCopy:
        m_editor->copy();
        break;
    case ClipboardPaste:
        if (userEditAllowed(c.selectionStart(), c.selectionEnd()))
            m_editor->paste();
        break;
    default:
        break;
    }
}
bool TWpTextControl::CanCopy() const {
    return cursor().hasSelection();
}
bool TWpTextControl::CanPaste() const {
    return m_editor->canPaste();
}
void TWpTextControl::Undo() {
    m_editor->undo();
}
void TWpTextControl::Redo() {
    m_editor->redo();
}

int TWpTextControl::ScrollPosY() const {
    return unitsToTwips(m_editor->verticalScrollBar()->value());
}
void TWpTextControl::setScrollPosY(int twips) {
    m_editor->verticalScrollBar()->setValue(qRound(twipsToUnits(twips)));
}

} // namespace orva::richtext
