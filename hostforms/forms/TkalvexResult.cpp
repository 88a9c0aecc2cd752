// Result-entry control: data, display states, the field editor and its keys, printing.
#include "hostforms/forms/TkalvexResult.h"

#include "common/HostText.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/protocol/HostProtocol.h"
#include "terminal/core/TVtKeyTranslation.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

namespace {

constexpr int VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_UP = 38, VK_DOWN = 40;
constexpr int VK_F1 = 112, VK_F9 = 120, VK_F10 = 121;
constexpr int VK_CLEAR_FIRST = 219, VK_CLEAR_LAST = 221;

TkalvexResult::PrinterSource &printerSource() {
    static TkalvexResult::PrinterSource source;
    return source;
}

std::unique_ptr<QPrinter> systemPrinter(const QByteArray &name) {
    QPrinterInfo info =
        name.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(QString::fromLocal8Bit(name));
    if (info.isNull()) {
        info = QPrinterInfo::defaultPrinter();
    }
    if (info.isNull()) {
        return nullptr;
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace

void TkalvexResult::setPrinterSource(PrinterSource source) {
    printerSource() = std::move(source);
}

TkalvexResult::TkalvexResult(QWidget *parent)
    : QScrollArea(parent), m_page(nullptr), m_editor(nullptr), m_canvas(new QWidget) {
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setWidgetResizable(false);
    m_canvas->setObjectName(QStringLiteral("canvas"));
    setWidget(m_canvas);
    m_page = new TKalvexResultImage(m_model, m_canvas);
    m_page->move(0, -8);
    m_page->hide();
    m_editor = new QPlainTextEdit(m_page);
    m_editor->setObjectName(QStringLiteral("FieldEditor"));
    m_editor->hide();
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setTabChangesFocus(false);
    m_editor->document()->setDocumentMargin(0); // the text sits where the page draws the value
    QPalette p = m_editor->palette();
    p.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xCC));
    m_editor->setPalette(p);
    m_editor->installEventFilter(this);
    QFont f(QStringLiteral("Courier New"), 10);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    setFont(f);
    m_page->setFont(f);
    m_page->onPress = [this](const QPoint &at) {
        if (m_page->State != TKalvexResultModel::State::Edit) {
            return;
        }
        const TKalvexResultImage::Metrics m = m_page->metrics();
        if (const int n = m_model.hitTest(at.x(), at.y(), m.lineHeight, m.pageWidth())) {
            openField(n);
        }
    };
}

TkalvexResult::~TkalvexResult() = default;

TPickPanel *TkalvexResult::Header() const {
    return m_header;
}

TPickPanel *TkalvexResult::Footer() const {
    return m_footer;
}

void TkalvexResult::SetHeader(TPickPanel *panel) {
    m_header = panel;
}

void TkalvexResult::SetFooter(TPickPanel *panel) {
    m_footer = panel;
}

void TkalvexResult::changeEvent(QEvent *event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_page) {
        m_page->setFont(font());
        displayLayout();
    }
}

void TkalvexResult::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    placePage();
}

void TkalvexResult::placePage() {
    const QSize page = m_page->size();
    const QSize view = viewport()->size();
    m_canvas->resize(std::max(page.width(), view.width()), std::max(page.height(), view.height()));
    // Centred across, never left of the box.
    m_page->move(std::max(0, (view.width() - page.width()) / 2), 0);
}

void TkalvexResult::SetData(const QByteArray &blocks) {
    const QList<TKalvexResultModel::Change> changes = m_model.SetData(blocks);
    displayLayout();
    report(changes);
}

QByteArray TkalvexResult::LoadLayout(const QByteArray &path) {
    QByteArray error;
    const std::optional<QList<QByteArray>> lines = TKalvexResultModel::fileLines(path, &error);
    if (!lines) {
        return error;
    }
    m_model.SetLayout(*lines);
    displayLayout();
    return {};
}

QByteArray TkalvexResult::LoadRange(const QByteArray &path) {
    QByteArray error;
    const std::optional<QList<QByteArray>> lines = TKalvexResultModel::fileLines(path, &error);
    if (!lines) {
        return error;
    }
    // The range data is one text; a file may hold it on several lines.
    m_model.SetRange(lines->join(QByteArray()));
    displayLayout();
    return {};
}

QByteArray TkalvexResult::LoadResult(const QByteArray &path) {
    QByteArray error;
    const std::optional<QList<QByteArray>> lines = TKalvexResultModel::fileLines(path, &error);
    if (!lines) {
        return error;
    }
    const QList<TKalvexResultModel::Change> changes = m_model.SetResult(*lines);
    displayLayout();
    report(changes);
    return {};
}

void TkalvexResult::displayLayout() {
    if (m_model.layout().isEmpty()) {
        m_page->hide();
        m_editor->hide();
        return;
    }
    m_page->displayLayout();
    placePage();
    m_page->setVisible(m_page->State != TKalvexResultModel::State::Print);
    if (m_editor->isVisible() && m_field) {
        m_editor->setGeometry(m_page->fieldRect(m_field, m_lines));
    }
}

void TkalvexResult::Reset() {
    m_model.Reset();
    m_field = 0;
    m_editor->hide();
    m_page->State = TKalvexResultModel::State::Empty;
    m_page->hide();
}

void TkalvexResult::Edit() {
    m_page->State = TKalvexResultModel::State::Edit;
    m_field = 0;
    displayLayout();
    openField(m_model.firstField());
}

QByteArray TkalvexResult::SetDisplayState(int state, const QByteArray &printSettings) {
    switch (state) {
    case 0:
        Reset();
        return {};
    case 1:
        m_page->EditBackground = QColor(0xE8, 0xE8, 0xE8);
        Edit();
        return {};
    case 2:
    case 3:
        commitField();
        m_editor->hide();
        m_field = 0;
        m_page->State = state == 2 ? TKalvexResultModel::State::Final : TKalvexResultModel::State::Review;
        displayLayout();
        return {};
    case 4: {
        const QList<QByteArray> parts = printSettings.split(';');
        const std::optional<qint64> scale = HostProtocol::readInteger(parts.value(0));
        m_printScale = scale ? int(std::clamp<qint64>(*scale, 1, 400)) : 36;
        m_printerName = parts.value(1).trimmed();
        return Print();
    }
    default:
        return {};
    }
}

void TkalvexResult::report(const QList<TKalvexResultModel::Change> &changes) {
    for (const TKalvexResultModel::Change &c : changes) {
        if (m_onChange) {
            m_onChange(c.field, c.text);
        }
    }
    if (!changes.isEmpty()) {
        m_page->update();
    }
}

QList<QByteArray> TkalvexResult::editorLines() const {
    QList<QByteArray> out;
    for (QTextBlock b = m_editor->document()->begin(); b.isValid(); b = b.next()) {
        out.append(HostText::fromUnicode(b.text()));
    }
    return out;
}

void TkalvexResult::commitField() {
    if (!m_field || !m_editor->isVisible()) {
        return;
    }
    report(m_model.Commit(m_field, editorLines()));
}

void TkalvexResult::openField(int n) {
    const int start = m_model.groupStart(n);
    const TKalvexResultModel::Field f = m_model.field(start);
    if (!f.valid || m_page->State != TKalvexResultModel::State::Edit) {
        return;
    }
    commitField();
    m_field = start;
    m_lines = m_model.groupLines(start);
    QStringList lines;
    for (int i = 0; i < m_lines; ++i) {
        lines.append(HostText::toUnicode(m_model.editValue(start + i)));
    }
    while (lines.size() > 1 && lines.last().isEmpty()) {
        lines.removeLast();
    }
    QFont bold = m_page->font();
    bold.setBold(true);
    m_editor->setFont(bold);
    m_editor->setPlainText(lines.join('\n'));
    const QRect r = m_page->fieldRect(start, m_lines);
    if (r.isEmpty()) {
        m_editor->hide();
        return;
    }
    m_editor->setGeometry(r);
    m_editor->show();
    m_editor->raise();
    m_editor->moveCursor(QTextCursor::End);
    m_editor->setFocus(Qt::OtherFocusReason);
    ensureWidgetVisible(m_editor);
}

void TkalvexResult::typeInto(QKeyEvent *e) {
    const int c = TypedChar(e->key(), e->modifiers(), e->text());
    if (c < 0) {
        return;
    }
    const char ch = char(c);
    if (!m_model.accepts(m_field, ch)) {
        return;
    }
    const TKalvexResultModel::Field f = m_model.field(m_field);
    QTextCursor cursor = m_editor->textCursor();
    const int width = std::max(1, f.width);
    if (!cursor.hasSelection() && cursor.block().text().size() >= width) {
        if (m_lines <= 1) {
            return; // the field is full
        }
        QList<QByteArray> lines = editorLines();
        const int at = cursor.blockNumber();
        if (!TKalvexResultModel::wrapLine(lines, at, m_lines)) {
            return;
        }
        QStringList text;
        for (const QByteArray &l : lines) {
            text.append(HostText::toUnicode(l));
        }
        m_editor->setPlainText(text.join('\n'));
        cursor = QTextCursor(m_editor->document()->findBlockByNumber(at + 1));
        cursor.movePosition(QTextCursor::EndOfBlock);
    }
    cursor.insertText(HostText::toUnicode(QByteArray(1, ch)));
    m_editor->setTextCursor(cursor);
}

bool TkalvexResult::editorKey(QKeyEvent *e) {
    const int key = VirtualKeyOf(e->key(), e->modifiers() & Qt::KeypadModifier);
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    QTextCursor cursor = m_editor->textCursor();
    const bool firstLine = cursor.blockNumber() == 0;
    const bool lastLine = cursor.blockNumber() == m_editor->document()->blockCount() - 1;
    if (e->key() == Qt::Key_Backtab || (key == VK_TAB && shift)) {
        openField(m_model.previousField(m_field));
        return true;
    }
    if (key == VK_TAB) {
        openField(m_model.nextField(m_field));
        return true;
    }
    if (key == VK_RETURN) {
        // A single-line field, or the last line of a free-text field, moves on; another line of a
        // free-text field splits at the caret while the field has a line to spare.
        if (m_lines <= 1 || cursor.blockNumber() >= m_lines - 1) {
            openField(m_model.nextField(m_field));
        } else if (m_editor->document()->blockCount() < m_lines) {
            cursor.insertBlock();
            m_editor->setTextCursor(cursor);
        }
        return true;
    }
    if (key == VK_UP && firstLine) {
        openField(m_model.previousField(m_field));
        return true;
    }
    if (key == VK_DOWN && lastLine) {
        openField(m_model.nextField(m_field));
        return true;
    }
    if (key == VK_ESCAPE) {
        if (m_onAbort) {
            m_onAbort();
        }
        return true;
    }
    if (key >= VK_F1 && key <= VK_F9) {
        const int n = key - VK_F1 + 1;
        if (const std::optional<int> target = m_model.jumpTarget(n)) {
            openField(*target);
        }
        return true;
    }
    if (key == VK_F10) {
        // What the user typed into the open field is part of what is saved.
        commitField();
        if (m_onSave) {
            m_onSave(m_model.results());
        }
        return true;
    }
    if (key >= VK_CLEAR_FIRST && key <= VK_CLEAR_LAST) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_editor->setTextCursor(cursor);
        return true;
    }
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete || e->key() == Qt::Key_Left ||
        e->key() == Qt::Key_Right || e->key() == Qt::Key_Home || e->key() == Qt::Key_End || key == VK_UP ||
        key == VK_DOWN) {
        return false; // the editor moves and deletes
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return e->key() != Qt::Key_C && e->key() != Qt::Key_A; // copying and selecting stay
    }
    typeInto(e);
    return true;
}

bool TkalvexResult::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_editor && event->type() == QEvent::KeyPress) {
        try {
            return editorKey(static_cast<QKeyEvent *>(event));
        } catch (...) {
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

QByteArray TkalvexResult::Print() {
    std::unique_ptr<QPrinter> printer =
        printerSource() ? printerSource()(m_printerName) : systemPrinter(m_printerName);
    if (!printer) {
        return "No printer is available.";
    }
    commitField();
    m_editor->hide();
    const TKalvexResultModel::State before = m_page->State;
    m_page->State = TKalvexResultModel::State::Print;
    QFont font = m_page->font();
    font.setPointSize(std::max(1, m_printScale));
    QPainter p;
    if (!p.begin(printer.get())) {
        m_page->State = before;
        displayLayout();
        return "The printer could not be started.";
    }
    const int width = printer->width() - 1;
    const int height = printer->height() - 1;
    int top = 0;
    auto drawPanel = [&](TPickPanel *panel, bool atTop) {
        if (!panel || panel->width() <= 0 || panel->height() <= 0) {
            return 0;
        }
        const double scale = double(width) / panel->width();
        const int h = int(std::lround(panel->height() * scale));
        p.save();
        p.translate(0, atTop ? 0 : height - h);
        p.scale(scale, scale);
        panel->printOn(p);
        p.restore();
        return h;
    };
    top = drawPanel(m_header, true);
    drawPanel(m_footer, false);
    const TKalvexResultImage::Metrics m = TKalvexResultImage::metricsFor(font, printer.get());
    if (m.pageWidth() > 0) {
        const double scale = double(width) / m.pageWidth();
        p.save();
        p.translate(0, top);
        p.scale(scale, scale);
        m_page->paintPage(p, font, printer.get());
        p.restore();
    }
    const bool ok = p.end();
    m_page->State = before;
    displayLayout();
    return ok ? QByteArray() : QByteArray("The print could not be finished.");
}
