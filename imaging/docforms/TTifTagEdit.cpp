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
    auto label = [this](const QString &text, int x, int y, int w = 180) {
        auto *l = new QLabel(text, this);
        l->setGeometry(x, y, w, 20);
        return l;
    };
    Label1 = label(QStringLiteral("Select Tif Tag"), 8, 6);
    TagBox = new QListWidget(this);
    TagBox->setObjectName(QStringLiteral("TagBox"));
    TagBox->setGeometry(8, 28, 220, 246);
    Label3 = label(QStringLiteral("Tag Number:"), 244, 28, 90);
    Label4 = label(QString(), 336, 28, 80);
    Label8 = label(QStringLiteral("Page Number:"), 244, 50, 90);
    Label9 = label(QString(), 336, 50, 80);
    Label10 = label(QStringLiteral("Modified"), 440, 28, 120);
    Label7 = label(QStringLiteral("Tag is Read Only"), 244, 76, 300);
    QFont bold = Label7->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    Label7->setFont(bold);
    Label5 = label(QStringLiteral("Numeric Value of Tag"), 244, 104, 200);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(244, 126, 200, 24);
    Label2 = label(QStringLiteral("Text Value of Tag"), 244, 104, 200);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(244, 126, 350, 120);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Label6 = label(QStringLiteral("(New text can not be larger then original text)"), 244, 248, 350);
    BitBtn1 = new QPushButton(QStringLiteral("Close and Update"), this);
    BitBtn1->setGeometry(360, 276, 130, 26);
    BitBtn2 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn2->setGeometry(498, 276, 96, 26);
    for (QWidget *w :
         {static_cast<QWidget *>(Label2), static_cast<QWidget *>(Label5), static_cast<QWidget *>(Label6),
          static_cast<QWidget *>(Label7), static_cast<QWidget *>(Label10), static_cast<QWidget *>(Edit1),
          static_cast<QWidget *>(Memo1)})
        w->hide();

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(TagBox, &QListWidget::currentRowChanged, this, [this] { TagBoxClick(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    Edit1->installEventFilter(this);
    Memo1->installEventFilter(this);
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
    TagBox->clear();
    if (!m_tags)
        return;
    for (const TTiffTagRecord &r : *m_tags)
        TagBox->addItem(r.Name);
}

TTiffTagRecord *TTifTagEdit::selected() {
    const int row = TagBox->currentRow();
    if (!m_tags || row < 0 || row >= m_tags->size())
        return nullptr;
    return &(*m_tags)[row];
}

void TTifTagEdit::TagBoxClick() {
    const TTiffTagRecord *r = selected();
    if (!r)
        return;
    m_filling = true;
    Label4->setText(QString::number(r->Tag));
    Label9->setText(QString::number(r->Page + 1));
    // The box follows the tag's TIFF type: ASCII tags are text, every other type a number.
    const bool text = r->IsText();
    Memo1->setPlainText(QString::fromLatin1(r->Text));
    m_memoBefore = Memo1->toPlainText();
    Edit1->setText(QString::number(r->Value));
    Memo1->setVisible(text);
    Label2->setVisible(text);
    Label6->setVisible(text);
    Edit1->setVisible(!text);
    Label5->setVisible(!text);
    Memo1->setReadOnly(r->ReadOnly);
    Edit1->setReadOnly(r->ReadOnly);
    Label7->setVisible(r->ReadOnly);
    Label10->setVisible(r->Modified);
    m_filling = false;
}

bool TTifTagEdit::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || (watched != Edit1 && watched != Memo1))
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const TTiffTagRecord *r = selected();
    if (!r || r->ReadOnly)
        return QDialog::eventFilter(watched, event);
    if (watched == Edit1) {
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
    const TTagNumberText n = NormalizeTagNumber(Edit1->text(), *r);
    r->Value = n.Value;
    if (n.Text != Edit1->text()) {
        const QSignalBlocker block(Edit1);
        Edit1->setText(n.Text);
    }
    SetModifiedFlag();
}

void TTifTagEdit::Memo1Change() {
    TTiffTagRecord *r = selected();
    if (m_filling || !r || !r->IsText() || r->ReadOnly)
        return;
    const QString text = Memo1->toPlainText();
    if (!TagTextAcceptable(text, *r)) {
        // Longer than the slot, or not plain ASCII: the text stays as it was.
        QApplication::beep();
        const QSignalBlocker block(Memo1);
        QTextCursor cursor = Memo1->textCursor();
        const int at = cursor.position();
        Memo1->setPlainText(m_memoBefore);
        cursor = Memo1->textCursor();
        cursor.setPosition(std::min(at, static_cast<int>(m_memoBefore.size())));
        Memo1->setTextCursor(cursor);
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
    Label10->show();
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
