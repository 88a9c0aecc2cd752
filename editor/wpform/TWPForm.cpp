// Loading report messages into the results editor.
#include "editor/wpform/TWPForm.h"

#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/report/HostMarkup.h"
#include "platform/files/PrivateFile.h"
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpTextControl.h"
#include "platform/settings/TRegistry.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

using orva::richtext::FormatEditorFile;
using orva::richtext::FormatLetterhead;
using orva::richtext::LoadAtSelection;
using orva::richtext::LoadReplacing;
using orva::richtext::TWpPicture;
using orva::richtext::TWpTextControl;

namespace {

constexpr int kPageWidthPx = 794;
constexpr int kPageHeightPx = 1123;
constexpr int kTwipsPerPixel = 15;
constexpr char16_t kCursorStartMark = 0x00A5;

QString withSlash(const QString &folder) {
    if (folder.isEmpty() || folder.endsWith('/') || folder.endsWith('\\'))
        return folder;
    return folder + '/';
}

QString local(const QString &path) {
    return LocalPath::toLocalPath(path);
}

QByteArrayList readLines(const QString &path, QString *error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return {};
    }
    QByteArrayList lines;
    for (QByteArray line : f.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

int FitWidthZoom(int panelWidth, int scrollBarExtent) {
    const double zoom = double(panelWidth - 2 * scrollBarExtent) / kPageWidthPx * 100.0;
    return qBound(10, int(std::lround(zoom)), 500);
}

int ControlWidthForZoom(double zoom) {
    return int(std::lround(kPageWidthPx * zoom / 100.0)) + 20;
}

int ControlLeftForZoom(int panelWidth, int controlWidth, int zoomSetting) {
    const int left = (panelWidth - controlWidth) / 2 - (zoomSetting > 0 ? 10 : 0);
    // A page wider than the panel starts at its left edge: nothing of it may sit out of reach.
    return std::max(0, left);
}

TWPForm::TWPForm(const EditorFolders &folders, HostSendQueue *queue, UserMessages &messages, QWidget *parent)
    : QWidget(parent, Qt::Window), m_folders(folders), m_queue(queue), m_messages(messages) {
    setObjectName(QStringLiteral("WPForm"));
    setWindowTitle(QStringLiteral("Results"));
    FormCreate();
}

TWPForm::~TWPForm() = default;

void TWPForm::FormCreate() {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QToolBar(this);
    m_save1 = new QAction(QStringLiteral("&Save"), this);
    m_save1->setObjectName(QStringLiteral("Save1"));
    m_saveAs1 = new QAction(QStringLiteral("Save &As..."), this);
    m_saveAs1->setObjectName(QStringLiteral("SaveAs1"));
    m_saveButton = new QToolButton(bar);
    m_saveButton->setObjectName(QStringLiteral("ToolButton14"));
    m_saveButton->setDefaultAction(m_save1);
    m_saveAsButton = new QToolButton(bar);
    m_saveAsButton->setObjectName(QStringLiteral("saveasbutton"));
    m_saveAsButton->setDefaultAction(m_saveAs1);
    bar->addWidget(m_saveButton);
    bar->addWidget(m_saveAsButton);
    layout->addWidget(bar);
    m_wpButtonBar = new orva::richtext::TWpButtonBar(this);
    m_wpButtonBar->setObjectName(QStringLiteral("WpButtonBar"));
    layout->addWidget(m_wpButtonBar);

    m_detailsPanel = new QWidget(this);
    m_detailsPanel->setObjectName(QStringLiteral("detailspanel"));
    auto *strip = new QHBoxLayout(m_detailsPanel);
    auto label = [&](const char *name) {
        auto *l = new QLabel(m_detailsPanel);
        l->setObjectName(QLatin1String(name));
        l->setTextFormat(Qt::PlainText);
        strip->addWidget(l);
        return l;
    };
    m_patientStatic = label("PATIENTStatic");
    strip->addStretch(1);
    m_reqDateStatic = label("ReqDateStatic");
    m_procStatic = label("ProcStatic");
    m_requestStatic = label("RequestStatic");
    m_drNameStatic = label("DrNameStatic");
    layout->addWidget(m_detailsPanel);

    m_wpRuler = new orva::richtext::TWpRuler(this);
    m_wpRuler->setObjectName(QStringLiteral("WpRuler"));
    layout->addWidget(m_wpRuler);

    auto *body = new QHBoxLayout;
    m_splitter1 = new QSplitter(Qt::Horizontal, this);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setChildrenCollapsible(false);
    createDictationPanel(m_splitter1);
    m_resultPanel = new QWidget(m_splitter1);
    m_resultPanel->setObjectName(QStringLiteral("ResultPanel"));
    // The control is placed by SetZoom rather than by a layout: it sits a little left of centre.
    m_resultPanel->installEventFilter(this);
    m_resultBox = new TWpTextControl(m_resultPanel);
    m_resultBox->setObjectName(QStringLiteral("ResultBox"));
    m_resultBox->setPathLookup([](const QString &p) { return LocalPath::toLocalPath(p); });
    m_splitter1->addWidget(m_resultPanel);
    m_splitter1->setStretchFactor(1, 1);
    body->addWidget(m_splitter1, 1);
    m_abbreviationListBox = new QListWidget(this);
    m_abbreviationListBox->setObjectName(QStringLiteral("abrevlistbox"));
    body->addWidget(m_abbreviationListBox);
    layout->addLayout(body, 1);
    m_wpStatus = new orva::richtext::TWpStatusBar(this);
    m_wpStatus->setObjectName(QStringLiteral("WpStatus"));
    layout->addWidget(m_wpStatus);
    connect(m_resultBox, &TWpTextControl::OnError, this, [this](const QString &text) { m_lastError = text; });
    connect(m_resultBox, &TWpTextControl::OnChange, this, [this] { m_reportChanged = true; });
    connect(m_resultBox, &TWpTextControl::OnKeyDown, this, &TWPForm::ResultBoxKeyDown);
    createCommands(bar);

    m_resultBox->setPageWidth(kPageWidthPx * kTwipsPerPixel);
    m_resultBox->setPageHeight(kPageHeightPx * kTwipsPerPixel);
    m_wpStatus->setPageMode(1);
    m_resultBox->setButtonBarHandle(m_wpButtonBar);
    m_resultBox->setStatusBarHandle(m_wpStatus);
    m_resultBox->setRulerHandle(m_wpRuler);
    m_resultBox->setScrollBars(orva::richtext::ScrollBarsBoth);
    // From the last stop down: clearing a stop moves the later ones up a place.
    for (int tab = 14; tab >= 1; --tab) {
        m_resultBox->setTabCurrent(tab);
        m_resultBox->setTabPos(0);
    }

    m_measurePicture = [](const QString &file) { return QImageReader(file).size(); };
    m_mergeFields = [this](int part) { return mergeFields(part); };
    m_abbreviationListBox->installEventFilter(this);
    connect(m_abbreviationListBox, &QListWidget::itemDoubleClicked, this,
            [this] { expandChosenAbbreviation(); });
    // The dictation window reports through this; the editor lives as long as the program.
    SetEditorAudioStatusCallback(
        [editor = QPointer<TWPForm>(this)](const QByteArray &name, const QByteArray &text, int code) {
            if (editor)
                emit editor->AudioStatusChanged(name, text, code);
        });

    if (!m_folders.AbbreviationDirectory.isEmpty()) {
        m_folders.AbbreviationDirectory = withSlash(m_folders.AbbreviationDirectory);
        if (!QDir(local(m_folders.AbbreviationDirectory)).exists())
            m_messages.warning(
                QStringLiteral("Warning"),
                QStringLiteral(
                    "The Pendra abbreviations folder specified in your configuration \r\nfile does "
                    "not exist. Please check your settings."));
        else
            loadAbbreviationIndex(false);
    }
    m_folders.TemplateDirectory = withSlash(m_folders.TemplateDirectory);
    m_folders.ResultDirectory = withSlash(m_folders.ResultDirectory);
    loadTags();
    readRegistry();
}

// "abrevlist.txt": procedure code "=" list file, kept sorted.
void TWPForm::loadAbbreviationIndex(bool reporting) {
    const QString path = local(m_folders.AbbreviationDirectory + QStringLiteral("abrevlist.txt"));
    if (!QFile::exists(path))
        return;
    QString error;
    QByteArrayList lines = readLines(path, &error);
    if (!error.isEmpty()) {
        if (reporting)
            m_messages.warning(QStringLiteral("Warning"),
                               QStringLiteral("An error occured trying to open abbreviation file '") +
                                   m_folders.AbbreviationDirectory + QStringLiteral("abrevlist.txt'.\r\n") +
                                   error);
        else
            m_messages.warning(QStringLiteral("Warning"),
                               QStringLiteral("Error opening abbreviations file '") +
                                   m_folders.AbbreviationDirectory + QStringLiteral("abrevlist.txt'.\r\n") +
                                   error + QStringLiteral("\r\nPlease check you configuration settings."));
        return;
    }
    lines.removeIf([](const QByteArray &l) { return l.trimmed().isEmpty(); });
    m_abbreviationIndex = lines;
    std::sort(m_abbreviationIndex.begin(), m_abbreviationIndex.end());
}

void TWPForm::loadTags() {
    const QString path = QDir(m_folders.ProgramDirectory).filePath(QStringLiteral("tags.txt"));
    QString error;
    const QByteArrayList lines = readLines(path, &error);
    if (!error.isEmpty()) {
        m_messages.warning(QStringLiteral("Warning"),
                           QStringLiteral("The Pendra 'tags.txt' file did not open.\r\n") + error);
        return;
    }
    m_tagList = lines;
    m_reportRecord.LoadTags(m_tagList);
}

void TWPForm::readRegistry() {
    TRegistry reg(kOrvaSettingsKey);
    const int zoom = reg.ReadInteger(QStringLiteral("DefaultZoomFactor"), 100);
    m_resultBox->setControlChars(reg.ReadBool(QStringLiteral("ShowAllFormatMarks"), false));
    SetZoom(zoom == 0 ? 100 : zoom);
    if (reg.ValueExists(QStringLiteral("PendraFormMax")) &&
        !reg.ReadBool(QStringLiteral("PendraFormMax"), true)) {
        const QScreen *s = QGuiApplication::primaryScreen();
        const QRect desk = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
        auto place = [&](const char *name, int fallback) {
            bool ok = false;
            const int v = reg.ReadString(QLatin1String(name)).toInt(&ok);
            return ok ? v : fallback;
        };
        setGeometry(place("PENDRALeft", desk.left()), place("PENDRAtop", desk.top()),
                    place("PENDRAWidth", desk.width()), place("PENDRAheight", desk.height()));
        setWindowState(Qt::WindowNoState);
    } else {
        // Where nothing maximises the window (no window manager, or one that ignores the request)
        // it still opens over the whole desktop rather than at the size of its bars.
        const QScreen *s = QGuiApplication::primaryScreen();
        if (s)
            setGeometry(s->availableGeometry());
        setWindowState(Qt::WindowMaximized);
    }
}

void TWPForm::SetZoom(int zoom) {
    double z = zoom;
    if (zoom == ZoomPageWidth) {
        z = FitWidthZoom(m_resultPanel->width(), style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        m_fitToWidth = true;
    } else if (zoom == ZoomCentred90) {
        z = 90;
        m_fitToWidth = false;
    } else if (zoom > 0) {
        z = qBound(10, zoom, 500);
        m_fitToWidth = false;
    } else {
        return;
    }
    m_zoomSetting = zoom;
    m_resultBox->setZoomFactor(int(std::lround(z)));
    placeResultBox();
    if (m_zoomActions)
        for (QAction *a : m_zoomActions->actions())
            a->setChecked(a->data().toInt() == zoom);
}

// The page width when the panel is wider, else the panel's width: the control's own scroll bar and
// the page's right margin always stay in view.
void TWPForm::placeResultBox() {
    const int width = std::min(ControlWidthForZoom(m_resultBox->ZoomFactor()), m_resultPanel->width());
    m_resultBox->setGeometry(ControlLeftForZoom(m_resultPanel->width(), width, m_zoomSetting), 0, width,
                             m_resultPanel->height());
}

bool TWPForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_resultPanel && m_resultBox && event->type() == QEvent::Resize)
        placeResultBox();
    if (watched == m_abbreviationListBox && event->type() == QEvent::KeyPress)
        return abbreviationListKey(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

QString TWPForm::templatePath(const QByteArray &name, const char *suffix) const {
    return local(m_folders.TemplateDirectory + HostText::toUnicode(GDFileManip::EscapeFileName(name)) +
                 QLatin1String(suffix));
}

void TWPForm::writeLastMessage() {
    const QString work = local(m_folders.ResultDirectory);
    if (work.isEmpty())
        return;
    QString error;
    if (!PrivateFile::save(QDir(work).filePath(QStringLiteral("lastpendrastring.txt")),
                           m_receivedReportText + "\r\n", &error))
        ORVA_TRACE("lastpendrastring.txt not written", error);
}

void TWPForm::showSaveButtons(bool show) {
    m_save1->setEnabled(show);
    m_saveAs1->setEnabled(show);
    m_saveButton->setVisible(show);
    m_saveAsButton->setVisible(show);
}

bool TWPForm::RecoverLast(const QString &recoveryFile) {
    m_recoverPending = true;
    m_recoveryFileName = recoveryFile;
    return LoadReport();
}

bool TWPForm::LoadReport() {
    ++m_generation;
    m_reportOpen = true;
    // A dictation paused in the last report goes on from there in this one.
    TAudioFilePositions &positions = AudioFilePositions();
    if (positions.AudioFilePosEnd != 0)
        positions.AudioFilePosStart = positions.AudioFilePosEnd;
    m_reportRecord.ClearValues();
    LoadReportKeys(m_reportRecord);
    m_reportRecord.B64Data.clear();
    writeLastMessage();
    // DYNAMICRANGE pictures are written only to the work folder or a mapped network folder.
    m_reportRecord.DynamicRangeRoots = {local(m_folders.ResultDirectory)};
    for (const auto &entry : LocalPath::PathMap())
        m_reportRecord.DynamicRangeRoots.append(entry.second);
    m_reportRecord.Parse(m_receivedReportText);

    showDictationList(!value("AUDIOTEXTINFO").isEmpty());
    m_reportChanged = false;

    m_resultBox->ClearDocument();
    m_resultBox->setFormatSelection(false);
    m_resultBox->setPageWidth(kPageWidthPx * kTwipsPerPixel);
    m_resultBox->setPageHeight(kPageHeightPx * kTwipsPerPixel);
    m_resultBox->setPageMarginL(0);
    m_resultBox->setPageMarginT(0);
    m_resultBox->setPageMarginR(0);
    m_resultBox->setPageMarginB(0);
    m_resultBox->setFormatSelection(true);
    m_resultBox->setHeaderFooter(orva::richtext::HeaderFooterReport);
    m_resultBox->setHeaderFooterStyle(orva::richtext::HeaderFooterStyleEditor);
    m_resultBox->setViewMode(orva::richtext::ViewModeEditor);
    m_pictureList.clear();

    loadAbbreviationIndex(true);

    if (value("PatCode").isEmpty())
        return templateEditing();

    showSaveButtons(false);
    const QString work = local(m_folders.ResultDirectory);
    m_workDocumentName =
        QDir(work).filePath(HostText::toUnicode(GDFileManip::EscapeFileName(
                                m_reportRecord.GetReqCode() + "_" + m_reportRecord.GetProcCode())) +
                            QStringLiteral(".doc"));
    QFile::remove(m_workDocumentName);
    PrivateFile::makeFolder(work);
    m_templateEditing = false;
    if (!m_reportRecord.B64Data.isEmpty() && !decodeStoredDocument())
        return false;

    loadLetterhead();

    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    m_resultBox->setSelStart(0);
    m_resultBox->setSelLength(m_resultBox->Text().size());
    bool bodyLoaded = false;
    bool templateUsed = false;
    if (m_recoverPending) {
        m_recoverPending = false;
        m_resultBox->setSelText(QString());
        bodyLoaded =
            m_resultBox->LoadDocument(local(m_recoveryFileName), LoadAtSelection, true, FormatEditorFile) > 0;
    } else if (!m_reportRecord.ResultText.isEmpty()) {
        m_resultBox->setSelText(QString());
        const QByteArray markup = m_reportRecord.ResultText == "." ? QByteArray() : m_reportRecord.ResultText;
        QTextCursor c = m_resultBox->editor()->textCursor();
        ImportHostMarkup(m_resultBox->document(), c, markup, value("TEXTFONT"), value("TEXTSIZE"));
        m_resultBox->editor()->setTextCursor(c);
        bodyLoaded = true;
    } else if (QFile::exists(m_workDocumentName)) {
        const int count =
            m_resultBox->LoadDocument(m_workDocumentName, LoadAtSelection, true, FormatEditorFile);
        scanStoredPictures(m_workDocumentName);
        QFile::remove(m_workDocumentName);
        // Any document that was read and is not empty counts, however short the report.
        if (count <= 0) {
            m_messages.warning(QStringLiteral("Warning"),
                               QStringLiteral("An error occured trying to load the stored file \"") +
                                   m_workDocumentName +
                                   QStringLiteral("\"\r\nData file is empty or corrupted."));
            return false;
        }
        bodyLoaded = true;
    } else {
        const QByteArray name =
            m_reportRecord.TplOverride.isEmpty() ? m_reportRecord.GetProcCode() : m_reportRecord.TplOverride;
        const QString path = templatePath(name, ".tpl");
        ORVA_TRACE("loading", path);
        m_lastError.clear();
        const int result = m_resultBox->LoadDocument(path, LoadAtSelection, true, FormatEditorFile);
        ORVA_TRACE("Result of resultbox.load call is", result);
        bodyLoaded = result != 0;
        // A procedure without a template starts empty; one whose template is there but cannot be
        // read (a Word document, say) would otherwise start empty too without the user knowing why.
        if (!bodyLoaded && QFileInfo(path).size() > 0)
            m_messages.warning(QStringLiteral("Template Error"), m_lastError);
        templateUsed = true;
    }

    m_resultBox->setViewMode(orva::richtext::ViewModeEditor);
    fillPatientStrip();
    if (m_mergeFields) {
        bool ok = m_mergeFields(orva::richtext::PartFooter) && m_mergeFields(orva::richtext::PartHeader);
        ok = ok && m_mergeFields(orva::richtext::PartMain);
        m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
        if (!ok)
            m_messages.error(QStringLiteral("Template Error"),
                             QStringLiteral("There was a problem filling in the patient details."));
    }
    placePictures();
    fillDictationPlaceholders();
    show();
    placeCaret();
    focusDocument();
    loadAbbreviations();
    m_abandonReport = true;
    m_reportChanged = false;
    return bodyLoaded || templateUsed;
}

bool TWPForm::templateEditing() {
    m_templateEditing = true;
    showSaveButtons(true);
    m_recoverPending = false;
    fillPatientStrip();
    m_workDocumentName.clear();
    m_patientStatic->setText(NoTemplateText);
    m_resultBox->setHeaderFooter(orva::richtext::HeaderFooterNone);
    m_abandonReport = true;
    m_reportChanged = false;
    show();
    focusDocument();
    return true;
}

void TWPForm::focusDocument() {
    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    m_resultBox->FocusText();
}

bool TWPForm::decodeStoredDocument() {
    const auto decoded =
        QByteArray::fromBase64Encoding(m_reportRecord.B64Data, QByteArray::AbortOnBase64DecodingErrors);
    QString error;
    if (!decoded)
        error = QStringLiteral("The report data is not valid base64.");
    else if (PrivateFile::save(m_workDocumentName, *decoded, &error))
        return true;
    QFile::remove(m_workDocumentName);
    m_messages.error(QStringLiteral("Download Report Data"),
                     QStringLiteral("The File downloaded from the server could not be created locally") +
                         QStringLiteral("\r\n") + error);
    return false;
}

void TWPForm::loadLetterhead() {
    auto copyPage = [this] {
        using namespace orva::richtext;
        m_resultBox->setPageWidth(m_resultBox->GetPageSetting(PageSettingWidth));
        m_resultBox->setPageHeight(m_resultBox->GetPageSetting(PageSettingHeight));
        m_resultBox->setPageMarginL(m_resultBox->GetPageSetting(PageSettingMarginL));
        m_resultBox->setPageMarginT(m_resultBox->GetPageSetting(PageSettingMarginT));
        m_resultBox->setPageMarginR(m_resultBox->GetPageSetting(PageSettingMarginR));
        m_resultBox->setPageMarginB(m_resultBox->GetPageSetting(PageSettingMarginB));
    };
    m_lastError.clear();
    if (m_resultBox->LoadDocument(templatePath(m_reportRecord.Template, ".doc"), LoadReplacing, false,
                                  FormatLetterhead) > 0) {
        copyPage();
        return;
    }
    for (const char *fallback : {"tmpl_default", "lh_default"}) {
        const QString path = templatePath(fallback, ".doc");
        if (!QFile::exists(path))
            continue;
        if (m_resultBox->LoadDocument(path, LoadReplacing, false, FormatLetterhead) > 0) {
            copyPage();
            return;
        }
        break;
    }
    if (m_reportRecord.IndexOfName("DONTRETURNBINARY") < 0 || value("DONTRETURNBINARY").isEmpty())
        m_messages.warning(
            QStringLiteral("Letterhead Error"),
            QStringLiteral("Warning!!\r\nI couldn't load a Letterhead for this procedure.\r\n") +
                m_lastError);
}

int TWPForm::scanStoredPictures(const QString &file) {
    QList<TWpPicture> pictures;
    const int count = TWpTextControl::ListPictures(file, &pictures);
    if (count < 0)
        return count;
    int added = 0;
    for (const TWpPicture &p : pictures) {
        TImageRecord r;
        r.FileName = HostText::fromUnicode(p.path);
        r.PosX = p.posX;
        r.PosY = p.posY;
        r.ScaleX = p.scaleX;
        r.ScaleY = p.scaleY;
        r.ObjectMode = p.objectMode;
        r.TextFlow = p.textFlow;
        r.DistanceL = p.distL;
        r.DistanceT = p.distT;
        r.DistanceR = p.distR;
        r.DistanceB = p.distB;
        r.FromMessage = false;
        if (!m_reportRecord.ImageBoxes.contains(r)) {
            m_reportRecord.ImageBoxes.append(r);
            ++added;
        }
    }
    return added;
}

void TWPForm::fillPatientStrip() {
    auto v = [this](const char *name) { return HostText::toUnicode(value(name)); };
    m_patientStatic->setText(v("PATTitle") + ' ' + v("PatSur") + QStringLiteral(", ") + v("PatGiven") + ' ' +
                             v("PatAdd1") + ' ' + v("patadd2") + ' ' + v("Patadd3") + ' ' + v("patpc"));
    m_reqDateStatic->setText(v("ServiceDate") + QStringLiteral("  "));
    m_procStatic->setText(v("ProcCode") + QStringLiteral("  "));
    m_requestStatic->setText(v("ReqCode") + QStringLiteral("  "));
    // A report without a referring doctor never shows the previous report's.
    const QString given = v("DOCGiven");
    m_drNameStatic->setText(given.isEmpty() ? QString()
                                            : v("DOCTitle") + ' ' + given.left(1).toUpper() + ' ' +
                                                  v("DOCSur") + QStringLiteral("  "));
}

void TWPForm::placePictures() {
    while (const int id = m_resultBox->NextObject(0)) {
        if (!m_resultBox->DeleteObject(id))
            break;
    }
    for (TImageRecord &box : m_reportRecord.ImageBoxes) {
        const QString file = local(HostText::toUnicode(box.FileName));
        // Read in a worker: a picture on a share that does not answer must not freeze the window.
        struct Read {
            bool exists = false;
            QImage image;
        };
        const std::optional<Read> read = FileWait::Bounded(
            [file] {
                Read r;
                r.exists = QFileInfo::exists(file);
                if (r.exists)
                    r.image = QImage(file);
                return r;
            },
            m_pictureWaitMs);
        if (!read)
            FileWait::TraceNoAnswer(QStringLiteral("picture"), file);
        if (!read || !read->exists) {
            m_messages.information(QStringLiteral("Insert Image"), QStringLiteral("Warning!!\r\nThe image ") +
                                                                       HostText::toUnicode(box.FileName) +
                                                                       QStringLiteral(" is missing."));
            continue;
        }
        if (box.FromMessage) {
            if (m_showInImageControl)
                m_showInImageControl(file);
            const QSize size = read->image.size();
            // A picture that cannot be measured keeps its scale rather than dividing by zero.
            if (box.FitWidth != 0 && size.width() > 0)
                box.ScaleX = int(std::lround(double(box.FitWidth) / size.width() * 100.0));
            if (box.FitHeight != 0 && size.height() > 0)
                box.ScaleY = int(std::lround(double(box.FitHeight) / size.height() * 100.0));
            if ((box.FitWidth != 0 || box.FitHeight != 0) && !size.isValid())
                ORVA_TRACE("picture could not be measured", file);
        }
        // An empty scale in the message means the picture's natural size.
        const int scaleX = box.ScaleX > 0 ? box.ScaleX : 100;
        const int scaleY = box.ScaleY > 0 ? box.ScaleY : 100;
        m_resultBox->SetPictureImage(HostText::toUnicode(box.FileName), read->image);
        box.ObjectId = m_resultBox->InsertPicture(HostText::toUnicode(box.FileName), box.PosX, box.PosY,
                                                  scaleX, scaleY, box.ObjectMode, box.TextFlow, box.DistanceL,
                                                  box.DistanceT, box.DistanceR, box.DistanceB);
        m_pictureList.append(box);
    }
}

void TWPForm::placeCaret() {
    const int at =
        m_resultBox->FindText(QString(QChar(kCursorStartMark)), 0, orva::richtext::FindForwardNoCase);
    if (at >= 0) {
        m_resultBox->setSelStart(at);
        m_resultBox->setSelLength(1);
        m_resultBox->setSelText(QString());
        return;
    }
    // A placeholder made by the markup keeps the caret; otherwise it goes to the end of the text.
    if (m_reportRecord.ResultText.contains('`'))
        return;
    m_resultBox->setSelStart(m_resultBox->Text().size());
}

void TWPForm::loadAbbreviations() {
    loadAbbreviationsFor(GDFileManip::EscapeFileName(m_reportRecord.GetProcCode()));
}

void TWPForm::loadAbbreviationsFor(const QByteArray &code) {
    m_abbreviationList.clear();
    m_abbreviationFile.clear();
    QByteArray file;
    for (const QByteArray &line : std::as_const(m_abbreviationIndex)) {
        if (line.left(line.indexOf('=')).compare(code, Qt::CaseInsensitive) == 0) {
            file = line.mid(line.indexOf('=') + 1);
            break;
        }
    }
    // An empty index means no list at all.
    if (file.isEmpty() && !m_abbreviationIndex.isEmpty())
        file = m_abbreviationIndex.first().mid(m_abbreviationIndex.first().indexOf('=') + 1);
    if (!file.isEmpty()) {
        m_abbreviationFile = local(m_folders.AbbreviationDirectory + HostText::toUnicode(file.trimmed()));
        const QByteArrayList lines = readLines(m_abbreviationFile, nullptr);
        for (const QByteArray &line : lines)
            // Host entries ("/" lines) come from the message, never from a stale saved copy.
            if (!line.startsWith('/') && !line.trimmed().isEmpty())
                m_abbreviationList.append(line);
    }
    m_abbreviationList += m_reportRecord.ExtraData;
    refreshAbbreviationListBox();
}

void TWPForm::refreshAbbreviationListBox() {
    m_abbreviationListBox->clear();
    for (const QByteArray &line : std::as_const(m_abbreviationList))
        m_abbreviationListBox->addItem(HostText::toUnicode(line.left(line.indexOf('='))));
}
