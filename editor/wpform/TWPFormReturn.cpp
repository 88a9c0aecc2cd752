// Returning the report: finishing (return or abandon), the saved copies, the keys of the document,
// the reload after a failed upload, and the two short requests the editor sends the host (the audio
// command and the abbreviation look-up with its bounded wait).
#include "editor/wpform/TWPForm.h"

#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/report/HostMarkup.h"
#include "platform/files/PrivateFile.h"
#include "platform/richtext/TWpRtf.h"
#include "platform/richtext/TWpTextControl.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

using orva::richtext::FormatEditorFile;
using orva::richtext::FormatLetterhead;
using orva::richtext::TWpDocument;

namespace {

const QString kUploadBusyText =
    QStringLiteral("An upload is already in progress. Please wait until it has finished, then try again.");
const QString kSaveFailedText = QStringLiteral("The data failed to save.  Do you want to try again?");
const QString kSaveAbortedText = QStringLiteral("Sorry, the data could not be saved.  Aborting edits..");
const QString kReportKeptText =
    QStringLiteral("Sorry, the data could not be saved.  The report was not sent and stays in the editor.");
const QString kAbandonCaption = QStringLiteral("Not Saved!");
const QString kAbandonText = QStringLiteral("Do you want to abandon changes?");
// A failed save is tried once more after this pause (a file briefly held by another program).
constexpr unsigned long kRetryPauseMs = 200;
// The characters an abbreviation name is made of.
const QString kAbbreviationChars =
    QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890!@#$%^&*()-+/");
// An expansion holding one of these is formatted text rather than plain text.
const QByteArray kAbbreviationMarks = "_|{~`\xA4\xA9\xAE\xAB\xAC\xAD";
const QByteArray kFileEntry = "///file:";

QString local(const QString &path) {
    return LocalPath::toLocalPath(path);
}

// The document as the host keeps it: the same text with the header and footer emptied.
QByteArray withoutHeaderFooter(const QByteArray &rtf) {
    TWpDocument doc;
    orva::richtext::readRtf(rtf, doc);
    doc.header()->clear();
    doc.footer()->clear();
    return orva::richtext::writeRtf(doc);
}

// Replaces a copy; once more after a pause when that fails. The old copy stays until the new one is
// complete, so a full disk leaves the last good copy rather than none.
bool writeCopy(const QString &path, const QByteArray &data) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kRetryPauseMs);
        QString error;
        if (PrivateFile::save(path, data, &error))
            return true;
        ORVA_TRACE("work copy not written", path + QStringLiteral(": ") + error);
    }
    return false;
}

// "yymmddhhnnsszz": the time to the hundredth of a second.
QString lastReportStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toString(QStringLiteral("yyMMddhhmmss")) +
           QString::number(now.time().msec() / 10).rightJustified(2, QLatin1Char('0'));
}

// The line of an abbreviation list whose name (before "=") is `name`, case ignored.
QByteArray listEntry(const QByteArrayList &list, const QByteArray &name) {
    for (const QByteArray &entry : list) {
        const qsizetype eq = entry.indexOf('=');
        if (eq > 0 && entry.left(eq).toLower() == name)
            return entry;
    }
    return {};
}

} // namespace

ReportUploadResult TWPForm::ReturnReport(const QByteArray &text) {
    if (!m_queue)
        return ReportUploadResult::LinkDown;
    m_resultBox->setSelStart(0);
    m_resultBox->setSelLength(1);
    QString error;
    const ReportUploadResult r =
        StartReportUpload(*m_queue, text, m_workDocumentName + QStringLiteral(".tmp"),
                          value("DONTRETURNBINARY") == "1", local(m_folders.ResultDirectory), &error);
    switch (r) {
    case ReportUploadResult::Started:
        break;
    case ReportUploadResult::Busy:
        m_messages.warning(QStringLiteral("Save Data"), kUploadBusyText);
        m_reportChanged = true;
        break;
    case ReportUploadResult::LinkDown:
        m_messages.error(
            QStringLiteral("Save Data"),
            QStringLiteral("The link to the host is down: the report was not sent. It stays in the editor."));
        m_reportChanged = true;
        break;
    case ReportUploadResult::FileError:
        m_messages.error(QStringLiteral("Save Data"),
                         QStringLiteral("Failed to Create B64Data \r\n") + error);
        break;
    }
    return r;
}

bool TWPForm::uploadInProgress() {
    if (!m_queue || !m_queue->ResultTransferActive())
        return false;
    m_messages.warning(QStringLiteral("Save Data"), kUploadBusyText);
    return true;
}

void TWPForm::sendEscape() {
    if (m_queue)
        m_queue->SendDirect(QByteArray(1, '\x1B'));
}

void TWPForm::showProgressPanel(bool show) {
    if (!m_progressPanel) {
        m_progressPanel = new QWidget(this);
        m_progressPanel->setObjectName(QStringLiteral("CreateProgressPanel"));
        auto *l = new QVBoxLayout(m_progressPanel);
        l->addWidget(new QLabel(QStringLiteral("Document Creation"), m_progressPanel));
        m_progressBar = new QProgressBar(m_progressPanel);
        m_progressBar->setRange(0, 0);
        l->addWidget(m_progressBar);
        l->addStretch(1);
        if (auto *v = qobject_cast<QVBoxLayout *>(layout()))
            v->insertWidget(v->count() - 1, m_progressPanel);
        m_progressPanel->hide();
    }
    m_resultBox->setVisible(!show);
    m_progressPanel->setVisible(show);
    if (show)
        m_progressPanel->repaint();
}

// The conversion runs without returning to the event loop: the bar is painted at once, and only
// when its percentage changes, so that a long report does not spend its time painting.
MarkupProgress TWPForm::conversionProgress() {
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    return [bar = m_progressBar](int done, int total) {
        const int percent = total > 0 ? int(qint64(done) * 100 / total) : 100;
        if (percent == bar->value())
            return;
        bar->setValue(percent);
        bar->repaint();
    };
}

void TWPForm::FinishReport() {
    if (m_finishing || m_lookupActive)
        return;
    m_finishing = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_finishing};

    // The host has had its answer for this report: nothing more goes to it.
    if (!m_reportOpen) {
        hide();
        return;
    }
    const bool returning = !m_workDocumentName.isEmpty() && m_reportChanged && !m_abandonReport;
    // Nothing may go out between the lines of another upload: the report stays as it is.
    if (!m_templateEditing && uploadInProgress()) {
        m_reportChanged = m_reportChanged || returning;
        return;
    }
    ++m_generation;
    if (returning) {
        showProgressPanel(true);
        const TAudioFilePositions &positions = AudioFilePositions();
        const QByteArrayList typed = TypedDictationEntries();
        const QByteArray text = BuildReturnText(
            ExportHostMarkup(m_resultBox->document(), typed, conversionProgress()), m_reportRecord.ReturnConf,
            positions.AudioFilePosStart, positions.AudioFilePosEnd);
        // A report that could not be saved is not sent: its copies are what a failed upload comes
        // back from. It stays in the editor, as it does when nothing reached the host.
        if (!SaveReportFiles()) {
            keepReport();
            return;
        }
        const ReportUploadResult r = ReturnReport(text);
        if (r == ReportUploadResult::Busy || r == ReportUploadResult::LinkDown) {
            keepReport();
            return;
        }
    } else {
        if (!m_templateEditing)
            sendEscape();
        if (!m_workDocumentName.isEmpty() &&
            !m_workDocumentName.endsWith(QStringLiteral(".tpl"), Qt::CaseInsensitive))
            QFile::remove(m_workDocumentName);
    }
    m_resultBox->ClearDocument();
    resetAfterFinish();
}

// The report stays open for another try, marked as changed, with no selection left that the next
// key would overwrite.
void TWPForm::keepReport() {
    m_reportChanged = true;
    m_resultBox->setSelLength(0);
    showProgressPanel(false);
    m_resultBox->FocusText();
}

void TWPForm::resetAfterFinish() {
    showProgressPanel(false);
    m_receivedReportText.clear();
    m_resultBox->setSelStart(0);
    m_abbreviationList.clear();
    m_abbreviationListBox->clear();
    if (m_templateEditing) {
        m_templateFileName.clear();
        m_patientStatic->setText(NoTemplateText);
    }
    m_abandonReport = true;
    m_reportChanged = false;
    m_reportOpen = false;
    hide();
    emit ReportFinished();
}

void TWPForm::LeaveReport() {
    if (m_finishing || m_lookupActive)
        return;
    if (m_templateEditing) {
        if (m_reportChanged && !m_messages.yesNo(kAbandonCaption, kAbandonText) && !saveTemplate()) {
            m_messages.error(QStringLiteral("Save Template"), QStringLiteral("The template did not save"));
            return;
        }
        FinishReport();
        return;
    }
    if (uploadInProgress())
        return;
    if (m_reportChanged)
        m_abandonReport = m_messages.yesNo(kAbandonCaption, kAbandonText);
    FinishReport();
}

QString TWPForm::RecoveryFilePath() const {
    const QByteArray name =
        GDFileManip::EscapeFileName(m_reportRecord.GetReqCode() + ' ' + m_reportRecord.GetProcCode());
    return QDir(local(m_folders.ResultDirectory))
        .filePath(QStringLiteral("recover.") + HostText::toUnicode(name) + QStringLiteral(".txc"));
}

bool TWPForm::writeReportCopies() {
    const QString work = local(m_folders.ResultDirectory);
    if (work.isEmpty() || m_workDocumentName.isEmpty())
        return false;
    PrivateFile::makeFolder(work);
    if (m_lastReportFileName.isEmpty())
        m_lastReportFileName =
            QDir(work).filePath(QStringLiteral("LastReport.") + lastReportStamp() + QStringLiteral(".txc"));
    // The live document keeps its header and footer, so that a report that stays in the editor
    // (its upload refused) is still whole.
    const QByteArray whole = orva::richtext::writeRtf(m_resultBox->document());
    const QByteArray body = withoutHeaderFooter(whole);
    // Each copy matters: the last-report copy comes back when the host fails the upload, the
    // recovery copy when the user recovers the report, the outgoing copy is what is sent.
    bool ok = writeCopy(m_lastReportFileName, whole);
    ok = writeCopy(m_workDocumentName + QStringLiteral(".tmp"), body) && ok;
    ok = writeCopy(RecoveryFilePath(), body) && ok;
    return ok;
}

// A save that fails leaves the document as it is, still marked as changed, whatever the answer: the
// user's text may exist nowhere else.
bool TWPForm::saveOrAsk(const QString &caption, const std::function<bool()> &save) {
    if (save())
        return true;
    if (!m_messages.yesNo(caption, kSaveFailedText))
        return false;
    if (save())
        return true;
    m_messages.error(caption, m_templateEditing ? kSaveAbortedText : kReportKeptText);
    return false;
}

bool TWPForm::SaveReportFiles() {
    if (m_templateEditing)
        return saveTemplate();
    if (!saveOrAsk(QStringLiteral("Save Report"), [this] { return writeReportCopies(); }))
        return false;
    m_resultBox->setSelLength(0);
    return true;
}

// Templates are shared files, not work files: they keep their mode and are replaced in one step,
// so that a failed save leaves the old template whole.
bool TWPForm::saveTemplate() {
    if (m_templateFileName.isEmpty())
        return false;
    const QString file = local(m_templateFileName);
    const int format =
        file.endsWith(QStringLiteral(".tpl"), Qt::CaseInsensitive) ? FormatEditorFile : FormatLetterhead;
    const bool saved = saveOrAsk(QStringLiteral("Save Template"), [&] {
        for (int i = 0; i < 2; ++i) {
            if (i > 0)
                QThread::msleep(kRetryPauseMs);
            if (m_resultBox->SaveDocument(file, -1, false, format))
                return true;
        }
        return false;
    });
    if (saved)
        m_reportChanged = false;
    return saved;
}

bool TWPForm::ReloadLastReport() {
    if (m_lastReportFileName.isEmpty())
        return false;
    ++m_generation;
    m_lastError.clear();
    if (m_resultBox->LoadDocument(m_lastReportFileName, orva::richtext::LoadReplacing, false,
                                  FormatEditorFile) <= 0) {
        m_messages.error(QStringLiteral("Save Data"),
                         QStringLiteral("The last saved copy of the report could not be loaded.\r\n") +
                             m_lastError + QStringLiteral("\r\nIts recovery copy is ") + RecoveryFilePath());
        return false;
    }
    m_reportChanged = true;
    m_reportOpen = true;
    show();
    raise();
    activateWindow();
    focusDocument();
    return true;
}

bool TWPForm::SendAudioCommand(const QByteArray &entryName, const QByteArray &command) {
    if (!m_queue || m_queue->ResultTransferActive())
        return false;
    return m_queue->SendDirect(AudioCommandMessage(entryName, command));
}

QByteArray TWPForm::LookupHostAbbreviation(const QByteArray &abbreviation) {
    const QByteArray name = WithoutControls(abbreviation);
    if (name.trimmed().isEmpty() || m_lookupActive || !m_queue || m_queue->ResultTransferActive())
        return {};
    if (!m_hostAbbreviations.ListCreated || !m_hostAbbreviations.ListCreated())
        return {};
    if (m_hostAbbreviations.ClearAnswer)
        m_hostAbbreviations.ClearAnswer();
    if (!m_queue->SendDirect(AbbreviationLookupMessage(name)))
        return {};

    // A local event loop: the host's bytes (and the answer with them) keep arriving, while the
    // editor takes no input that could change or close the report under the wait.
    const QPointer<TWPForm> self(this);
    const quint64 generation = m_generation;
    m_lookupActive = true;
    setEnabled(false);
    LookupState state = LookupState::Waiting;
    QByteArray answer;
    {
        QEventLoop loop;
        QTimer round;
        round.setInterval(m_lookupRoundMs);
        int rounds = 0;
        QObject::connect(&round, &QTimer::timeout, &loop, [&] {
            if (!self) {
                loop.quit();
                return;
            }
            ++rounds;
            if (m_hostAbbreviations.Answer) {
                const QPair<QByteArray, QByteArray> a = m_hostAbbreviations.Answer();
                state = MatchLookupAnswer(name, a.first, a.second);
                answer = a.second;
            }
            if (state != LookupState::Waiting || rounds >= m_lookupRounds || m_generation != generation)
                loop.quit();
        });
        round.start();
        loop.exec();
    }
    if (!self)
        return {};
    m_lookupActive = false;
    setEnabled(true);
    m_resultBox->FocusText();
    if (state != LookupState::Found || m_generation != generation)
        return {};
    return abbreviation + '=' + answer;
}

void TWPForm::ExpandAbbreviation(bool fromKeyboard) {
    const QString text = m_resultBox->Text();
    const int end = m_resultBox->SelStart();
    int start = end;
    while (start > 0 && start <= text.size() && kAbbreviationChars.contains(text.at(start - 1)))
        --start;
    // No word before the caret: nothing to look for, and nothing is asked of the host.
    if (start == end)
        return;
    const QString word = text.mid(start, end - start);
    const QByteArray name = HostText::fromUnicode(word).toLower();
    QByteArray line;
    if (fromKeyboard && m_hostAbbreviations.Value) {
        const QByteArray hostText = m_hostAbbreviations.Value(name);
        if (!hostText.isEmpty())
            line = name + '=' + hostText;
    }
    if (line.isEmpty())
        line = listEntry(m_abbreviationList, name);
    if (line.isEmpty()) {
        const quint64 generation = m_generation;
        line = LookupHostAbbreviation(name);
        // The answer belongs to the word it was asked for: the same report, the word still there.
        if (line.isEmpty() || m_generation != generation ||
            m_resultBox->Text().mid(start, end - start) != word)
            return;
    }
    const QByteArray expansion = line.mid(line.indexOf('=') + 1);
    m_resultBox->setSelStart(start);
    m_resultBox->setSelLength(end - start);
    if (const qsizetype at = line.toLower().indexOf(kFileEntry); at >= 0) {
        const QString file =
            m_abbreviationFile + '.' + HostText::toUnicode(line.mid(at + kFileEntry.size()).trimmed());
        m_lastError.clear();
        if (m_resultBox->LoadDocument(file, orva::richtext::LoadAtSelection, true, FormatEditorFile) <= 0)
            m_messages.warning(QStringLiteral("Abbreviation"),
                               QStringLiteral("The formatted abbreviation did not load.\r\n") + m_lastError);
        return;
    }
    if (expansion.isEmpty()) {
        m_resultBox->setSelStart(end);
        return;
    }
    if (std::any_of(expansion.begin(), expansion.end(),
                    [](char c) { return kAbbreviationMarks.contains(c); })) {
        InsertAbbreviationText(expansion);
        return;
    }
    m_resultBox->setSelText(HostText::toUnicode(expansion));
}

void TWPForm::returnKey() {
    if (m_templateEditing) {
        if (!SaveReportFiles())
            m_messages.error(QStringLiteral("Save Template"), QStringLiteral("The template did not save"));
        return;
    }
    m_abandonReport = false;
    m_reportChanged = true;
    FinishReport();
}

void TWPForm::ResultBoxKeyDown(int &key, Qt::KeyboardModifiers shift) {
    try {
        if (fieldKey(key, shift)) {
            key = 0;
            return;
        }
        const bool ctrl = shift & Qt::ControlModifier;
        if (ctrl && !(shift & (Qt::AltModifier | Qt::ShiftModifier))) {
            const char *action = key == Qt::Key_B   ? "BoldButton"
                                 : key == Qt::Key_I ? "ItalicButton"
                                 : key == Qt::Key_U ? "UnderlineButton"
                                 : key == Qt::Key_P ? "Print1"
                                                    : nullptr;
            if (action) {
                key = 0;
                if (QAction *a = findChild<QAction *>(QLatin1String(action)))
                    a->trigger();
                return;
            }
        }
        if (key == Qt::Key_Insert && !(shift & (Qt::ControlModifier | Qt::ShiftModifier))) {
            key = 0;
            m_resultBox->setInsertionMode(!m_resultBox->InsertionMode());
            return;
        }
        switch (key) {
        case Qt::Key_F10:
            key = 0;
            returnKey();
            return;
        case Qt::Key_Escape:
            key = 0;
            LeaveReport();
            return;
        case Qt::Key_F2:
            key = 0;
            ExpandAbbreviation(true);
            return;
        default:
            return;
        }
    } catch (const std::exception &e) {
        m_messages.error(QStringLiteral("Error condition detected"), QString::fromLocal8Bit(e.what()));
    }
}
