// The dictation side panel of the results editor: the report's dictations, playing one through the
// host, inserting its text or a placeholder for a dictation to come, and the updates the dictation
// window reports.
#include "editor/wpform/DictationList.h"
#include "editor/wpform/TWPForm.h"

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
    TreePanel = new QWidget(splitter);
    TreePanel->setObjectName(QStringLiteral("TreePanel"));
    auto *l = new QVBoxLayout(TreePanel);
    AudioFilesLabel = new QToolButton(TreePanel);
    AudioFilesLabel->setObjectName(QStringLiteral("AudioFilesLabel"));
    AudioFilesLabel->setText(kUnfoldedCaption);
    AudioFilesLabel->setAutoRaise(true);
    l->addWidget(AudioFilesLabel);
    m_dictationBody = new QWidget(TreePanel);
    auto *inner = new QVBoxLayout(m_dictationBody);
    inner->setContentsMargins(0, 0, 0, 0);
    lvAudioRecs = new QListWidget(m_dictationBody);
    lvAudioRecs->setObjectName(QStringLiteral("lvAudioRecs"));
    TextMemo = new QPlainTextEdit(m_dictationBody);
    TextMemo->setObjectName(QStringLiteral("TextMemo"));
    TextMemo->setReadOnly(true);
    auto *buttons = new QHBoxLayout;
    sbPlayAudio = new QPushButton(QStringLiteral("Play"), m_dictationBody);
    sbPlayAudio->setObjectName(QStringLiteral("sbPlayAudio"));
    BtnInsText = new QPushButton(StatusCaption(0), m_dictationBody);
    BtnInsText->setObjectName(QStringLiteral("BtnInsText"));
    buttons->addWidget(sbPlayAudio);
    buttons->addWidget(BtnInsText);
    inner->addWidget(lvAudioRecs, 1);
    inner->addWidget(TextMemo, 1);
    inner->addLayout(buttons);
    l->addWidget(m_dictationBody, 1);
    splitter->addWidget(TreePanel);
    TreePanel->hide();

    connect(AudioFilesLabel, &QToolButton::clicked, this,
            [this] { foldDictationPanel(m_dictationBody->isVisible()); });
    connect(lvAudioRecs, &QListWidget::currentRowChanged, this, [this](int) { showSelectedDictation(); });
    connect(lvAudioRecs, &QListWidget::itemDoubleClicked, this, [this] { PlaySelectedDictation(); });
    connect(sbPlayAudio, &QPushButton::clicked, this, [this] { PlaySelectedDictation(); });
    connect(BtnInsText, &QPushButton::clicked, this, [this] { BtnInsTextClick(); });

    ShowDictationList = [this](bool show) {
        AudioRecords = show ? ParseAudioTextInfo(value("AUDIOTEXTINFO")) : TAudioTextRecords();
        TreePanel->setVisible(show);
        redrawDictationList(0);
    };
    RefreshDictationPlaceholders = [this] { fillDictationPlaceholders(); };
    TypedDictationEntries = [this] {
        QByteArrayList typed;
        for (const TAudioTextRecord &r : std::as_const(AudioRecords))
            if (r.Typed)
                typed.append(r.Name);
        return typed;
    };
    AudioStatusChanged = [this](const QByteArray &name, const QByteArray &text, int code) {
        for (TAudioTextRecord &r : AudioRecords)
            if (r.Name.compare(name, Qt::CaseInsensitive) == 0) {
                r.Status = code;
                r.Text = text;
                r.Inserted = false;
            }
        if (code == 4)
            fillDictationPlaceholders();
        redrawDictationList(lvAudioRecs->currentRow());
    };
}

void TWPForm::redrawDictationList(int row) {
    const QSignalBlocker block(lvAudioRecs);
    lvAudioRecs->clear();
    for (const TAudioTextRecord &r : std::as_const(AudioRecords))
        lvAudioRecs->addItem(HostText::toUnicode(r.ProcCode + ' ' + r.Description) + QStringLiteral(" - ") +
                             StatusCaption(r.Status));
    if (!AudioRecords.isEmpty())
        lvAudioRecs->setCurrentRow(qBound(0, row, int(AudioRecords.size()) - 1));
    showSelectedDictation();
}

void TWPForm::showSelectedDictation() {
    const int row = lvAudioRecs->currentRow();
    if (row < 0 || row >= AudioRecords.size()) {
        TextMemo->clear();
        return;
    }
    const TAudioTextRecord &r = AudioRecords.at(row);
    TextMemo->setPlainText(HostText::toUnicode(r.Text));
    TextMemo->setVisible(r.Status > AudioRecordingUsed);
    BtnInsText->setText(StatusCaption(r.Status));
}

bool TWPForm::PlaySelectedDictation() {
    const int row = lvAudioRecs->currentRow();
    if (row < 0 || row >= AudioRecords.size())
        return false;
    const TAudioTextRecord &r = AudioRecords.at(row);
    return SendAudioCommand(SafeEntryName(r.Name), AudioCommandFor(r));
}

bool TWPForm::BtnInsTextClick() {
    const int row = lvAudioRecs->currentRow();
    if (row < 0 || row >= AudioRecords.size())
        return false;
    TAudioTextRecord &r = AudioRecords[row];
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
    const QByteArray code = ReportRecord.GetProcCode();
    if (!r.Batched && r.ProcCode.compare(code, Qt::CaseInsensitive) != 0 &&
        !m_messages.yesNo(
            QStringLiteral("Audio Procedure does not match Audio File Text"),
            QStringLiteral("Warning!!\r\n\r\nThe Audio Procedure Code does not match this Result "
                           "Page.\r\n\r\nAre you sure you want to insert the ") +
                HostText::toUnicode(r.ProcCode.toUpper()) + QStringLiteral(" text into the ") +
                HostText::toUnicode(code.toUpper()) + QStringLiteral(" ?")))
        return false;
    const QTextCursor memo = TextMemo->textCursor();
    const QString text =
        memo.hasSelection()
            ? memo.selectedText().replace(QChar(0x2029), QStringLiteral("\r"))
            : HostText::toUnicode(r.Text).replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    ResultBox->setSelText(text);
    if (r.Status == AudioBatched) {
        r.Typed = true;
        // The audio times of the selection come from the dictation window, when it holds this job.
        if (memo.hasSelection() && DictationTimes) {
            int start = 0, end = 0;
            if (DictationTimes(r.Name, memo.selectionStart(), memo.selectionEnd(), start, end)) {
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
    const QDateTime now = QDateTime::currentDateTime();
    const double dateTime =
        double(QDate(1899, 12, 30).daysTo(now.date())) + now.time().msecsSinceStartOfDay() / 86400000.0;
    QByteArray name = SafeEntryName(ReportRecord.GetReqCode() + '_' + DateTimeToHostDateTime(dateTime));
    // Two placeholders within one second still get names of their own.
    const QByteArray base = name;
    for (int n = 2; std::any_of(AudioRecords.begin(), AudioRecords.end(),
                                [&](const TAudioTextRecord &e) { return e.Name == name; });
         ++n)
        name = base + '_' + QByteArray::number(n);
    r.Name = name;
    r.ProcCode = ReportRecord.GetProcCode();
    r.Description = HostText::fromUnicode(description);
    r.Inserted = true;
    AudioRecords.append(r);
    TreePanel->show();
    redrawDictationList(int(AudioRecords.size()) - 1);
    const int id = ResultBox->InsertField(PlaceholderText(r));
    if (id != 0) {
        ResultBox->setFieldCurrent(id);
        ResultBox->setFieldChangeable(false);
    }
    return SendAudioCommand(r.Name, AudioCommandFor(r));
}

void TWPForm::foldDictationPanel(bool fold) {
    QList<int> sizes = Splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (fold)
        m_unfoldedPanelWidth = sizes.value(0);
    m_dictationBody->setVisible(!fold);
    AudioFilesLabel->setText(fold ? kFoldedCaption : kUnfoldedCaption);
    const int narrowest = TreePanel->minimumSizeHint().width();
    const int panel = fold ? narrowest : std::max(m_unfoldedPanelWidth, narrowest);
    Splitter1->setSizes({panel, std::max(0, total - panel)});
}

// Works from the end of the text back, so that a filled placeholder never moves one still to do.
// The fields are found in one walk and filled in one edit, which keeps a report with thousands of
// placeholders linear: the layout follows once, at the end.
void TWPForm::fillDictationPlaceholders() {
    if (AudioRecords.isEmpty())
        return;
    ResultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    QTextDocument *doc = ResultBox->activeDocument();
    const QString text = TWpDocument::plainText(doc);
    const QList<TWpDocument::FieldSpan> spans = TWpDocument::fieldSpans(doc);
    const PlaceholderMatcher matcher(AudioRecords);
    QSet<int> seen;
    QTextCursor c(doc);
    c.beginEditBlock();
    for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
        // The mark stands just before a character of the field: its first, or one inside it.
        const qsizetype from = std::max(0, span->start - 1);
        const bool marked = text.mid(from, span->end - 1 - from).contains(QChar(0xA8));
        if (!marked || seen.contains(span->id))
            continue;
        seen.insert(span->id);
        const int match = matcher.match(text.mid(span->start, span->end - span->start));
        if (match < 0)
            continue;
        TAudioTextRecord &r = AudioRecords[match];
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
