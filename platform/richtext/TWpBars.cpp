// Button bar, ruler and status bar bound to the word-processor control.
#include "platform/richtext/TWpBars.h"

#include "platform/richtext/TWpTextControl.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

namespace orva::richtext {

// ---- button bar

TWpButtonBar::TWpButtonBar(QWidget *parent) : QWidget(parent) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_font = new QFontComboBox(this);
    m_font->setObjectName("font");
    layout->addWidget(m_font);
    m_size = new QComboBox(this);
    m_size->setObjectName("size");
    for (int s : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72})
        m_size->addItem(QString::number(s), s);
    m_size->setEditable(true);
    layout->addWidget(m_size);
    addButton("bold", "B", true);
    addButton("italic", "I", true);
    addButton("underline", "U", true);
    addButton("strike", "S", true);
    addButton("left", "L", true);
    addButton("centre", "C", true);
    addButton("right", "R", true);
    layout->addStretch();
    setEnabled(false);
}

QToolButton *TWpButtonBar::addButton(const QString &name, const QString &text, bool checkable) {
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setCheckable(checkable);
    layout()->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, name](bool on) {
        if (!m_control || m_refreshing)
            return;
        if (name == "bold")
            m_control->setFontBold(on);
        else if (name == "italic")
            m_control->setFontItalic(on);
        else if (name == "underline")
            m_control->setFontUnderline(on);
        else if (name == "strike")
            m_control->setFontStrikethru(on);
        else if (name == "left")
            m_control->setAlignment(0);
        else if (name == "centre")
            m_control->setAlignment(2);
        else if (name == "right")
            m_control->setAlignment(1);
        refresh();
        m_control->FocusText();
    });
    return b;
}

QToolButton *TWpButtonBar::button(const QString &name) const {
    return findChild<QToolButton *>(name);
}

void TWpButtonBar::attach(TWpTextControl *control) {
    m_control = control;
    setEnabled(control != nullptr);
    if (!control)
        return;
    connect(control->editor(), &QTextEdit::cursorPositionChanged, this, &TWpButtonBar::refresh);
    connect(control->editor(), &QTextEdit::currentCharFormatChanged, this, &TWpButtonBar::refresh);
    connect(m_font, &QFontComboBox::currentFontChanged, this, [this](const QFont &f) {
        if (m_control && !m_refreshing)
            m_control->setFontName(f.family());
    });
    connect(m_size, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (m_control && !m_refreshing && ok && size > 0)
            m_control->setFontSize(size);
    });
    refresh();
}

void TWpButtonBar::refresh() {
    if (!m_control)
        return;
    m_refreshing = true;
    button("bold")->setChecked(m_control->FontBold());
    button("italic")->setChecked(m_control->FontItalic());
    button("underline")->setChecked(m_control->FontUnderline());
    button("strike")->setChecked(m_control->FontStrikethru());
    const int a = m_control->Alignment();
    button("left")->setChecked(a == 0 || a == 3);
    button("centre")->setChecked(a == 2);
    button("right")->setChecked(a == 1);
    m_font->setCurrentFont(QFont(m_control->FontName()));
    m_size->setCurrentText(QString::number(m_control->FontSize()));
    m_refreshing = false;
}

// ---- ruler

TWpRuler::TWpRuler(QWidget *parent) : QWidget(parent) {
    setMinimumHeight(20);
}

void TWpRuler::attach(TWpTextControl *control) {
    m_control = control;
    if (!control)
        return;
    connect(control->editor(), &QTextEdit::cursorPositionChanged, this, qOverload<>(&QWidget::update));
    connect(control->editor()->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            qOverload<>(&QWidget::update));
    update();
}

int TWpRuler::twipsAt(int x) const {
    if (!m_control)
        return 0;
    const double origin = mapFromGlobal(m_control->textOriginGlobal()).x();
    return unitsToTwips((x - origin) / m_control->zoomScale());
}

int TWpRuler::xAt(int twips) const {
    if (!m_control)
        return 0;
    const double origin = mapFromGlobal(m_control->textOriginGlobal()).x();
    return qRound(origin + twipsToUnits(twips) * m_control->zoomScale());
}

void TWpRuler::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!m_control)
        return;
    const int width = m_control->PageWidth() - m_control->PageMarginL() - m_control->PageMarginR();
    p.fillRect(QRect(QPoint(xAt(0), 2), QPoint(xAt(width), height() - 3)), Qt::white);
    p.setPen(palette().color(QPalette::WindowText));
    constexpr int TwipsPerCm = 567;
    for (int cm = 0; cm * TwipsPerCm <= width; ++cm) {
        const int x = xAt(cm * TwipsPerCm);
        p.drawLine(x, height() - 6, x, height() - 3);
        if (cm > 0)
            p.drawText(QRect(x - 10, 2, 20, height() - 8), Qt::AlignCenter, QString::number(cm));
    }
    const int left = m_control->IndentL(), first = left + m_control->IndentFL(),
              right = width - m_control->IndentR();
    auto marker = [&](int twips, bool top) {
        const int x = xAt(twips);
        const QPolygon tri = top ? QPolygon({QPoint(x - 4, 2), QPoint(x + 4, 2), QPoint(x, 7)})
                                 : QPolygon({QPoint(x - 4, height() - 2), QPoint(x + 4, height() - 2),
                                             QPoint(x, height() - 7)});
        p.setBrush(Qt::gray);
        p.drawPolygon(tri);
    };
    marker(first, true);
    marker(left, false);
    marker(right, false);
    for (const QTextOption::Tab &t : m_control->editor()->textCursor().blockFormat().tabPositions()) {
        const int x = xAt(unitsToTwips(t.position));
        p.drawLine(x, height() - 8, x, height() - 3);
        p.drawLine(x, height() - 3, x + 4, height() - 3);
    }
}

void TWpRuler::mousePressEvent(QMouseEvent *e) {
    if (!m_control)
        return;
    const int x = e->position().toPoint().x();
    const int width = m_control->PageWidth() - m_control->PageMarginL() - m_control->PageMarginR();
    const int left = m_control->IndentL(), first = left + m_control->IndentFL(),
              right = width - m_control->IndentR();
    const bool top = e->position().y() < height() / 2;
    if (qAbs(x - xAt(first)) <= 4 && top)
        m_drag = Drag::First;
    else if (qAbs(x - xAt(left)) <= 4)
        m_drag = Drag::Left;
    else if (qAbs(x - xAt(right)) <= 4)
        m_drag = Drag::Right;
    else
        m_drag = Drag::None;
}

void TWpRuler::mouseMoveEvent(QMouseEvent *e) {
    if (!m_control || m_drag == Drag::None)
        return;
    const int at = qMax(0, twipsAt(e->position().toPoint().x()));
    const int width = m_control->PageWidth() - m_control->PageMarginL() - m_control->PageMarginR();
    if (m_drag == Drag::First) {
        m_control->setIndentFL(at - m_control->IndentL());
    } else if (m_drag == Drag::Left) {
        const int first = m_control->IndentL() + m_control->IndentFL();
        m_control->setIndentL(at);
        m_control->setIndentFL(first - at); // the first line stays where it was
    } else {
        m_control->setIndentR(qMax(0, width - at));
    }
    update();
}

void TWpRuler::mouseReleaseEvent(QMouseEvent *e) {
    if (m_control && m_drag == Drag::None && e->button() == Qt::LeftButton) {
        const int at = twipsAt(e->position().toPoint().x());
        if (at > 0) {
            QList<QTextOption::Tab> tabs = m_control->editor()->textCursor().blockFormat().tabPositions();
            tabs.append(QTextOption::Tab(twipsToUnits(at), QTextOption::LeftTab));
            std::sort(tabs.begin(), tabs.end(), [](auto &a, auto &b) { return a.position < b.position; });
            QTextBlockFormat f;
            f.setTabPositions(tabs);
            m_control->editor()->textCursor().mergeBlockFormat(f);
        }
    }
    m_drag = Drag::None;
    update();
}

void TWpRuler::mouseDoubleClickEvent(QMouseEvent *e) {
    if (!m_control)
        return;
    QList<QTextOption::Tab> tabs = m_control->editor()->textCursor().blockFormat().tabPositions();
    const int x = e->position().toPoint().x();
    tabs.removeIf([&](const QTextOption::Tab &t) { return qAbs(xAt(unitsToTwips(t.position)) - x) <= 4; });
    QTextBlockFormat f;
    f.setTabPositions(tabs);
    m_control->editor()->textCursor().mergeBlockFormat(f);
    update();
}

// ---- status bar

TWpStatusBar::TWpStatusBar(QWidget *parent) : QWidget(parent) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 1, 4, 1);
    m_page = new QLabel(this);
    m_mode = new QLabel(this);
    layout->addWidget(m_page);
    layout->addStretch();
    layout->addWidget(m_mode);
}

void TWpStatusBar::attach(TWpTextControl *control) {
    m_control = control;
    if (!control)
        return;
    connect(control->editor(), &QTextEdit::cursorPositionChanged, this, &TWpStatusBar::refresh);
    connect(control, &TWpTextControl::OnChange, this, &TWpStatusBar::refresh);
    refresh();
}

void TWpStatusBar::setPageMode(int mode) {
    m_pageMode = mode;
    refresh();
}

QString TWpStatusBar::pageText() const {
    if (!m_control || m_pageMode == 0)
        return {};
    const QTextEdit *e = m_control->editor();
    const double pageHeight =
        twipsToUnits(m_control->PageHeight() - m_control->PageMarginT() - m_control->PageMarginB());
    const double y = e->cursorRect().top() + e->verticalScrollBar()->value();
    const int pages = qMax(1, m_control->CurrentPages());
    const int page = qBound(1, int(y / qMax(1.0, pageHeight)) + 1, pages);
    return tr("Page %1 of %2").arg(page).arg(pages);
}

QString TWpStatusBar::modeText() const {
    if (!m_control)
        return {};
    return m_control->InsertionMode() ? tr("INS") : tr("OVR");
}

void TWpStatusBar::refresh() {
    m_page->setText(pageText());
    m_mode->setText(modeText());
}

} // namespace orva::richtext
