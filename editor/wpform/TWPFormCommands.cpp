// The menus, tool buttons and keys of the results editor around the document: formatting, indents,
// pictures, tables, symbols, dates, zoom, printing, templates, abbreviation lists, recovery and the
// window's place.
#include "editor/wpform/EditorCommands.h"
#include "editor/wpform/TWPForm.h"

#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "editor/spell/TSpellForm.h"
#include "imaging/media/TMMOpenDialog.h"
#include "platform/modal/ModalDialog.h"
#include "platform/richtext/TWpTextControl.h"
#include "platform/settings/TRegistry.h"
#include "platform/shell/TfrmHelpAbout.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>

using orva::richtext::TWpTextControl;

namespace {

constexpr char16_t kCursorStartMark = 0x00A5;
const QString kSymbolFont = QStringLiteral("Times New Roman");
const QString kTableCaption = QStringLiteral("Insert Table");

QString local(const QString &path) {
    return LocalPath::toLocalPath(path);
}

} // namespace

QAction *TWPForm::command(QMenu *menu, const char *name, const QString &text,
                          const std::function<void()> &run, const QKeySequence &shortcut) {
    auto *a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    connect(a, &QAction::triggered, this, [this, run] {
        // A command's failure is shown; it never reaches the event loop.
        try {
            run();
        } catch (const std::exception &e) {
            m_messages.error(QStringLiteral("Error condition detected"), QString::fromLocal8Bit(e.what()));
        }
    });
    if (menu)
        menu->addAction(a);
    addAction(a);
    return a;
}

void TWPForm::createCommands(QToolBar *bar) {
    auto *menus = new QMenuBar(this);
    menus->setObjectName(QStringLiteral("MainMenu1"));
    static_cast<QVBoxLayout *>(layout())->setMenuBar(menus);
    TWpTextControl *box = m_resultBox;

    QMenu *file = menus->addMenu(QStringLiteral("&File"));
    m_openAction = command(file, "Open1", QStringLiteral("&Open..."), [this] { openTemplateDialog(); });
    file->addAction(m_save1);
    file->addAction(m_saveAs1);
    connect(m_save1, &QAction::triggered, this, [this] {
        if (!SaveReportFiles())
            m_messages.error(QStringLiteral("Save Template"), QStringLiteral("The template did not save"));
    });
    connect(m_saveAs1, &QAction::triggered, this, [this] { saveTemplateAsDialog(); });
    m_recoverAction = command(file, "RecoverLast1", QStringLiteral("&Recover Last"), [this] {
        if (QFile::exists(RecoveryFilePath()))
            RecoverLast(RecoveryFilePath());
    });
    file->addSeparator();
    command(file, "Print1", QStringLiteral("&Print..."), [this] { PrintReport(); });
    command(
        file, "aSpellCheck", QStringLiteral("&Spelling..."), [this] { SpellCheckButtonClick(); },
        QKeySequence(Qt::Key_F7));
    file->addSeparator();
    command(file, "Close1", QStringLiteral("&Close"), [this] { CloseTemplate(); });
    command(file, "Exit1", QStringLiteral("E&xit"), [this] { ExitEditor(); });
    connect(file, &QMenu::aboutToShow, this, [this] { updateFileMenu(); });

    QMenu *edit = menus->addMenu(QStringLiteral("&Edit"));
    m_cutAction = command(edit, "Cut1", QStringLiteral("Cu&t"),
                          [box] { box->ClipboardCommand(orva::richtext::ClipboardCut); });
    command(edit, "Copy1", QStringLiteral("&Copy"),
            [box] { box->ClipboardCommand(orva::richtext::ClipboardCopy); });
    m_pasteAction = command(edit, "Paste1", QStringLiteral("&Paste"),
                            [box] { box->ClipboardCommand(orva::richtext::ClipboardPaste); });
    command(edit, "SelectAll1", QStringLiteral("Select &All"), [box] {
        box->ActivateHeaderFooter(orva::richtext::PartMain);
        box->setSelStart(0);
        box->setSelLength(box->Text().size());
    });
    command(edit, "Undo1", QStringLiteral("&Undo"), [box] { box->Undo(); });
    command(edit, "Redo1", QStringLiteral("&Redo"), [box] { box->Redo(); });
    command(edit, "Find1", QStringLiteral("&Find..."), [box] { box->FindDialog(1); });
    command(edit, "Replace1", QStringLiteral("R&eplace..."), [box] { box->FindDialog(2); });
    m_deleteFieldAction = command(edit, "DeleteField1", QStringLiteral("&Delete Field"), [box] {
        const int id = box->FieldAtInputPos();
        if (id == 0)
            return;
        box->setFieldCurrent(id);
        box->DeleteField(-1);
    });
    command(edit, "aShowAll", QStringLiteral("Show &All"),
            [box] { box->setControlChars(!box->ControlChars()); });
    command(edit, "Clear1", QStringLiteral("Cle&ar"), [this] { ClearText(); });
    connect(edit, &QMenu::aboutToShow, this, [this] { updateEditMenu(); });
    m_editorMenu = edit;

    QMenu *format = menus->addMenu(QStringLiteral("F&ormat"));
    command(format, "BoldButton", QStringLiteral("&Bold"), [box] { box->setFontBold(!box->FontBold()); });
    command(format, "ItalicButton", QStringLiteral("&Italics"),
            [box] { box->setFontItalic(!box->FontItalic()); });
    command(format, "UnderlineButton", QStringLiteral("&Underline"),
            [box] { box->setFontUnderline(!box->FontUnderline()); });
    command(format, "StrikeoutButton", QStringLiteral("&Strikeout"),
            [box] { box->setFontStrikethru(!box->FontStrikethru()); });
    command(format, "SuperScriptButton", QStringLiteral("Su&perScript"), [this] { scriptStep(true); });
    command(format, "SubScriptButton", QStringLiteral("Su&bscript"), [this] { scriptStep(false); });
    command(format, "BaselineButton", QStringLiteral("Base&line"), [box] { box->setBaseLine(0); });
    command(format, "LeftJustify", QStringLiteral("&Left"), [box] { box->setAlignment(0); });
    command(format, "CentreJustify", QStringLiteral("&Centre"), [box] { box->setAlignment(2); });
    command(format, "RightJustify", QStringLiteral("&Right"), [box] { box->setAlignment(1); });
    format->addSeparator();
    auto indent = [box](int (TWpTextControl::*get)() const, void (TWpTextControl::*set)(int), bool add) {
        return [box, get, set, add] { (box->*set)(IndentStep((box->*get)(), add)); };
    };
    command(format, "AddIndent", QStringLiteral("Add Indent"),
            indent(&TWpTextControl::IndentFL, &TWpTextControl::setIndentFL, true));
    command(format, "BackIndent", QStringLiteral("Back Indent"),
            indent(&TWpTextControl::IndentFL, &TWpTextControl::setIndentFL, false));
    command(format, "AddHangingIndent", QStringLiteral("Add Hanging Indent"),
            indent(&TWpTextControl::IndentL, &TWpTextControl::setIndentL, true));
    command(format, "BackHangingIndent", QStringLiteral("Back Hanging Indent"),
            indent(&TWpTextControl::IndentL, &TWpTextControl::setIndentL, false));
    command(format, "AddRightIndent", QStringLiteral("Add Right Indent"),
            indent(&TWpTextControl::IndentR, &TWpTextControl::setIndentR, true));
    command(format, "backRightIndent", QStringLiteral("Back Right Indent"),
            indent(&TWpTextControl::IndentR, &TWpTextControl::setIndentR, false));
    format->addSeparator();
    command(format, "ColourButton", QStringLiteral("C&olour..."), [box] { box->ColorDialog(); });
    command(format, "Font1", QStringLiteral("&Font..."), [box] { box->FontDialog(); });
    command(format, "Tabs1", QStringLiteral("&Tabs..."), [box] { box->TabDialog(); });
    command(format, "Bullets1", QStringLiteral("B&ullets..."), [box] { box->BulletDialog(); });

    QMenu *insert = menus->addMenu(QStringLiteral("&Insert"));
    command(insert, "Picture1", QStringLiteral("&Picture..."), [this] { insertPictureDialog(); });
    QMenu *symbols = insert->addMenu(QStringLiteral("&Symbol"));
    const struct {
        const char *name;
        const char *caption;
        int code;
    } symbolItems[] = {
        {"Quarter1", "&Quarter", 0xBC},
        {"Half1", "&Half", 0xBD},
        {"Threequarters1", "&Three quarters", 0xBE},
        {"Degree1", "&Degree", 0xB0},
        {"PlusMinus1", "&Plus/Minus", 0xB1},
        {"Micro1", "&Micro", 0xB5},
        {"Pound1", "Pou&nd", 0xA3},
    };
    for (const auto &s : symbolItems)
        command(symbols, s.name, QString::fromLatin1(s.caption),
                [this, code = s.code] { InsertSymbol(code); });
    QMenu *dates = insert->addMenu(QStringLiteral("&Date and Time"));
    dates->setObjectName(QStringLiteral("DateandTime1"));
    for (int tag = 1; tag <= 6; ++tag) {
        QAction *a = command(dates, "", QString(), {});
        a->setObjectName(QStringLiteral("DateItem%1").arg(tag));
        a->setData(tag);
        disconnect(a, &QAction::triggered, this, nullptr);
        connect(a, &QAction::triggered, this, [this, a] { m_resultBox->setSelText(a->text().remove('&')); });
    }
    connect(dates, &QMenu::aboutToShow, this, [this] { updateDateItems(); });
    updateDateItems();
    m_cursorMarkAction = command(insert, "CursorStartMarker1", QStringLiteral("&Cursor Start Marker"),
                                 [this] { InsertCursorStartMarker(); });
    command(insert, "InsertAudio1", QStringLiteral("Insert &Audio..."), [this] { InsertAudioPlaceholder(); });
    command(insert, "TableDownMarker1", QStringLiteral("Abbreviation Table &Down marker"),
            [box] { box->setSelText(QString(QChar(0xAC))); });
    command(insert, "TableNextMarker1", QStringLiteral("Abbreviation Table &Next marker"),
            [box] { box->setSelText(QString(QChar(0xAD))); });
    command(insert, "TableBlankMarker1", QStringLiteral("Abbreviation Table &Blank Cell Marker"),
            [box] { box->setSelText(QString(QChar(0xAB))); });
    connect(insert, &QMenu::aboutToShow, this, [this] { updateInsertMenu(); });

    QMenu *table = menus->addMenu(QStringLiteral("T&able"));
    m_tablePopup = table;
    command(table, "Table1", QStringLiteral("&Table..."), [this] { InsertTableAsked(); });
    command(table, "Row1", QStringLiteral("Insert &Row"), [box] { box->InsertRow(); });
    command(table, "Column1", QStringLiteral("Insert &Column"), [box] { box->InsertColumn(); });
    command(table, "delrow", QStringLiteral("&Delete Row"), [box] { box->DeleteRow(); });
    command(table, "DelColumn", QStringLiteral("D&elete Column"), [box] { box->DeleteColumn(); });
    command(table, "Properties1", QStringLiteral("&Properties..."), [box] { box->TablePropertiesDialog(); });

    QMenu *abbreviations = menus->addMenu(QStringLiteral("A&bbreviations"));
    m_addAbbreviationActions = {
        command(abbreviations, "Addabbreviation1", QStringLiteral("&Add"),
                [this] { Addabbreviation1Click(1); }),
        command(abbreviations, "AddwithTextFormatting1", QStringLiteral("Add with &Text Formatting"),
                [this] { Addabbreviation1Click(2); }),
        command(abbreviations, "AddwithFullFormatting1", QStringLiteral("Add with &Full Formatting"),
                [this] { Addabbreviation1Click(3); }),
    };
    command(abbreviations, "LoadFile1", QStringLiteral("&Load File..."),
            [this] { loadAbbreviationFileDialog(); });
    command(abbreviations, "Show1", QStringLiteral("&Show"), [this] { showAbbreviationList(); });
    command(abbreviations, "Expand1", QStringLiteral("&Expand"), [this] { ExpandAbbreviation(false); });
    connect(abbreviations, &QMenu::aboutToShow, this, [this] { updateAbbreviationMenu(); });

    QMenu *zoom = menus->addMenu(QStringLiteral("&Zoom"));
    const struct {
        const char *name;
        const char *caption;
        int tag;
    } zooms[] = {{"Zoom50", "&50%", 50},
                 {"Zoom75", "&75%", 75},
                 {"Zoom100", "&100%", 100},
                 {"Zoom150", "15&0%", 150},
                 {"Zoom200", "&200%", 200},
                 {"ZoomPageWidth", "&Page Width", ZoomPageWidth},
                 {"ZoomCentred", "&Centred 90%", ZoomCentred90}};
    m_zoomActions = new QActionGroup(this);
    for (const auto &z : zooms) {
        QAction *a =
            command(zoom, z.name, QString::fromLatin1(z.caption), [this, tag = z.tag] { SetZoom(tag); });
        a->setCheckable(true);
        a->setData(z.tag);
        m_zoomActions->addAction(a);
    }

    // F10 and ESC act from every part of the window (the bars, the lists), not only the document:
    // right after a report opens the user must be able to return or leave it with a key.
    command(
        nullptr, "aReturnReport", QStringLiteral("Return Report"), [this] { returnKey(); },
        QKeySequence(Qt::Key_F10));
    command(
        nullptr, "aLeaveReport", QStringLiteral("Leave Report"), [this] { LeaveReport(); },
        QKeySequence(Qt::Key_Escape));

    QMenu *help = menus->addMenu(QStringLiteral("&Help"));
    command(help, "About1", QStringLiteral("&About..."), [this] { AboutBox(); });

    for (const char *name :
         {"BoldButton", "ItalicButton", "UnderlineButton", "SuperScriptButton", "SubScriptButton",
          "LeftJustify", "CentreJustify", "RightJustify", "Print1", "aSpellCheck", "Picture1", "Table1"})
        bar->addAction(findChild<QAction *>(QLatin1String(name)));
    auto *abbreviationButton = command(nullptr, "AbbreviationButton", QStringLiteral("Abbreviations"),
                                       [this] { showAbbreviationList(); });
    bar->addAction(abbreviationButton);
    bar->addAction(command(nullptr, "ToolButton13", QStringLiteral("Enlarge Picture"), [box] {
        if (box->ObjectCurrent() != 0)
            box->setObjectScaleX(box->ObjectScaleX() + 10);
    }));

    m_statusHint = new QLabel(this);
    m_statusHint->setObjectName(QStringLiteral("StatusHint"));
    layout()->addWidget(m_statusHint);
    connect(box, &TWpTextControl::OnObjectClicked, this, [this](int) {
        m_statusHint->setText(QStringLiteral("Hold ALT to move or resize your Image (or object)"));
    });
    connect(box, &TWpTextControl::OnObjectDeleted, this, [this](int id) {
        for (TImageRecord &r : m_pictureList)
            if (r.ObjectId == id)
                r.FileName.clear();
    });
    connect(box, &TWpTextControl::OnTableCreated, this, [this](int id) { m_tableList.created(id); });
    connect(box, &TWpTextControl::OnTableDeleted, this, [this](int id) { m_tableList.deleted(id); });
    box->editor()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box->editor(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { ContextMenuFor(at)->popup(m_resultBox->editor()->mapToGlobal(at)); });
}

QMenu *TWPForm::ContextMenuFor(const QPoint &viewportPos) {
    const QTextCursor c = m_resultBox->editor()->cursorForPosition(viewportPos);
    if (c.currentTable())
        return m_tablePopup;
    updateEditMenu();
    return m_editorMenu;
}

void TWPForm::updateFileMenu() {
    m_recoverAction->setEnabled(m_reportOpen && !m_templateEditing && QFile::exists(RecoveryFilePath()));
    const bool templates = m_templateEditing || value("ReqCode") == "editing";
    m_openAction->setEnabled(templates);
    m_save1->setEnabled(templates);
    m_saveAs1->setEnabled(templates);
}

void TWPForm::updateEditMenu() {
    m_cutAction->setEnabled(m_resultBox->CanCopy());
    m_pasteAction->setEnabled(m_resultBox->CanPaste());
    m_deleteFieldAction->setEnabled(m_resultBox->FieldAtInputPos() != 0);
}

void TWPForm::updateInsertMenu() {
    m_cursorMarkAction->setVisible(m_templateEditing || value("ReqCode") == "editing");
}

void TWPForm::updateAbbreviationMenu() {
    for (QAction *a : std::as_const(m_addAbbreviationActions))
        a->setEnabled(!m_abbreviationList.isEmpty());
}

void TWPForm::updateDateItems() {
    const QDateTime now = QDateTime::currentDateTime();
    for (int tag = 1; tag <= 6; ++tag)
        if (auto *a = findChild<QAction *>(QStringLiteral("DateItem%1").arg(tag)))
            a->setText(DateItemText(tag, now, QLocale()).replace('&', QStringLiteral("&&")));
}

void TWPForm::scriptStep(bool up) {
    const ScriptState now{m_resultBox->FontSize(), m_resultBox->BaseLine()};
    const ScriptState next = up ? SuperScriptStep(now) : SubScriptStep(now);
    m_resultBox->setFontSize(next.size);
    m_resultBox->setBaseLine(next.baseLine);
}

void TWPForm::ClearText() {
    if (!m_messages.yesNo(
            QStringLiteral("Warning!"),
            QStringLiteral("This option clears the result text and can't be undone!\r\nAre your sure?")))
        return;
    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    m_resultBox->setText(QString());
}

void TWPForm::InsertSymbol(int code) {
    const QString previous = m_resultBox->FontName();
    m_resultBox->setFontName(kSymbolFont);
    m_resultBox->setSelText(QString(QChar(code)));
    m_resultBox->setFontName(previous);
}

void TWPForm::InsertCursorStartMarker() {
    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    int at = m_resultBox->SelStart();
    const QString mark{QChar(kCursorStartMark)};
    for (int found; (found = m_resultBox->FindText(mark, 0, orva::richtext::FindForwardNoCase)) >= 0;) {
        m_resultBox->setSelStart(found);
        m_resultBox->setSelLength(1);
        m_resultBox->setSelText(QString());
        if (found < at)
            --at;
    }
    m_resultBox->setSelStart(at);
    m_resultBox->setSelText(mark);
}

bool TWPForm::InsertTableAsked() {
    auto ask = [this](const QString &prompt, int limit, int &out) {
        QString text = QStringLiteral("3");
        for (;;) {
            if (!m_messages.inputBox(kTableCaption, prompt, text))
                return false;
            bool ok = false;
            out = text.trimmed().toInt(&ok);
            if (ok && out >= 1 && out <= limit)
                return true;
            m_messages.information(kTableCaption,
                                   QStringLiteral("Please give a number from 1 to %1.").arg(limit));
        }
    };
    int rows = 0, columns = 0;
    if (!ask(QStringLiteral("Number of Rows:"), MaxTableRows, rows) ||
        !ask(QStringLiteral("Number of Columns:"), MaxTableColumns, columns))
        return false;
    return m_resultBox->InsertTable(rows, columns) > 0;
}

bool TWPForm::isNetworkPicture(const QString &path) const {
    if (path.startsWith(QStringLiteral("\\\\")) || !LocalPath::mappedPath(path).isEmpty())
        return true;
    const QString file = QDir::cleanPath(local(path));
    for (const auto &entry : LocalPath::PathMap()) {
        const QString target = QDir::cleanPath(entry.second);
        if (!target.isEmpty() && (file == target || file.startsWith(target + '/')))
            return true;
    }
    return false;
}

bool TWPForm::InsertPictureFile(const QString &path) {
    const QString file = local(path);
    if (m_folders.ShowWarnings && !isNetworkPicture(path))
        m_messages.warning(
            QStringLiteral("Insert Image - Image not a network resource"),
            QStringLiteral("Warning! This image is not a Network Resource!\r\n\r\nIf the Pendra "
                           "Printing Processor is NOT located on \r\nthis computer then the image "
                           "WILL NOT appear \r\nin the final report!!"));
    if (m_showInImageControl)
        m_showInImageControl(file);
    const QSize size = m_measurePicture ? m_measurePicture(file) : QSize();
    const int scale = PictureInsertScale(size.width());
    if (scale <= 0) {
        m_messages.error(QStringLiteral("Insert Image"),
                         QStringLiteral("The picture could not be read:\r\n") + path);
        return false;
    }
    TImageRecord r;
    r.FileName = HostText::fromUnicode(path);
    r.PosX = 2000;
    r.PosY = m_resultBox->ScrollPosY() + 3000;
    r.ScaleX = r.ScaleY = scale;
    r.TextFlow = 3;
    r.DistanceL = r.DistanceT = r.DistanceR = r.DistanceB = 20;
    r.ObjectId = m_resultBox->InsertPicture(path, r.PosX, r.PosY, scale, scale, r.ObjectMode, r.TextFlow, 20,
                                            20, 20, 20);
    m_pictureList.append(r);
    return r.ObjectId != 0;
}

void TWPForm::insertPictureDialog() {
    // The open dialog with its preview, so the picture can be checked before it goes into a report.
    QString file;
    int page = 0;
    if (orva::imaging::RunMMOpenDialog(this, file, page) && !file.isEmpty())
        InsertPictureFile(file);
}

bool TWPForm::PrintReport() {
    const int pages = m_resultBox->CurrentPages();
    if (pages <= 0)
        return false;
    if (m_newPrintJob)
        return printPages(pages, m_newPrintJob);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (RunModalDialog(dialog) != QDialog::Accepted)
        return false;
    // Each page is a document of its own on the chosen printer.
    return printPages(pages, [&printer](int page) -> std::unique_ptr<QPagedPaintDevice> {
        auto job = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job->setPrinterName(printer.printerName());
        job->setOutputFileName(printer.outputFileName().isEmpty()
                                   ? QString()
                                   : printer.outputFileName() + QStringLiteral(".%1").arg(page));
        job->setPageLayout(printer.pageLayout());
        // The report's page carries its own margins.
        job->setFullPage(true);
        job->setDocName(QStringLiteral("Report page %1").arg(page));
        return job;
    });
}

bool TWPForm::printPages(int pages, const PrintJobFactory &newPrintJob) {
    for (int page = 1; page <= pages; ++page) {
        std::unique_ptr<QPagedPaintDevice> device = newPrintJob(page);
        if (!device || !m_resultBox->PrintPages(device.get(), page, page)) {
            m_messages.error(QStringLiteral("Print"),
                             QStringLiteral("Page %1 of the report did not print.").arg(page));
            return false;
        }
    }
    return true;
}

bool TWPForm::OpenTemplate(const QString &path) {
    const QString file = local(path);
    const bool isTemplate = file.endsWith(QStringLiteral(".tpl"), Qt::CaseInsensitive);
    if (!isTemplate &&
        !m_messages.yesNo(QStringLiteral("Open"), QStringLiteral("Are you sure you want to open a "
                                                                 "document which is not a PENDRA "
                                                                 "template?")))
        return false;
    loadAbbreviationsFor(HostText::fromUnicode(QFileInfo(file).completeBaseName()));
    m_resultBox->ClearDocument();
    m_resultBox->setHeaderFooterStyle(isTemplate ? orva::richtext::HeaderFooterStyleEditor : 5);
    m_lastError.clear();
    if (m_resultBox->LoadDocument(file, orva::richtext::LoadReplacing, false,
                                  isTemplate ? orva::richtext::FormatEditorFile
                                             : orva::richtext::FormatLetterhead) <= 0) {
        m_messages.error(QStringLiteral("Load File"),
                         QStringLiteral("File failed to load.\r\n") + m_lastError);
        return false;
    }
    m_templateFileName = file;
    m_patientStatic->setText(QStringLiteral("TEMPLATE : ") + file);
    m_reportChanged = false;
    focusDocument();
    return true;
}

void TWPForm::openTemplateDialog() {
    const QString file =
        m_messages.openFileName(QStringLiteral("Open"), local(m_folders.TemplateDirectory),
                                QStringLiteral("Result templates (*.tpl);;Word documents (*.doc)"));
    if (!file.isEmpty())
        OpenTemplate(file);
}

bool TWPForm::SaveTemplateAs(const QString &path) {
    QString file = local(path);
    const QString previous = m_templateFileName;
    m_templateFileName = file;
    if (!SaveReportFiles()) {
        m_templateFileName = previous;
        m_messages.error(QStringLiteral("Save Template"), QStringLiteral("The template did not save"));
        return false;
    }
    m_patientStatic->setText(QStringLiteral("TEMPLATE : ") + file);
    if (!file.endsWith(QStringLiteral(".tpl"), Qt::CaseInsensitive))
        return true;
    // A template names the abbreviation list it works with in "abrevlist.txt".
    QString list = QFileInfo(m_abbreviationFile).completeBaseName();
    if (!m_messages.inputBox(QStringLiteral("Associate Abbreviation File"),
                             QStringLiteral("Enter the abbreviation file for use with this template."),
                             list) ||
        list.trimmed().isEmpty())
        return true;
    list = list.trimmed();
    if (QFileInfo(list).suffix().isEmpty())
        list += QStringLiteral(".abr");
    const QByteArray code = HostText::fromUnicode(QFileInfo(file).completeBaseName());
    QByteArrayList index;
    for (const QByteArray &line : std::as_const(m_abbreviationIndex))
        if (line.left(line.indexOf('=')).compare(code, Qt::CaseInsensitive) != 0)
            index.append(line);
    index.append(code + '=' + HostText::fromUnicode(list));
    std::sort(index.begin(), index.end(),
              [](const QByteArray &a, const QByteArray &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QString error;
    if (!writeListFile(local(m_folders.AbbreviationDirectory + QStringLiteral("abrevlist.txt")), index,
                       &error)) {
        m_messages.error(QStringLiteral("Abbreviation list"),
                         QStringLiteral("Abbreviation list update failed:\r\n") + error);
        return true;
    }
    m_abbreviationIndex = index;
    return true;
}

void TWPForm::saveTemplateAsDialog() {
    const QString file =
        m_messages.saveFileName(QStringLiteral("Save As"), local(m_folders.TemplateDirectory),
                                QStringLiteral("Result templates (*.tpl);;Word documents (*.doc)"));
    if (!file.isEmpty())
        SaveTemplateAs(file);
}

bool TWPForm::LoadAbbreviationFile(const QString &path) {
    QByteArrayList lines;
    QFile f(local(path));
    if (!f.open(QIODevice::ReadOnly)) {
        m_messages.error(QStringLiteral("Abbreviation list"),
                         QStringLiteral("The abbreviation file did not load"));
        return false;
    }
    for (QByteArray line : f.readAll().split('\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith('/'))
            lines.append(line);
    }
    m_abbreviationFile = local(path);
    QByteArrayList host;
    for (const QByteArray &line : std::as_const(m_abbreviationList))
        if (line.startsWith('/'))
            host.append(line);
    m_abbreviationList = lines + host;
    refreshAbbreviationListBox();
    showAbbreviationList();
    return true;
}

void TWPForm::loadAbbreviationFileDialog() {
    const QString file =
        m_messages.openFileName(QStringLiteral("Abbreviation list"), local(m_folders.AbbreviationDirectory),
                                QStringLiteral("Abbreviation lists (*.abr)"));
    if (!file.isEmpty())
        LoadAbbreviationFile(file);
}

void TWPForm::showAbbreviationList() {
    m_abbreviationListBox->show();
    m_abbreviationListBox->setFocus();
}

void TWPForm::CloseTemplate() {
    if (m_reportOpen && !m_templateEditing) {
        ExitEditor();
        return;
    }
    m_resultBox->ClearDocument();
    m_templateFileName.clear();
    m_patientStatic->setText(NoTemplateText);
    m_reportChanged = false;
    m_reportOpen = false;
    hide();
    emit ReportFinished();
}

void TWPForm::ExitEditor() {
    if (m_templateEditing)
        CloseTemplate();
    else
        LeaveReport();
    writeRegistry(true);
}

void TWPForm::AboutBox() {
    HelpAbout::Show(this, {QStringLiteral("Primary Host: ") + m_folders.PrimaryHost,
                           QStringLiteral("Configuration File: ") + m_folders.ConfigurationFile,
                           QStringLiteral("Templates Directory: ") + m_folders.TemplateDirectory,
                           QStringLiteral("Abbreviations Directory: ") + m_folders.AbbreviationDirectory});
}

void TWPForm::writeRegistry(bool options) {
    TRegistry reg(kOrvaSettingsKey);
    reg.WriteInteger(QStringLiteral("DefaultZoomFactor"), m_zoomSetting);
    if (options)
        reg.WriteBool(QStringLiteral("ShowAllFormatMarks"), m_resultBox->ControlChars());
    const bool max = isMaximized();
    reg.WriteBool(QStringLiteral("PendraFormMax"), max);
    if (!max) {
        reg.WriteString(QStringLiteral("PENDRALeft"), QString::number(x()));
        reg.WriteString(QStringLiteral("PENDRAtop"), QString::number(y()));
        reg.WriteString(QStringLiteral("PENDRAWidth"), QString::number(width()));
        reg.WriteString(QStringLiteral("PENDRAheight"), QString::number(height()));
    }
}

void TWPForm::closeEvent(QCloseEvent *e) {
    // The window is never closed behind the report's back: closing is Exit.
    e->ignore();
    if (isVisible() && (m_reportOpen || m_templateEditing))
        ExitEditor();
    writeRegistry(false);
}

// Tab and Enter go to the next field, Shift+Tab to the previous changeable one (never before the
// first), Shift+Enter outside a field to the first changeable field.
bool TWPForm::fieldKey(int key, Qt::KeyboardModifiers shift) {
    TWpTextControl *box = m_resultBox;
    const bool withShift = shift & Qt::ShiftModifier;
    const int current = box->FieldAtInputPos();
    auto selectField = [box](int id, bool whole) {
        box->setFieldCurrent(id);
        const int s = box->FieldStart();
        box->setSelStart(s);
        box->setSelLength(whole ? box->FieldEnd() - s : 0);
    };
    if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && withShift)) {
        if (current == 0)
            return false;
        int previous = 0;
        for (int id = box->NextField(0); id != 0 && id != current; id = box->NextField(id)) {
            box->setFieldCurrent(id);
            if (box->FieldChangeable())
                previous = id;
        }
        if (previous != 0)
            selectField(previous, true);
        return true;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && withShift && current == 0) {
        int id = box->NextField(0);
        box->setFieldCurrent(id);
        if (id != 0 && !box->FieldChangeable())
            id = box->NextField(id);
        if (id == 0)
            return false;
        selectField(id, false);
        return true;
    }
    if ((key == Qt::Key_Tab || enter) && !withShift && current != 0) {
        const int next = box->NextField(current);
        if (next != 0) {
            selectField(next, true);
            return true;
        }
        box->setFieldCurrent(current);
        box->setSelStart(box->FieldEnd());
        box->setSelLength(0);
        return true;
    }
    return false;
}

void TWPForm::SpellCheckButtonClick() {
    if (!m_spellForm)
        m_spellForm = new TSpellForm(m_spellDictionary, local(m_folders.CustomDictionary), m_messages, this);
    if (!m_spellForm->OpenDictionaries())
        return;
    m_resultBox->ActivateHeaderFooter(orva::richtext::PartMain);
    const int selStart = m_resultBox->SelStart();
    const int selLength = m_resultBox->SelLength();
    auto lengthChange = std::make_shared<int>(0);
    TWpTextControl *box = m_resultBox;
    const bool needsUser =
        m_spellForm->Start(m_resultBox->Text(), selLength > 0 ? selStart : 0,
                           [box, lengthChange](int start, int length, const QString &text) {
                               box->setSelStart(start);
                               box->setSelLength(length);
                               box->setSelText(text);
                               *lengthChange += int(text.size()) - length;
                           });
    if (needsUser) {
        if (m_showSpellForm)
            m_showSpellForm(m_spellForm);
        else
            RunModalDialog(*m_spellForm);
    }
    if (selLength > 0) {
        m_resultBox->setSelStart(selStart);
        m_resultBox->setSelLength(qMax(0, selLength + *lengthChange));
    }
}
