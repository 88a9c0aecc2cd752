// The dictation side panel of the results editor: the report's dictations, playing one through the
// host, inserting its text or a placeholder for a dictation to come, and the updates the dictation
// window reports.
#include "editor/wpform/DictationList.h"
#include "editor/wpform/TWPForm.h"

#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/report/HostDateTime.h"
#include "platform/richtext/TWpTextControl.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

using orva::richtext::TWpDocument;

namespace {

const QString kFoldedCaption = QStringLiteral(">>");
const QString kUnfoldedCaption = QStringLiteral("<< Audio Files");

} // namespace

void TWPForm::createDictationPanel(QSplitter *splitter) {
    m_treePanel = new QWidget(splitter);
    m_treePanel->setObjectName(QStringLiteral("TreePanel"));
    auto *l = new QVBoxLayout(m_treePanel);
    m_audioFilesLabel = new QToolButton(m_treePanel);
    m_audioFilesLabel->setObjectName(QStringLiteral("AudioFilesLabel"));
    m_audioFilesLabel->setText(kUnfoldedCaption);
    m_audioFilesLabel->setAutoRaise(true);
    l->addWidget(m_audioFilesLabel);
    m_dictationBody = new QWidget(m_treePanel);
    auto *inner = new QVBoxLayout(m_dictationBody);
    inner->setContentsMargins(0, 0, 0, 0);
    m_lvAudioRecs = new QListWidget(m_dictationBody);
    m_lvAudioRecs->setObjectName(QStringLiteral("lvAudioRecs"));
    m_textMemo = new QPlainTextEdit(m_dictationBody);
    m_textMemo->setObjectName(QStringLiteral("TextMemo"));
    m_textMemo->setReadOnly(true);
    auto *buttons = new QHBoxLayout;
    m_sbPlayAudio = new QPushButton(QStringLiteral("Play"), m_dictationBody);
    m_sbPlayAudio->setObjectName(QStringLiteral("sbPlayAudio"));
    m_btnInsText = new QPushButton(StatusCaption(AudioRecording), m_dictationBody);
    m_btnInsText->setObjectName(QStringLiteral("BtnInsText"));
    buttons->addWidget(m_sbPlayAudio);
    buttons->addWidget(m_btnInsText);
    inner->addWidget(m_lvAudioRecs, 1);
    inner->addWidget(m_textMemo, 1);
    inner->addLayout(buttons);
    l->addWidget(m_dictationBody, 1);
    splitter->addWidget(m_treePanel);
    m_treePanel->hide();

    connect(m_audioFilesLabel, &QToolButton::clicked, this,
            [this] { foldDictationPanel(m_dictationBody->isVisible()); });
    connect(m_lvAudioRecs, &QListWidget::currentRowChanged, this, [this](int) { showSelectedDictation(); });
    connect(m_lvAudioRecs, &QListWidget::itemDoubleClicked, this, [this] { PlaySelectedDictation(); });
    connect(m_sbPlayAudio, &QPushButton::clicked, this, [this] { PlaySelectedDictation(); });
    connect(m_btnInsText, &QPushButton::clicked, this, [this] { BtnInsTextClick(); });

    connect(this, &TWPForm::AudioStatusChanged, this, &TWPForm::dictationStatusChanged);
}

void TWPForm::showDictationList(bool show) {
    m_audioRecords = show ? ParseAudioTextInfo(value("AUDIOTEXTINFO")) : TAudioTextRecords();
    m_treePanel->setVisible(show);
    redrawDictationList(0);
}

QByteArrayList TWPForm::TypedDictationEntries() const {
    QByteArrayList typed;
    for (const TAudioTextRecord &r : m_audioRecords)
        if (r.Typed)
            typed.append(r.Name);
    return typed;
}

void TWPForm::dictationStatusChanged(const QByteArray &name, const QByteArray &text, int code) {
    for (TAudioTextRecord &r : m_audioRecords)
        if (r.Name.compare(name, Qt::CaseInsensitive) == 0) {
            r.Status = code;
            r.Text = text;
            r.Inserted = false;
        }
    if (code == AudioCorrected)
        fillDictationPlaceholders();
    redrawDictationList(m_lvAudioRecs->currentRow());
}

void TWPForm::redrawDictationList(int row) {
    const QSignalBlocker block(m_lvAudioRecs);
    m_lvAudioRecs->clear();
    for (const TAudioTextRecord &r : std::as_const(m_audioRecords))
        m_lvAudioRecs->addItem(HostText::toUnicode(r.ProcCode + ' ' + r.Description) + QStringLiteral(" - ") +
                               StatusCaption(r.Status));
    if (!m_audioRecords.isEmpty())
        m_lvAudioRecs->setCurrentRow(qBound(0, row, int(m_audioRecords.size()) - 1));
    showSelectedDictation();
}

void TWPForm::showSelectedDictation() {
    const int row = m_lvAudioRecs->currentRow();
    if (row < 0 || row >= m_audioRecords.size()) {
        m_textMemo->clear();
        return;
    }
    const TAudioTextRecord &r = m_audioRecords.at(row);
    m_textMemo->setPlainText(HostText::toUnicode(r.Text));
    m_textMemo->setVisible(r.Status > AudioRecordingUsed);
    m_btnInsText->setText(StatusCaption(r.Status));
}

bool TWPForm::PlaySelectedDictation() {
    const int row = m_lvAudioRecs->currentRow();
    if (row < 0 || row >= m_audioRecords.size())
        return false;
    const TAudioTextRecord &r = m_audioRecords.at(row);
    return SendAudioCommand(SafeEntryName(r.Name), AudioCommandFor(r));
}

bool TWPForm::BtnInsTextClick() {
    const int row = m_lvAudioRecs->currentRow();
    if (row < 0 || row >= m_audioRecords.size())
        return false;
    TAudioTextRecord &r = m_audioRecords[row];
    if ((r.Status == AudioRecordingUsed || r.Status == AudioRecognisedUsed ||
         r.Status == AudioCorrectedUsed) &&
        !m_messages.yesNo(
            QStringLiteral("Reusing Audio File Text"),
            QStringLiteral("Warning!!\r\n\r\nThis Audio has already been used.\r\n\r\nAre you sure "
                           "you want to Re-Use it?")))
        return false;
    if (r.Status == AudioRecognisedUsed &&
        !m_messages.yesNo(QStringLiteral("Using Uncorrected Audio File Text"),
                          QStringLiteral("Warning!!\r\n\r\nThis text has not been "
                                         "corrected.\r\n\r\nAre you sure ?")))
        return false;
    const QByteArray code = m_reportRecord.GetProcCode();
    if (!r.Batched && r.ProcCode.compare(code, Qt::CaseInsensitive) != 0 &&
        !m_messages.yesNo(
            QStringLiteral("Audio Procedure does not match Audio File Text"),
            QStringLiteral("Warning!!\r\n\r\nThe Audio Procedure Code does not match this Result "
                           "Page.\r\n\r\nAre you sure you want to insert the ") +
                HostText::toUnicode(r.ProcCode.toUpper()) + QStringLiteral(" text into the ") +
                HostText::toUnicode(code.toUpper()) + QStringLiteral(" ?")))
        return false;
    const QTextCursor memo = m_textMemo->textCursor();
    const QString text =
        memo.hasSelection()
            ? memo.selectedText().replace(QChar(0x2029), QStringLiteral("\r"))
            : HostText::toUnicode(r.Text).replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    m_resultBox->setSelText(text);
    if (r.Status == AudioBatched) {
        r.Typed = true;
        // The audio times of the selection come from the dictation window, when it holds this job.
        if (memo.hasSelection() && m_dictationTimes) {
            int start = 0, end = 0;
            if (m_dictationTimes(r.Name, memo.selectionStart(), memo.selectionEnd(), start, end)) {
                AudioFilePositions().AudioFilePosStart = start;
                AudioFilePositions().AudioFilePosEnd = end;
            }
        }
    } else {
        MarkInserted(r);
    }
    redrawDictationList(row);
    return true;
}

bool TWPForm::InsertAudioPlaceholder() {
    QString description;
    if (!m_messages.inputBox(QStringLiteral("Insert Audio File Placeholder"),
                             QStringLiteral("Enter a Description"), description))
        return false;
    description.remove(';');
    if (description.trimmed().isEmpty())
        return false;
    TAudioTextRecord r;
    const double dateTime = GDFileManip::DateTimeToDays(QDateTime::currentDateTime());
    QByteArray name = SafeEntryName(m_reportRecord.GetReqCode() + '_' + DateTimeToHostDateTime(dateTime));
    // Two placeholders within one second still get names of their own.
    const QByteArray base = name;
    for (int n = 2; std::any_of(m_audioRecords.begin(), m_audioRecords.end(),
                                [&](const TAudioTextRecord &e) { return e.Name == name; });
         ++n)
        name = base + '_' + QByteArray::number(n);
    r.Name = name;
    r.ProcCode = m_reportRecord.GetProcCode();
    r.Description = HostText::fromUnicode(description);
    r.Inserted = true;
    m_audioRecords.append(r);
    m_treePanel->show();
    redrawDictationList(int(m_audioRecords.size()) - 1);
    const int id = m_resultBox->InsertField(PlaceholderText(r));
    if (id != 0) {
        m_resultBox->setFieldCurrent(id);
        m_resultBox->setFieldChangeable(false);
    }
    return SendAudioCommand(r.Name, AudioCommandFor(r));
}

void TWPForm::foldDictationPanel(bool fold) {
    QList<int> sizes = m_splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (fold)
        m_unfoldedPanelWidth = sizes.value(0);
    m_dictationBody->setVisible(!fold);
    m_audioFilesLabel->setText(fold ? kFoldedCaption : kUnfoldedCaption);
    const int narrowest = m_treePanel->minimumSizeHint().width();
    const int panel = fold ? narrowest : std::max(m_unfoldedPanelWidth, narrowest);
    m_splitter1->setSizes({panel, std::max(0, total - panel)});
}

// Works from the end of the text back, so that a filled placeholder never moves one still to do.
// The fields are found in one walk and filled in one edit, which keeps a report with thousands of
// placeholders linear: the layout follows once, at the end.
void TWPForm::fillDictationPlaceholders() {
    if (m_audioRecords.isEmpty())
        return;
    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    QTextDocument *doc = m_resultBox->activeDocument();
    const QString text = TWpDocument::plainText(doc);
    const QList<TWpDocument::FieldSpan> spans = TWpDocument::fieldSpans(doc);
    const PlaceholderMatcher matcher(m_audioRecords);
    QSet<int> seen;
    QTextCursor c(doc);
    c.beginEditBlock();
    for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
        // The mark stands just before a character of the field: its first, or one inside it.
        const qsizetype from = std::max(0, span->start - 1);
        const bool marked = text.mid(from, span->end - 1 - from).contains(kPlaceholderMark);
        if (!marked || seen.contains(span->id))
            continue;
        seen.insert(span->id);
        const int match = matcher.match(text.mid(span->start, span->end - span->start));
        if (match < 0)
            continue;
        TAudioTextRecord &r = m_audioRecords[match];
        c.setPosition(span->start + 1);
        QTextCharFormat f = c.charFormat();
        f.setProperty(orva::richtext::FieldIdProperty, 0); // the text stays, the field goes
        c.setPosition(span->start);
        c.setPosition(span->end, QTextCursor::KeepAnchor);
        c.insertText(HostText::toUnicode(r.Text).replace(QStringLiteral("\r\n"), QStringLiteral("\r")), f);
        r.Typed = true;
        r.Status = AudioCorrectedUsed;
    }
    c.endEditBlock();
}
