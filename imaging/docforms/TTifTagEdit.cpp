// The TIFF tag editor form.
#include "imaging/docforms/TTifTagEdit.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/modal/ModalDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace orva::imaging {

TTifTagEdit::TTifTagEdit(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TifTagEdit"));
    setWindowTitle(QStringLiteral("Tif Tag Editor"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowTitleHint);
    setFixedSize(604, 308);
    auto label = [this](const char *name, const QString &text, int x, int y, int w = 180) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 20);
        return l;
    };
    m_label1 = label("Label1", QStringLiteral("Select Tif Tag"), 8, 6);
    m_tagBox = new QListWidget(this);
    m_tagBox->setObjectName(QStringLiteral("TagBox"));
    m_tagBox->setGeometry(8, 28, 220, 246);
    m_label3 = label("Label3", QStringLiteral("Tag Number:"), 244, 28, 90);
    m_label4 = label("Label4", QString(), 336, 28, 80);
    m_label8 = label("Label8", QStringLiteral("Page Number:"), 244, 50, 90);
    m_label9 = label("Label9", QString(), 336, 50, 80);
    m_label10 = label("Label10", QStringLiteral("Modified"), 440, 28, 120);
    m_label7 = label("Label7", QStringLiteral("Tag is Read Only"), 244, 76, 300);
    QFont bold = m_label7->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    m_label7->setFont(bold);
    m_label5 = label("Label5", QStringLiteral("Numeric Value of Tag"), 244, 104, 200);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setGeometry(244, 126, 200, 24);
    m_label2 = label("Label2", QStringLiteral("Text Value of Tag"), 244, 104, 200);
    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    m_memo1->setGeometry(244, 126, 350, 120);
    m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_label6 =
        label("Label6", QStringLiteral("(New text can not be larger then original text)"), 244, 248, 350);
    m_bitBtn1 = new QPushButton(QStringLiteral("Close and Update"), this);
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setGeometry(360, 276, 130, 26);
    m_bitBtn2 = new QPushButton(QStringLiteral("Close"), this);
    m_bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    m_bitBtn2->setGeometry(498, 276, 96, 26);
    for (QWidget *w : {static_cast<QWidget *>(m_label2), static_cast<QWidget *>(m_label5),
                       static_cast<QWidget *>(m_label6), static_cast<QWidget *>(m_label7),
                       static_cast<QWidget *>(m_label10), static_cast<QWidget *>(m_edit1),
                       static_cast<QWidget *>(m_memo1)})
        w->hide();

    connect(m_bitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_bitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tagBox, &QListWidget::currentRowChanged, this, [this] { TagBoxClick(); });
    connect(m_edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(m_memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    m_edit1->installEventFilter(this);
    m_memo1->installEventFilter(this);
}

void TTifTagEdit::SetTags(TTiffTagList *tags) {
    m_tags = tags;
}

void TTifTagEdit::showEvent(QShowEvent *event) {
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
    QDialog::showEvent(event);
}

void TTifTagEdit::FormShow() {
    m_tagBox->clear();
    if (!m_tags)
        return;
    for (const TTiffTagRecord &r : *m_tags)
        m_tagBox->addItem(r.Name);
}

TTiffTagRecord *TTifTagEdit::selected() {
    const int row = m_tagBox->currentRow();
    if (!m_tags || row < 0 || row >= m_tags->size())
        return nullptr;
    return &(*m_tags)[row];
}

void TTifTagEdit::TagBoxClick() {
    const TTiffTagRecord *r = selected();
    if (!r)
        return;
    m_filling = true;
    m_label4->setText(QString::number(r->Tag));
    m_label9->setText(QString::number(r->Page + 1));
    // The box follows the tag's TIFF type: ASCII tags are text, every other type a number.
    const bool text = r->IsText();
    m_memo1->setPlainText(QString::fromLatin1(r->Text));
    m_memoBefore = m_memo1->toPlainText();
    m_edit1->setText(QString::number(r->Value));
    m_memo1->setVisible(text);
    m_label2->setVisible(text);
    m_label6->setVisible(text);
    m_edit1->setVisible(!text);
    m_label5->setVisible(!text);
    m_memo1->setReadOnly(r->ReadOnly);
    m_edit1->setReadOnly(r->ReadOnly);
    m_label7->setVisible(r->ReadOnly);
    m_label10->setVisible(r->Modified);
    m_filling = false;
}

bool TTifTagEdit::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || (watched != m_edit1 && watched != m_memo1))
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const TTiffTagRecord *r = selected();
    if (!r || r->ReadOnly)
        return QDialog::eventFilter(watched, event);
    if (watched == m_edit1) {
        const QString t = key->text();
        const bool control = t.isEmpty() || t.at(0).isNull() || t.at(0).unicode() < 32;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool allowed =
            control ? !enter
                    : t.size() == 1 && (t.at(0).isDigit() || t == QLatin1String("+") ||
                                        t == QLatin1String("-") || t == QLocale().decimalPoint());
        if (!allowed) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTifTagEdit::Edit1Change() {
    TTiffTagRecord *r = selected();
    if (m_filling || !r || r->IsText() || r->ReadOnly)
        return;
    const TTagNumberText n = NormalizeTagNumber(m_edit1->text(), *r);
    r->Value = n.Value;
    if (n.Text != m_edit1->text()) {
        const QSignalBlocker block(m_edit1);
        m_edit1->setText(n.Text);
    }
    SetModifiedFlag();
}

void TTifTagEdit::Memo1Change() {
    TTiffTagRecord *r = selected();
    if (m_filling || !r || !r->IsText() || r->ReadOnly)
        return;
    const QString text = m_memo1->toPlainText();
    if (!TagTextAcceptable(text, *r)) {
        // Longer than the slot, or not plain ASCII: the text stays as it was.
        QApplication::beep();
        const QSignalBlocker block(m_memo1);
        QTextCursor cursor = m_memo1->textCursor();
        const int at = cursor.position();
        m_memo1->setPlainText(m_memoBefore);
        cursor = m_memo1->textCursor();
        cursor.setPosition(std::min(at, static_cast<int>(m_memoBefore.size())));
        m_memo1->setTextCursor(cursor);
        return;
    }
    m_memoBefore = text;
    r->Text = text.toLatin1();
    SetModifiedFlag();
}

void TTifTagEdit::SetModifiedFlag() {
    // Any change the user makes counts, typed or pasted; filling the boxes on a selection does not.
    TTiffTagRecord *r = selected();
    if (!r)
        return;
    r->Modified = true;
    m_label10->show();
}

bool EditTags(QWidget *parent, const TTiffSource &source, int page, TTiffTagList &tags,
              bool &resolutionChanged, QString *error) {
    resolutionChanged = false;
    TTifTagEdit form(parent);
    form.SetTags(&tags);
    bool ok = true;
    QString why;
    if (RunModalDialog(form) == QDialog::Accepted)
        ok = WriteModifiedTags(source, page, tags, resolutionChanged, &why);
    if (!why.isEmpty())
        return failWith(error, why);
    // A successful read leaves the last error as the write left it.
    if (!ReadTagRecords(source, page, tags, nullptr, {}, &why) && !why.isEmpty())
        return failWith(error, why);
    return ok;
}

} // namespace orva::imaging
