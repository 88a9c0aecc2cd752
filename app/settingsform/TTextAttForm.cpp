// The settings form's pages, menus and buttons.
#include "app/settingsform/TTextAttForm.h"

#include "app/keymap/KeyMap.h"
#include "app/keymap/KeyShortcut.h"
#include "common/GDStringManip.h"
#include "common/HostText.h"
#include "common/KeyText.h"
#include "common/SetupFile.h"
#include "common/Trace.h"
#include "common/UserMessages.h"
#include "common/WinColor.h"
#include "platform/files/SharedFile.h"
#include "platform/settings/TRegistry.h"
#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/widget/TVtRowPainter.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>

using namespace GDStringManip;

namespace {

// The chosen font as the terminal shows it; a family that is not installed says which face stands in.
QString fontCaption(const QFont &font) {
    QString text = font.family() + QStringLiteral(", ") + QString::number(font.pointSize());
    const QString drawn = DrawnTerminalFamily(font.family());
    if (drawn != font.family())
        text += QStringLiteral(" (not installed: shown in %1)").arg(drawn);
    return text;
}

const QString kHistoryKey = kOrvaSettingsKey + QStringLiteral("\\TextAttForm\\HostNameCombo");

// A combo box that says when its list is about to drop down, so the list can be filled first.
class DropDownCombo : public QComboBox {
public:
    DropDownCombo(QWidget *parent, std::function<void()> onDropDown)
        : QComboBox(parent), m_onDropDown(std::move(onDropDown)) {}
    void showPopup() override {
        m_onDropDown();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_onDropDown;
};

QLineEdit *lineEdit(QWidget *parent, const char *name) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLineEdit *numberEdit(QWidget *parent, const char *name) {
    QLineEdit *edit = lineEdit(parent, name);
    edit->setValidator(new QIntValidator(0, 999999, edit));
    return edit;
}

QString text(const QByteArray &b) {
    return HostText::toUnicode(b);
}

QByteArray bytes(const QString &s) {
    return HostText::fromUnicode(s);
}

} // namespace

TTextAttForm::TTextAttForm(TextAttHost &host, UserMessages &messages, QWidget *parent)
    : QDialog(parent), m_host(host), m_messages(messages) {
    setObjectName(QStringLiteral("TextAttForm"));
    setWindowTitle(QStringLiteral("Options (Orva, Image Viewer, Pendra)"));
    auto *layout = new QVBoxLayout(this);
    Pages = new QTabWidget(this);
    layout->addWidget(Pages);
    buildHostPage();
    buildFontPage();
    buildColourPage();
    buildKeyPage();
    buildImagePage();
    buildWordProcessorPage();

    auto *buttons = new QHBoxLayout;
    auto button = [this, buttons](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    };
    button(Loadbutton, "Loadbutton", QStringLiteral("&Load ..."));
    button(SaveAsbutton, "SaveAsbutton", QStringLiteral("Save &As ..."));
    buttons->addStretch();
    button(okbutton, "okbutton", QStringLiteral("&OK"));
    button(Cancelbutton, "Cancelbutton", QStringLiteral("Cancel"));
    button(Applybutton, "Applybutton", QStringLiteral("&Apply"));
    layout->addLayout(buttons);
    Applybutton->setEnabled(false);
    connect(okbutton, &QPushButton::clicked, this, &TTextAttForm::okbuttonClick);
    connect(Applybutton, &QPushButton::clicked, this, &TTextAttForm::ApplybuttonClick);
    connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Loadbutton, &QPushButton::clicked, this, &TTextAttForm::LoadClick);
    connect(SaveAsbutton, &QPushButton::clicked, this, &TTextAttForm::SaveAsClick);
}

// ---- pages ------------------------------------------------------------------------------------

void TTextAttForm::buildHostPage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    HostNameCombo = new DropDownCombo(page, [this] { HostNameComboDropDown(); });
    HostNameCombo->setObjectName(QStringLiteral("HostNameCombo"));
    HostNameCombo->setEditable(true);
    HostNameCombo->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Host Name/IP:Port"), HostNameCombo);

    LogonConvCheck = checkBox(page, "LogonConvCheck", QStringLiteral("Logon Conversation"));
    LogonConvPanel = new QGroupBox(page);
    auto *logon = new QFormLayout(LogonConvPanel);
    SeeTextEdit = lineEdit(LogonConvPanel, "SeeTextEdit");
    AnswerTextEdit = lineEdit(LogonConvPanel, "AnswerTextEdit");
    logon->addRow(QStringLiteral("See"), SeeTextEdit);
    logon->addRow(QStringLiteral("Answer"), AnswerTextEdit);
    form->addRow(LogonConvCheck, LogonConvPanel);

    KeySetConv = checkBox(page, "KeySetConv", QStringLiteral("Key Set Conversation"));
    KeySetPanel = new QGroupBox(page);
    auto *keySet = new QFormLayout(KeySetPanel);
    KeySetQueryEdit = lineEdit(KeySetPanel, "KeySetQueryEdit");
    KeySetReplyEdit = lineEdit(KeySetPanel, "KeySetReplyEdit");
    keySet->addRow(QStringLiteral("Query"), KeySetQueryEdit);
    keySet->addRow(QStringLiteral("Reply"), KeySetReplyEdit);
    form->addRow(KeySetConv, KeySetPanel);

    HostPrinterCombo = new QComboBox(page);
    HostPrinterCombo->setObjectName(QStringLiteral("HostPrinterCombo"));
    HostPrinterCombo->setEditable(true);
    form->addRow(QStringLiteral("Host Printer"), HostPrinterCombo);
    RowsEdit = numberEdit(page, "RowsEdit");
    ColumnsEdit = numberEdit(page, "ColumnsEdit");
    // Scroll lines can be switched off, so their field also carries the " (Disabled)" mark.
    ScrollLinesEdit = lineEdit(page, "ScrollLinesEdit");
    form->addRow(QStringLiteral("Rows"), RowsEdit);
    form->addRow(QStringLiteral("Columns"), ColumnsEdit);
    form->addRow(QStringLiteral("Scroll Lines"), ScrollLinesEdit);
    EnableBellCheck = checkBox(page, "EnableBellCheck", QStringLiteral("Enable Bell Sound"));
    form->addRow(EnableBellCheck);
    Pages->addTab(page, QStringLiteral("Host Information"));

    connect(LogonConvCheck, &QCheckBox::clicked, this, [this](bool on) {
        LogonConvPanel->setEnabled(on);
        ValueChanged();
    });
    connect(KeySetConv, &QCheckBox::clicked, this, [this](bool on) {
        KeySetPanel->setEnabled(on);
        ValueChanged();
    });
    for (QLineEdit *edit : {SeeTextEdit, AnswerTextEdit, KeySetQueryEdit, KeySetReplyEdit, RowsEdit,
                            ColumnsEdit, ScrollLinesEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(HostNameCombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(HostPrinterCombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(EnableBellCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    HostNameCombo->installEventFilter(this);
    HostNameCombo->lineEdit()->installEventFilter(this);

    HostNameCombo->setContextMenuPolicy(Qt::CustomContextMenu);
    HostNameCombo->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    auto hostMenu = [this](QWidget *from) {
        return [this, from](const QPoint &pos) {
            QMenu menu(this);
            menu.addAction(QStringLiteral("&Add to List/Enable"), this, &TTextAttForm::AddtoList1Click);
            menu.addAction(QStringLiteral("&Update in List"), this, &TTextAttForm::UpdateinList1Click);
            menu.addAction(QStringLiteral("Add/Update in list &Disabled"), this,
                           &TTextAttForm::UpdateinlistDisabled1Click);
            menu.addAction(QStringLiteral("&Remove from List"), this, &TTextAttForm::RemovefromList1Click);
            if (from == HostNameCombo->lineEdit()) {
                menu.addSeparator();
                menu.addAction(QStringLiteral("Clear Local Stored Values"), this,
                               &TTextAttForm::ClearLocalStoredValues);
            }
            menu.exec(from->mapToGlobal(pos));
        };
    };
    connect(HostNameCombo->lineEdit(), &QWidget::customContextMenuRequested, this,
            hostMenu(HostNameCombo->lineEdit()));
    connect(HostNameCombo, QOverload<int>::of(&QComboBox::activated), this,
            [this] { m_markedField = nullptr; });
}

void TTextAttForm::buildFontPage() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    FontLabel = new QLabel(page);
    FontLabel->setObjectName(QStringLiteral("FontLabel"));
    btnChangeFont = new QPushButton(QStringLiteral("Set Font ..."), page);
    btnChangeFont->setObjectName(QStringLiteral("btnChangeFont"));
    cbxUseGraphcsFont = checkBox(page, "cbxUseGraphcsFont", QStringLiteral("Use Secondary Graphics Font"));
    rgGraphicsFontResource = new QGroupBox(page);
    rgGraphicsFontResource->setObjectName(QStringLiteral("rgGraphicsFontResource"));
    auto *radios = new QVBoxLayout(rgGraphicsFontResource);
    rbDefaultFont = new QRadioButton(QStringLiteral("Default (Terminal Font)"), rgGraphicsFontResource);
    // The second character-set table is drawn for a fixed-pitch font such as DejaVu Sans Mono.
    rbCustomFont = new QRadioButton(QStringLiteral("Custom (DejaVu Sans Mono)"), rgGraphicsFontResource);
    radios->addWidget(rbDefaultFont);
    radios->addWidget(rbCustomFont);
    rgGraphicsFontResource->setEnabled(false);
    layout->addWidget(FontLabel);
    layout->addWidget(btnChangeFont);
    layout->addWidget(cbxUseGraphcsFont);
    layout->addWidget(rgGraphicsFontResource);
    layout->addStretch();
    Pages->addTab(page, QStringLiteral("Fonts"));

    connect(btnChangeFont, &QPushButton::clicked, this, &TTextAttForm::btnChangeFontClick);
    FontLabel->installEventFilter(this);
    connect(cbxUseGraphcsFont, &QCheckBox::clicked, this, [this](bool on) {
        rgGraphicsFontResource->setEnabled(on);
        ValueChanged();
    });
    connect(rbDefaultFont, &QRadioButton::clicked, this, &TTextAttForm::ValueChanged);
    connect(rbCustomFont, &QRadioButton::clicked, this, &TTextAttForm::ValueChanged);
}

void TTextAttForm::buildColourPage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    static const char *const names[] = {"Black", "Red",     "Green", "Yellow",
                                        "Blue",  "Magenta", "Cyan",  "White"};
    auto combo = [page](const char *name) {
        auto *c = new QComboBox(page);
        c->setObjectName(QLatin1String(name));
        for (const char *n : names) {
            c->addItem(QLatin1String(n));
        }
        return c;
    };
    ForegroundCols = combo("ForegroundCols");
    BackGroundCols = combo("BackGroundCols");
    auto shape = [page](const char *name) {
        auto *b = new QPushButton(page);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(48, 24);
        return b;
    };
    ForeShape = shape("ForeShape");
    BackShape = shape("BackShape");
    BoldForeShape = shape("BoldForeShape");
    SampleText = new QLabel(QStringLiteral("Sample text  ") + QStringLiteral("<b>Bold sample</b>"), page);
    SampleText->setAutoFillBackground(true);
    form->addRow(QStringLiteral("Foreground"), ForegroundCols);
    form->addRow(QStringLiteral("Foreground colour"), ForeShape);
    form->addRow(QStringLiteral("Bold foreground colour"), BoldForeShape);
    form->addRow(QStringLiteral("Background"), BackGroundCols);
    form->addRow(QStringLiteral("Background colour"), BackShape);
    form->addRow(SampleText);
    form->addRow(
        new QLabel(QStringLiteral("Colours reach the terminal when the settings are written."), page));
    Pages->addTab(page, QStringLiteral("Colors"));

    connect(ForegroundCols, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TTextAttForm::showColours);
    connect(BackGroundCols, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TTextAttForm::showColours);
    connect(ForeShape, &QPushButton::clicked, this, [this] { pickColour(m_fore, ForegroundCols); });
    connect(BoldForeShape, &QPushButton::clicked, this, [this] { pickColour(m_bold, ForegroundCols); });
    connect(BackShape, &QPushButton::clicked, this, [this] { pickColour(m_back, BackGroundCols); });
}

void TTextAttForm::buildKeyPage() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    KeyListBox = new QListWidget(page);
    KeyListBox->setObjectName(QStringLiteral("KeyListBox"));
    auto *right = new QVBoxLayout;
    KeyEdit = lineEdit(page, "KeyEdit");
    KeyEdit->setReadOnly(true);
    KeyEdit->setPlaceholderText(QStringLiteral("Press the key to map"));
    KeyEdit->installEventFilter(this);
    KeyMemo = new QPlainTextEdit(page);
    KeyMemo->setObjectName(QStringLiteral("KeyMemo"));
    KeyMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    KeyDisabledCheck = checkBox(page, "KeyDisabledCheck", QStringLiteral("Mapping Disabled"));
    AddKeyButton = new QPushButton(QStringLiteral("&Add"), page);
    AddKeyButton->setObjectName(QStringLiteral("AddKeyButton"));
    UpDateKeybutton = new QPushButton(QStringLiteral("&Update"), page);
    UpDateKeybutton->setObjectName(QStringLiteral("UpDateKeybutton"));
    right->addWidget(new QLabel(QStringLiteral("Key"), page));
    right->addWidget(KeyEdit);
    right->addWidget(new QLabel(QStringLiteral("Sends"), page));
    right->addWidget(KeyMemo);
    right->addWidget(KeyDisabledCheck);
    right->addWidget(AddKeyButton);
    right->addWidget(UpDateKeybutton);
    layout->addWidget(KeyListBox);
    layout->addLayout(right);
    Pages->addTab(page, QStringLiteral("Keys"));

    connect(KeyListBox, &QListWidget::currentRowChanged, this, &TTextAttForm::KeyListBoxClick);
    connect(AddKeyButton, &QPushButton::clicked, this, &TTextAttForm::AddKeyButtonClick);
    connect(UpDateKeybutton, &QPushButton::clicked, this, &TTextAttForm::UpDateKeybuttonClick);
    connect(KeyDisabledCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_listInHand = KeyListBox;
        switchListEntry(on);
    });
    connect(KeyMemo, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu menu(this);
        for (const QByteArray &token : KeyMap::ActionTokens()) {
            const QString shown = QString::fromLatin1(token);
            menu.addAction(shown, this, [this, shown] { KeyMemo->setPlainText(shown); });
        }
        menu.exec(KeyMemo->mapToGlobal(pos));
    });
}

void TTextAttForm::buildImagePage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    SourceDirList = lineEdit(page, "SourceDirList");
    AlternateSourcecombo = new QComboBox(page);
    AlternateSourcecombo->setObjectName(QStringLiteral("AlternateSourcecombo"));
    AlternateSourcecombo->setEditable(true);
    AlternateSourcecombo->setInsertPolicy(QComboBox::NoInsert);
    PatternEdit = lineEdit(page, "PatternEdit");
    NoImageNameEdit = lineEdit(page, "NoImageNameEdit");
    SecureImageNameEdit = lineEdit(page, "SecureImageNameEdit");
    ImagePrinterCheck = checkBox(page, "ImagePrinterCheck", QStringLiteral("Allow Image Printing"));
    HaltonNoServercheck = checkBox(page, "HaltonNoServercheck", QStringLiteral("Halt on No Server"));
    form->addRow(QStringLiteral("Source"), SourceDirList);
    form->addRow(QStringLiteral("Alternate sources"), AlternateSourcecombo);
    form->addRow(QStringLiteral("Sub-folder pattern"), PatternEdit);
    form->addRow(QStringLiteral("No image name"), NoImageNameEdit);
    form->addRow(QStringLiteral("Secure image name"), SecureImageNameEdit);
    form->addRow(ImagePrinterCheck);
    form->addRow(HaltonNoServercheck);

    CaptureSetsList = new QListWidget(page);
    CaptureSetsList->setObjectName(QStringLiteral("CaptureSetsList"));
    CaptureSetRowEdit = numberEdit(page, "CaptureSetRowEdit");
    CaptureSetColumnEdit = numberEdit(page, "CaptureSetColumnEdit");
    CaptureSetCountEdit = numberEdit(page, "CaptureSetCountEdit");
    ConfirmTextEdit = lineEdit(page, "ConfirmTextEdit");
    auto *setFields = new QHBoxLayout;
    setFields->addWidget(CaptureSetRowEdit);
    setFields->addWidget(CaptureSetColumnEdit);
    setFields->addWidget(CaptureSetCountEdit);
    setFields->addWidget(ConfirmTextEdit);
    auto *add = new QPushButton(QStringLiteral("&Add"), page);
    add->setObjectName(QStringLiteral("AddCaptureSetButton"));
    auto *update = new QPushButton(QStringLiteral("&Update"), page);
    update->setObjectName(QStringLiteral("UpdateCaptureSetButton"));
    setFields->addWidget(add);
    setFields->addWidget(update);
    form->addRow(QStringLiteral("Capture sets (row, column, count, text)"), CaptureSetsList);
    form->addRow(setFields);
    Pages->addTab(page, QStringLiteral("Image Information"));

    for (QLineEdit *edit : {SourceDirList, PatternEdit, NoImageNameEdit, SecureImageNameEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(AlternateSourcecombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(AlternateSourcecombo, QOverload<int>::of(&QComboBox::activated), this, [this] {
        AlternateSourcecomboClick();
        ValueChanged();
    });
    connect(AlternateSourcecombo->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        m_alternateMark = true;
        AddtoList1Click();
    });
    // A user who switches only these on or off expects that to be written too.
    connect(ImagePrinterCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    connect(HaltonNoServercheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    connect(CaptureSetsList, &QListWidget::currentRowChanged, this, &TTextAttForm::CaptureSetsListClick);
    connect(add, &QPushButton::clicked, this, &TTextAttForm::AddCaptureSetClick);
    connect(update, &QPushButton::clicked, this, &TTextAttForm::UpdateCaptureSetClick);

    AlternateSourcecombo->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(AlternateSourcecombo->lineEdit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) {
                QMenu menu(this);
                menu.addAction(QStringLiteral("&Add to List/Enable"), this, &TTextAttForm::AddtoList1Click);
                menu.addAction(QStringLiteral("&Update in List"), this, &TTextAttForm::UpdateinList1Click);
                menu.addAction(QStringLiteral("Add/Update in list &Disabled"), this,
                               &TTextAttForm::UpdateinlistDisabled1Click);
                menu.addAction(QStringLiteral("&Remove from List"), this,
                               &TTextAttForm::RemovefromList1Click);
                menu.exec(AlternateSourcecombo->lineEdit()->mapToGlobal(pos));
            });
    for (QListWidget *list : {KeyListBox, CaptureSetsList}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &pos) {
            QListWidgetItem *item = list->itemAt(pos);
            list->setCurrentItem(item);
            m_listInHand = list;
            QMenu menu(this);
            menu.addAction(QStringLiteral("&Remove"), this, &TTextAttForm::Remove1Click);
            menu.addAction(QStringLiteral("Move &Up"), this, &TTextAttForm::MoveUp1Click);
            menu.addAction(QStringLiteral("Move &Down"), this, &TTextAttForm::MoveDown1Click);
            menu.addAction(QStringLiteral("Di&sable"), this, &TTextAttForm::Disabled1Click);
            menu.addAction(QStringLiteral("&Enable"), this, &TTextAttForm::Enable1Click);
            menu.exec(list->viewport()->mapToGlobal(pos));
        });
    }
}

void TTextAttForm::buildWordProcessorPage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    TemplatesEdit = lineEdit(page, "TemplatesEdit");
    ResultsFolderEdit = lineEdit(page, "ResultsFolderEdit");
    ResultsFolderEdit->setToolTip(QStringLiteral(
        "The work folder (\"rtfresultdirectory\"). Empty: ~/.cache/orva, readable by you only. "
        "Host capture files go to \"capturedirectory\", else its capture/ folder."));
    AbbrevFolderEdit = lineEdit(page, "AbbrevFolderEdit");
    CustomDictEdit = lineEdit(page, "CustomDictEdit");
    ShowWarningsCheck = checkBox(page, "ShowWarningsCheck", QStringLiteral("Show Warnings"));
    form->addRow(QStringLiteral("Templates folder"), TemplatesEdit);
    form->addRow(QStringLiteral("RTFResult directory"), ResultsFolderEdit);
    form->addRow(QStringLiteral("Abbreviations folder"), AbbrevFolderEdit);
    form->addRow(QStringLiteral("Custom dictionary"), CustomDictEdit);
    form->addRow(ShowWarningsCheck);
    Pages->addTab(page, QStringLiteral("Word Processor"));

    for (QLineEdit *edit : {TemplatesEdit, ResultsFolderEdit, AbbrevFolderEdit, CustomDictEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(ShowWarningsCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    for (QLineEdit *edit : {ScrollLinesEdit, PatternEdit, NoImageNameEdit, SecureImageNameEdit, TemplatesEdit,
                            ResultsFolderEdit, AbbrevFolderEdit}) {
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint &pos) {
            markField(edit);
            QMenu menu(this);
            menu.addAction(QStringLiteral("&Enable"), this, &TTextAttForm::FieldEnableClick);
            menu.addAction(QStringLiteral("Di&sable"), this, &TTextAttForm::FieldDisableClick);
            menu.exec(edit->mapToGlobal(pos));
        });
    }
}

// ---- reading ----------------------------------------------------------------------------------

void TTextAttForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    ReadSetup();
}

void TTextAttForm::clearFields() {
    for (QLineEdit *edit : findChildren<QLineEdit *>()) {
        edit->clear();
    }
    for (QCheckBox *box : findChildren<QCheckBox *>()) {
        box->setChecked(false);
    }
    ImagePrinterCheck->setChecked(true);
    EnableBellCheck->setChecked(true);
    HostNameCombo->clear();
    AlternateSourcecombo->clear();
    HostPrinterCombo->clear();
    HostPrinterCombo->addItems(QPrinterInfo::availablePrinterNames());
    HostPrinterCombo->setEditText(QString());
    KeyListBox->clear();
    CaptureSetsList->clear();
    KeyMemo->clear();
    m_keyLines.clear();
    rbDefaultFont->setChecked(true);
    m_shortcut.clear();
}

void TTextAttForm::ReadSetup() {
    m_reading = true;
    clearFields();
    QFile file(m_host.SetupFileName());
    const QByteArray fileText =
        file.open(QIODevice::ReadOnly) ? file.readAll() : SetupFile::DefaultSetupText();
    SetupDocument d = SetupDocument::Read(fileText);
    bool upgraded = false;
    if (d.HasOldKeyMaps() &&
        m_messages.yesNo(
            QStringLiteral("Orva"),
            QStringLiteral("An update to your keyboard mapping definitions (as stored in \r\n"
                           "the orva.inf file) is required. Do you wish to update now?\r\n\r\n"
                           "If you choose not to upgrade, existing definitions will continue to \r\n"
                           "work however some enhanced keyboard mapping features will \r\n"
                           "not be available."))) {
        upgraded = d.UpgradeKeyMaps();
    }
    m_read = d;
    HostNameCombo->setEditText(d.HostName);
    LogonConvCheck->setChecked(d.LogonConv);
    LogonConvPanel->setEnabled(d.LogonConv);
    SeeTextEdit->setText(d.SeeText);
    AnswerTextEdit->setText(d.AnswerText);
    KeySetConv->setChecked(d.KeySetConv);
    KeySetPanel->setEnabled(d.KeySetConv);
    KeySetQueryEdit->setText(d.KeySetQuery);
    KeySetReplyEdit->setText(d.KeySetReply);
    HostPrinterCombo->setEditText(d.HostPrinter);
    ScrollLinesEdit->setText(d.ScrollLines);
    EnableBellCheck->setChecked(d.EnableBell);
    cbxUseGraphcsFont->setChecked(d.UseGraphicsFont);
    rgGraphicsFontResource->setEnabled(d.UseGraphicsFont);
    (d.GraphicsFontResource == 1 ? rbCustomFont : rbDefaultFont)->setChecked(true);
    m_keyLines = d.KeyMapLines;
    for (const QByteArray &line : m_keyLines) {
        KeyListBox->addItem(SetupLists::KeyListText(line));
    }
    SourceDirList->setText(d.Source);
    AlternateSourcecombo->addItems(d.AlternateSources);
    AlternateSourcecombo->setEditText(QString());
    PatternEdit->setText(d.Pattern);
    SecureImageNameEdit->setText(d.SecureImageName);
    NoImageNameEdit->setText(d.NoImageName);
    HaltonNoServercheck->setChecked(d.HaltOnNoServer);
    ImagePrinterCheck->setChecked(d.ImagePrinter);
    CaptureSetsList->addItems(d.CaptureSets);
    ResultsFolderEdit->setText(d.ResultsFolder);
    AbbrevFolderEdit->setText(d.AbbrevFolder);
    TemplatesEdit->setText(d.TemplatesFolder);
    ShowWarningsCheck->setChecked(d.ShowWarnings);
    CustomDictEdit->setText(d.CustomDict);
    m_unmanaged = d.Unmanaged;

    const SetupDocument::Colours colours = m_host.ColourTexts();
    m_fore = TVtVT100EmulatorEx::DefaultColors();
    m_back = TVtVT100EmulatorEx::DefaultColors();
    m_bold = TVtVT100EmulatorEx::BoldDefaults();
    TVtVT100EmulatorEx::ParseColorText(colours.Fore, m_fore);
    TVtVT100EmulatorEx::ParseColorText(colours.Back, m_back);
    TVtVT100EmulatorEx::ParseColorText(colours.Bold, m_bold);
    ForegroundCols->setCurrentIndex(7);
    BackGroundCols->setCurrentIndex(0);
    m_font = m_host.TerminalFont();
    FontLabel->setText(fontCaption(m_font));
    showColours();

    m_alternateMark = false;
    m_markedField = nullptr;
    m_listInHand = nullptr;
    m_reading = false;
    m_changed = upgraded;
    Applybutton->setEnabled(upgraded);
}

void TTextAttForm::showColours() {
    auto paint = [](QPushButton *shape, std::uint32_t bgr) {
        shape->setStyleSheet(QStringLiteral("background-color: %1").arg(bgrToQColor(bgr).name()));
    };
    const auto fore = std::size_t(qMax(0, ForegroundCols->currentIndex()));
    const auto back = std::size_t(qMax(0, BackGroundCols->currentIndex()));
    paint(ForeShape, m_fore[fore]);
    paint(BoldForeShape, m_bold[fore]);
    paint(BackShape, m_back[back]);
    SampleText->setStyleSheet(QStringLiteral("color: %1; background-color: %2")
                                  .arg(bgrToQColor(m_fore[fore]).name(), bgrToQColor(m_back[back]).name()));
}

void TTextAttForm::pickColour(TVtColorTable &table, QComboBox *index) {
    const auto at = std::size_t(qMax(0, index->currentIndex()));
    const QColor chosen = QColorDialog::getColor(bgrToQColor(table[at]), this);
    if (!chosen.isValid()) {
        return;
    }
    table[at] = qColorToBgr(chosen);
    showColours();
    ValueChanged();
}

void TTextAttForm::ValueChanged() {
    if (m_reading) {
        return;
    }
    m_changed = true;
    Applybutton->setEnabled(true);
}

QStringList TTextAttForm::items(const QComboBox *combo) const {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) {
        list.append(combo->itemText(i));
    }
    return list;
}

SetupDocument TTextAttForm::Document() const {
    SetupDocument d;
    d.HostName = HostNameCombo->currentText();
    d.LogonConv = LogonConvCheck->isChecked();
    d.SeeText = SeeTextEdit->text();
    d.AnswerText = AnswerTextEdit->text();
    d.KeySetConv = KeySetConv->isChecked();
    d.KeySetQuery = KeySetQueryEdit->text();
    d.KeySetReply = KeySetReplyEdit->text();
    d.HostPrinter = HostPrinterCombo->currentText();
    d.ScrollLines = ScrollLinesEdit->text();
    d.EnableBell = EnableBellCheck->isChecked();
    d.UseGraphicsFont = cbxUseGraphcsFont->isChecked();
    d.GraphicsFontResource = rbCustomFont->isChecked() ? 1 : 0;
    d.KeyMapLines = m_keyLines;
    d.Source = SourceDirList->text();
    d.AlternateSources = items(AlternateSourcecombo);
    d.Pattern = PatternEdit->text();
    d.SecureImageName = SecureImageNameEdit->text();
    d.NoImageName = NoImageNameEdit->text();
    d.HaltOnNoServer = HaltonNoServercheck->isChecked();
    d.ImagePrinter = ImagePrinterCheck->isChecked();
    for (int i = 0; i < CaptureSetsList->count(); ++i) {
        d.CaptureSets.append(CaptureSetsList->item(i)->text());
    }
    d.ResultsFolder = ResultsFolderEdit->text();
    d.AbbrevFolder = AbbrevFolderEdit->text();
    d.TemplatesFolder = TemplatesEdit->text();
    d.ShowWarnings = ShowWarningsCheck->isChecked();
    d.CustomDict = CustomDictEdit->text();
    d.Unmanaged = m_unmanaged;
    return d;
}

// ---- writing ----------------------------------------------------------------------------------

void TTextAttForm::takePendingEdits() {
    QStringList hosts = items(HostNameCombo);
    const QString hostText = HostNameCombo->currentText();
    if (!hostText.trimmed().isEmpty()) {
        SetupLists::HostAdd(hosts, hostText);
        HostNameCombo->clear();
        HostNameCombo->addItems(hosts);
        HostNameCombo->setEditText(hostText);
    }
    const QString alternate = AlternateSourcecombo->currentText().trimmed();
    // A name just switched off stays off: the field still showing it is no request to switch it on.
    if (!alternate.isEmpty() &&
        !items(AlternateSourcecombo)
             .contains(SetupLists::WithoutMark(alternate) + kDisabledMark, Qt::CaseInsensitive)) {
        m_alternateMark = true;
        AddtoList1Click();
    }
    m_alternateMark = false;
}

bool TTextAttForm::WriteSetup(const QString &fileName) {
    takePendingEdits();
    SetupDocument::Colours colours{TVtVT100EmulatorEx::ColorTableText(m_fore),
                                   TVtVT100EmulatorEx::ColorTableText(m_back),
                                   TVtVT100EmulatorEx::ColorTableText(m_bold)};
    const QByteArray content = Document().Write(colours);
    // The setup file may serve every workstation: it keeps its mode, and the old one stays whole
    // when any write fails.
    if (!SharedFile::save(fileName, content)) {
        m_messages.error(QStringLiteral("Setup File Save Failed."),
                         QStringLiteral("Failed to write new Setup file.\r\nChanges will be lost!"));
        return false;
    }
    m_changed = false;
    Applybutton->setEnabled(false);
    return true;
}

void TTextAttForm::ApplybuttonClick() {
    if (!m_changed) {
        return;
    }
    if (WriteSetup(m_host.SetupFileName())) {
        m_host.ReadSetupFile();
    }
}

void TTextAttForm::okbuttonClick() {
    if (m_changed && !WriteSetup(m_host.SetupFileName())) {
        return;
    }
    accept();
    m_host.ReadSetupFile();
}

void TTextAttForm::SaveAsClick() {
    const QString name =
        m_messages.saveFileName(QStringLiteral("Save Setup File"), QCoreApplication::applicationDirPath(),
                                QStringLiteral("Configuration Files (*.inf);;All Files (*)"));
    if (!name.isEmpty()) {
        WriteSetup(name);
    }
}

void TTextAttForm::LoadClick() {
    const QString name = m_messages.openFileName(QStringLiteral("Load Setup File"), m_host.SetupFileName(),
                                                 QStringLiteral("Configuration Files (*.inf)"));
    if (name.isEmpty()) {
        return;
    }
    m_host.ChangeSetupFile(name);
    m_host.ReadSetupFile();
    ReadSetup();
    m_host.SetCaption(m_host.HostCaption() + QStringLiteral(" (") + QFileInfo(name).fileName() +
                      QStringLiteral(")"));
}

// ---- host history -----------------------------------------------------------------------------

void TTextAttForm::HostNameComboDropDown() {
    const QString current = HostNameCombo->currentText();
    QStringList list = items(HostNameCombo);
    if (!current.isEmpty() && !list.contains(current)) {
        list.prepend(current);
    }
    const TRegistry registry(kHistoryKey);
    for (int i = 0;; ++i) {
        const QString name = QString::number(i);
        if (!registry.ValueExists(name)) {
            break;
        }
        const QString value = registry.ReadString(name);
        if (!list.contains(value)) {
            list.append(value);
        }
    }
    HostNameCombo->blockSignals(true);
    HostNameCombo->clear();
    HostNameCombo->addItems(list);
    HostNameCombo->setEditText(current);
    HostNameCombo->blockSignals(false);
}

void TTextAttForm::HostNameComboExit() {
    const QString current = HostNameCombo->currentText();
    const QStringList list = items(HostNameCombo);
    if (current.isEmpty() || list.contains(current)) {
        return;
    }
    TRegistry registry(kHistoryKey);
    registry.DeleteKey();
    int i = 0;
    for (const QString &name : list) {
        registry.WriteString(QString::number(i++), name);
    }
    registry.WriteString(QString::number(i), current);
    registry.Flush();
}

void TTextAttForm::ClearLocalStoredValues() {
    TRegistry registry(kHistoryKey);
    registry.DeleteKey();
    registry.Flush();
}

void TTextAttForm::btnChangeFontClick() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, m_font, this);
    if (!ok) {
        return;
    }
    m_font = chosen;
    FontLabel->setText(fontCaption(m_font));
    m_host.ApplyTerminalFont(m_font);
    ValueChanged();
}

bool TTextAttForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == FontLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        btnChangeFontClick();
        return true;
    }
    if (watched == KeyEdit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const TVtKeyStroke stroke = TranslateKey(key->key(), key->modifiers(), false, key->text());
        ORVA_TRACE(QStringLiteral("Key Down Key"), stroke.Key);
        if (stroke.Char > 0x20 && stroke.Shift == 0) {
            // A typed character belongs in the key text.
            KeyMemo->setFocus();
            return true;
        }
        if (stroke.Key != 0 && !stroke.Modifier) {
            setCapturedShortcut(KeyShortcut::Text(stroke.Key, stroke.Shift));
        }
        return true;
    }
    // The combo box holds the focus for its line edit and hands it the keys, so either may see them.
    const bool hostField = watched == HostNameCombo || watched == HostNameCombo->lineEdit();
    // Its own list dropping down does not leave the field.
    if (hostField && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        HostNameComboExit();
    }
    if (hostField && event->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
         static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter)) {
        QStringList hosts = items(HostNameCombo);
        const QString current = HostNameCombo->currentText();
        SetupLists::HostAdd(hosts, current);
        HostNameCombo->clear();
        HostNameCombo->addItems(hosts);
        HostNameCombo->setEditText(current);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTextAttForm::setCapturedShortcut(const QByteArray &shortcut) {
    m_shortcut = shortcut;
    QString shown = text(shortcut);
    shown.replace(QStringLiteral("Space"), QStringLiteral("SPACE"));
    KeyEdit->setText(shown);
}

// ---- lists ------------------------------------------------------------------------------------

void TTextAttForm::AddKeyButtonClick() {
    if (m_shortcut.isEmpty()) {
        return;
    }
    const QByteArray keyText = KeyText::swapreadableASCII(bytes(KeyMemo->toPlainText()));
    const QByteArray line =
        (KeyDisabledCheck->isChecked() ? "+" : "") + QByteArray("KEYMAP_EX-") + m_shortcut + " = " + keyText;
    m_keyLines.append(line);
    KeyListBox->addItem(SetupLists::KeyListText(line));
    ValueChanged();
}

void TTextAttForm::UpDateKeybuttonClick() {
    const int row = KeyListBox->currentRow();
    if (row < 0 || m_shortcut.isEmpty()) {
        return;
    }
    const QByteArray keyText = KeyText::swapreadableASCII(bytes(KeyMemo->toPlainText()));
    const QByteArray line =
        (KeyDisabledCheck->isChecked() ? "+" : "") + QByteArray("KEYMAP_EX-") + m_shortcut + "=" + keyText;
    m_keyLines[row] = line;
    KeyListBox->item(row)->setText(SetupLists::KeyListText(line));
    ValueChanged();
}

void TTextAttForm::KeyListBoxClick() {
    const int row = KeyListBox->currentRow();
    if (row < 0 || row >= m_keyLines.size()) {
        return;
    }
    const QByteArray &line = m_keyLines[row];
    QByteArray key = TextBefore(line, "=");
    key = RemoveChar(key, ' ');
    if (key.startsWith('+')) {
        key = key.mid(1);
    }
    const QByteArray shortcut = TextAfter(key, "-");
    m_shortcut = key.toLower().startsWith("keymap_ex-") ? shortcut : QByteArray();
    KeyEdit->setText(text(shortcut));
    KeyMemo->setPlainText(text(KeyText::swapasciiReadable(SetupFile::TrimValue(TextAfter(line, "=")))));
    // Showing an entry sets the box, which runs Disable or Enable on it as the user's change would.
    KeyDisabledCheck->setChecked(SetupLists::IsDisabled(KeyListBox->item(row)->text()));
}

QString TTextAttForm::captureSetText() const {
    return CaptureSetRowEdit->text() + QLatin1Char(',') + CaptureSetColumnEdit->text() + QLatin1Char(',') +
           CaptureSetCountEdit->text() + QStringLiteral(":\"") + ConfirmTextEdit->text() + QLatin1Char('"');
}

void TTextAttForm::AddCaptureSetClick() {
    if (CaptureSetRowEdit->text().isEmpty() || CaptureSetColumnEdit->text().isEmpty() ||
        CaptureSetCountEdit->text().isEmpty()) {
        m_messages.warning(QStringLiteral("Capture Set"),
                           QStringLiteral("Row, column and count are needed."));
        return;
    }
    CaptureSetsList->addItem(captureSetText());
    ValueChanged();
}

void TTextAttForm::UpdateCaptureSetClick() {
    QListWidgetItem *item = CaptureSetsList->currentItem();
    if (!item) {
        return;
    }
    item->setText(captureSetText() + (SetupLists::IsDisabled(item->text()) ? kDisabledMark : QString()));
    ValueChanged();
}

void TTextAttForm::CaptureSetsListClick() {
    const QListWidgetItem *item = CaptureSetsList->currentItem();
    if (!item) {
        return;
    }
    const QString set = SetupLists::WithoutMark(item->text());
    const QStringList numbers = set.section(QLatin1Char(':'), 0, 0).split(QLatin1Char(','));
    CaptureSetRowEdit->setText(numbers.value(0));
    CaptureSetColumnEdit->setText(numbers.value(1));
    CaptureSetCountEdit->setText(numbers.value(2));
    QString marker = set.section(QLatin1Char(':'), 1);
    marker.remove(QLatin1Char('"'));
    ConfirmTextEdit->setText(marker);
}

void TTextAttForm::Remove1Click() {
    if (!m_listInHand || m_listInHand->currentRow() < 0) {
        return;
    }
    const int row = m_listInHand->currentRow();
    delete m_listInHand->takeItem(row);
    if (m_listInHand == KeyListBox) {
        m_keyLines.removeAt(row);
    }
    ValueChanged();
}

void TTextAttForm::MoveUp1Click() {
    if (!m_listInHand || m_listInHand->currentRow() < 1) {
        return;
    }
    const int row = m_listInHand->currentRow();
    QListWidgetItem *item = m_listInHand->takeItem(row);
    m_listInHand->insertItem(row - 1, item);
    m_listInHand->setCurrentRow(row - 1);
    if (m_listInHand == KeyListBox) {
        m_keyLines.swapItemsAt(row, row - 1);
    }
    ValueChanged();
}

void TTextAttForm::MoveDown1Click() {
    if (!m_listInHand) {
        return;
    }
    const int row = m_listInHand->currentRow();
    if (row < 0 || row + 1 >= m_listInHand->count()) {
        return;
    }
    QListWidgetItem *item = m_listInHand->takeItem(row);
    m_listInHand->insertItem(row + 1, item);
    m_listInHand->setCurrentRow(row + 1);
    if (m_listInHand == KeyListBox) {
        m_keyLines.swapItemsAt(row, row + 1);
    }
    ValueChanged();
}

void TTextAttForm::switchListEntry(bool disable) {
    if (m_reading || !m_listInHand) {
        return;
    }
    QListWidgetItem *item = m_listInHand->currentItem();
    if (!item || item->text().isEmpty()) {
        return;
    }
    const QString switched = disable ? SetupLists::Disabled(item->text()) : SetupLists::Enabled(item->text());
    const int row = m_listInHand->currentRow();
    if (m_listInHand == KeyListBox && row < m_keyLines.size()) {
        m_keyLines[row] = SetupLists::KeyMapLineSwitched(m_keyLines[row], disable);
    }
    const bool changed = switched != item->text();
    item->setText(switched);
    if (changed) {
        ValueChanged();
    }
}

void TTextAttForm::Disabled1Click() {
    switchListEntry(true);
}

void TTextAttForm::Enable1Click() {
    switchListEntry(false);
}

SetupLists::Answer TTextAttForm::askYesNoCancel(const QString &caption, const QString &question) {
    const UserMessages::Answer answer = m_messages.yesNoCancel(caption, question);
    if (answer == UserMessages::Answer::Yes) {
        return SetupLists::Answer::Yes;
    }
    if (answer == UserMessages::Answer::No) {
        return SetupLists::Answer::No;
    }
    return SetupLists::Answer::Cancel;
}

namespace {

void replaceItems(QComboBox *combo, const QStringList &list) {
    const QString current = combo->currentText();
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(list);
    combo->setEditText(current);
}

} // namespace

void TTextAttForm::AddtoList1Click() {
    if (std::exchange(m_alternateMark, false)) {
        QStringList list = items(AlternateSourcecombo);
        SetupLists::AlternateAdd(list, AlternateSourcecombo->currentText());
        replaceItems(AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(HostNameCombo);
    SetupLists::HostAdd(hosts, HostNameCombo->currentText());
    replaceItems(HostNameCombo, hosts);
}

void TTextAttForm::UpdateinList1Click() {
    if (std::exchange(m_alternateMark, false)) {
        return;
    }
    QStringList hosts = items(HostNameCombo);
    SetupLists::HostUpdate(hosts, HostNameCombo->currentText(),
                           [this](const QString &c, const QString &t) { return askYesNoCancel(c, t); });
    replaceItems(HostNameCombo, hosts);
}

void TTextAttForm::UpdateinlistDisabled1Click() {
    if (std::exchange(m_alternateMark, false)) {
        QStringList list = items(AlternateSourcecombo);
        SetupLists::AlternateDisable(list, AlternateSourcecombo->currentText());
        replaceItems(AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(HostNameCombo);
    SetupLists::HostSwitchOff(hosts, HostNameCombo->currentText());
    replaceItems(HostNameCombo, hosts);
}

void TTextAttForm::RemovefromList1Click() {
    if (std::exchange(m_alternateMark, false)) {
        QStringList list = items(AlternateSourcecombo);
        SetupLists::AlternateRemove(list, AlternateSourcecombo->currentText());
        replaceItems(AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(HostNameCombo);
    SetupLists::HostRemove(hosts, HostNameCombo->currentText(),
                           [this](const QString &c, const QString &t) { return askYesNoCancel(c, t); });
    replaceItems(HostNameCombo, hosts);
}

void TTextAttForm::FieldEnableClick() {
    if (m_markedField) {
        m_markedField->setText(SetupLists::Enabled(m_markedField->text()));
    }
}

void TTextAttForm::FieldDisableClick() {
    if (m_markedField) {
        m_markedField->setText(SetupLists::Disabled(m_markedField->text()));
    }
}
