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
#include "platform/modal/StandardDialogs.h"
#include "platform/settings/TRegistry.h"
#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/widget/TVtRowPainter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
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
    m_Pages = new QTabWidget(this);
    m_Pages->setObjectName(QStringLiteral("Pages"));
    layout->addWidget(m_Pages);
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
    button(m_Loadbutton, "Loadbutton", QStringLiteral("&Load ..."));
    button(m_SaveAsbutton, "SaveAsbutton", QStringLiteral("Save &As ..."));
    buttons->addStretch();
    button(m_okbutton, "okbutton", QStringLiteral("&OK"));
    button(m_Cancelbutton, "Cancelbutton", QStringLiteral("Cancel"));
    button(m_Applybutton, "Applybutton", QStringLiteral("&Apply"));
    layout->addLayout(buttons);
    m_Applybutton->setEnabled(false);
    connect(m_okbutton, &QPushButton::clicked, this, &TTextAttForm::okbuttonClick);
    connect(m_Applybutton, &QPushButton::clicked, this, &TTextAttForm::ApplybuttonClick);
    connect(m_Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_Loadbutton, &QPushButton::clicked, this, &TTextAttForm::LoadClick);
    connect(m_SaveAsbutton, &QPushButton::clicked, this, &TTextAttForm::SaveAsClick);
}

// ---- pages ------------------------------------------------------------------------------------

void TTextAttForm::buildHostPage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    m_HostNameCombo = new DropDownCombo(page, [this] { HostNameComboDropDown(); });
    m_HostNameCombo->setObjectName(QStringLiteral("HostNameCombo"));
    m_HostNameCombo->setEditable(true);
    m_HostNameCombo->setInsertPolicy(QComboBox::NoInsert);
    form->addRow(QStringLiteral("Host Name/IP:Port"), m_HostNameCombo);

    m_LogonConvCheck = checkBox(page, "LogonConvCheck", QStringLiteral("Logon Conversation"));
    m_LogonConvPanel = new QGroupBox(page);
    m_LogonConvPanel->setObjectName(QStringLiteral("LogonConvPanel"));
    auto *logon = new QFormLayout(m_LogonConvPanel);
    m_SeeTextEdit = lineEdit(m_LogonConvPanel, "SeeTextEdit");
    m_AnswerTextEdit = lineEdit(m_LogonConvPanel, "AnswerTextEdit");
    logon->addRow(QStringLiteral("See"), m_SeeTextEdit);
    logon->addRow(QStringLiteral("Answer"), m_AnswerTextEdit);
    form->addRow(m_LogonConvCheck, m_LogonConvPanel);

    m_KeySetConv = checkBox(page, "KeySetConv", QStringLiteral("Key Set Conversation"));
    m_KeySetPanel = new QGroupBox(page);
    m_KeySetPanel->setObjectName(QStringLiteral("KeySetPanel"));
    auto *keySet = new QFormLayout(m_KeySetPanel);
    m_KeySetQueryEdit = lineEdit(m_KeySetPanel, "KeySetQueryEdit");
    m_KeySetReplyEdit = lineEdit(m_KeySetPanel, "KeySetReplyEdit");
    keySet->addRow(QStringLiteral("Query"), m_KeySetQueryEdit);
    keySet->addRow(QStringLiteral("Reply"), m_KeySetReplyEdit);
    form->addRow(m_KeySetConv, m_KeySetPanel);

    m_HostPrinterCombo = new QComboBox(page);
    m_HostPrinterCombo->setObjectName(QStringLiteral("HostPrinterCombo"));
    m_HostPrinterCombo->setEditable(true);
    form->addRow(QStringLiteral("Host Printer"), m_HostPrinterCombo);
    m_RowsEdit = numberEdit(page, "RowsEdit");
    m_ColumnsEdit = numberEdit(page, "ColumnsEdit");
    // Scroll lines can be switched off, so their field also carries the " (Disabled)" mark.
    m_ScrollLinesEdit = lineEdit(page, "ScrollLinesEdit");
    form->addRow(QStringLiteral("Rows"), m_RowsEdit);
    form->addRow(QStringLiteral("Columns"), m_ColumnsEdit);
    form->addRow(QStringLiteral("Scroll Lines"), m_ScrollLinesEdit);
    m_EnableBellCheck = checkBox(page, "EnableBellCheck", QStringLiteral("Enable Bell Sound"));
    form->addRow(m_EnableBellCheck);
    m_Pages->addTab(page, QStringLiteral("Host Information"));

    connect(m_LogonConvCheck, &QCheckBox::clicked, this, [this](bool on) {
        m_LogonConvPanel->setEnabled(on);
        ValueChanged();
    });
    connect(m_KeySetConv, &QCheckBox::clicked, this, [this](bool on) {
        m_KeySetPanel->setEnabled(on);
        ValueChanged();
    });
    for (QLineEdit *edit : {m_SeeTextEdit, m_AnswerTextEdit, m_KeySetQueryEdit, m_KeySetReplyEdit, m_RowsEdit,
                            m_ColumnsEdit, m_ScrollLinesEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(m_HostNameCombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(m_HostPrinterCombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(m_EnableBellCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    m_HostNameCombo->installEventFilter(this);
    m_HostNameCombo->lineEdit()->installEventFilter(this);

    m_HostNameCombo->setContextMenuPolicy(Qt::CustomContextMenu);
    m_HostNameCombo->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    auto hostMenu = [this](QWidget *from) {
        return [this, from](const QPoint &pos) {
            QMenu menu(this);
            menu.addAction(QStringLiteral("&Add to List/Enable"), this, &TTextAttForm::AddtoList1Click);
            menu.addAction(QStringLiteral("&Update in List"), this, &TTextAttForm::UpdateinList1Click);
            menu.addAction(QStringLiteral("Add/Update in list &Disabled"), this,
                           &TTextAttForm::UpdateinlistDisabled1Click);
            menu.addAction(QStringLiteral("&Remove from List"), this, &TTextAttForm::RemovefromList1Click);
            if (from == m_HostNameCombo->lineEdit()) {
                menu.addSeparator();
                menu.addAction(QStringLiteral("Clear Local Stored Values"), this,
                               &TTextAttForm::ClearLocalStoredValues);
            }
            menu.exec(from->mapToGlobal(pos));
        };
    };
    connect(m_HostNameCombo->lineEdit(), &QWidget::customContextMenuRequested, this,
            hostMenu(m_HostNameCombo->lineEdit()));
    connect(m_HostNameCombo, QOverload<int>::of(&QComboBox::activated), this,
            [this] { m_markedField = nullptr; });
}

void TTextAttForm::buildFontPage() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_FontLabel = new QLabel(page);
    m_FontLabel->setObjectName(QStringLiteral("FontLabel"));
    m_btnChangeFont = new QPushButton(QStringLiteral("Set Font ..."), page);
    m_btnChangeFont->setObjectName(QStringLiteral("btnChangeFont"));
    m_cbxUseGraphcsFont = checkBox(page, "cbxUseGraphcsFont", QStringLiteral("Use Secondary Graphics Font"));
    m_rgGraphicsFontResource = new QGroupBox(page);
    m_rgGraphicsFontResource->setObjectName(QStringLiteral("rgGraphicsFontResource"));
    auto *radios = new QVBoxLayout(m_rgGraphicsFontResource);
    m_rbDefaultFont = new QRadioButton(QStringLiteral("Default (Terminal Font)"), m_rgGraphicsFontResource);
    m_rbDefaultFont->setObjectName(QStringLiteral("rbDefaultFont"));
    // The second character-set table is drawn for a fixed-pitch font such as DejaVu Sans Mono.
    m_rbCustomFont = new QRadioButton(QStringLiteral("Custom (DejaVu Sans Mono)"), m_rgGraphicsFontResource);
    m_rbCustomFont->setObjectName(QStringLiteral("rbCustomFont"));
    radios->addWidget(m_rbDefaultFont);
    radios->addWidget(m_rbCustomFont);
    m_rgGraphicsFontResource->setEnabled(false);
    layout->addWidget(m_FontLabel);
    layout->addWidget(m_btnChangeFont);
    layout->addWidget(m_cbxUseGraphcsFont);
    layout->addWidget(m_rgGraphicsFontResource);
    layout->addStretch();
    m_Pages->addTab(page, QStringLiteral("Fonts"));

    connect(m_btnChangeFont, &QPushButton::clicked, this, &TTextAttForm::btnChangeFontClick);
    m_FontLabel->installEventFilter(this);
    connect(m_cbxUseGraphcsFont, &QCheckBox::clicked, this, [this](bool on) {
        m_rgGraphicsFontResource->setEnabled(on);
        ValueChanged();
    });
    connect(m_rbDefaultFont, &QRadioButton::clicked, this, &TTextAttForm::ValueChanged);
    connect(m_rbCustomFont, &QRadioButton::clicked, this, &TTextAttForm::ValueChanged);
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
    m_ForegroundCols = combo("ForegroundCols");
    m_BackGroundCols = combo("BackGroundCols");
    auto shape = [page](const char *name) {
        auto *b = new QPushButton(page);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(48, 24);
        return b;
    };
    m_ForeShape = shape("ForeShape");
    m_BackShape = shape("BackShape");
    m_BoldForeShape = shape("BoldForeShape");
    m_SampleText = new QLabel(QStringLiteral("Sample text  ") + QStringLiteral("<b>Bold sample</b>"), page);
    m_SampleText->setObjectName(QStringLiteral("SampleText"));
    m_SampleText->setAutoFillBackground(true);
    form->addRow(QStringLiteral("Foreground"), m_ForegroundCols);
    form->addRow(QStringLiteral("Foreground colour"), m_ForeShape);
    form->addRow(QStringLiteral("Bold foreground colour"), m_BoldForeShape);
    form->addRow(QStringLiteral("Background"), m_BackGroundCols);
    form->addRow(QStringLiteral("Background colour"), m_BackShape);
    form->addRow(m_SampleText);
    form->addRow(
        new QLabel(QStringLiteral("Colours reach the terminal when the settings are written."), page));
    m_Pages->addTab(page, QStringLiteral("Colors"));

    connect(m_ForegroundCols, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TTextAttForm::showColours);
    connect(m_BackGroundCols, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &TTextAttForm::showColours);
    connect(m_ForeShape, &QPushButton::clicked, this, [this] { pickColour(m_fore, m_ForegroundCols); });
    connect(m_BoldForeShape, &QPushButton::clicked, this, [this] { pickColour(m_bold, m_ForegroundCols); });
    connect(m_BackShape, &QPushButton::clicked, this, [this] { pickColour(m_back, m_BackGroundCols); });
}

void TTextAttForm::buildKeyPage() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    m_KeyListBox = new QListWidget(page);
    m_KeyListBox->setObjectName(QStringLiteral("KeyListBox"));
    auto *right = new QVBoxLayout;
    m_KeyEdit = lineEdit(page, "KeyEdit");
    m_KeyEdit->setReadOnly(true);
    m_KeyEdit->setPlaceholderText(QStringLiteral("Press the key to map"));
    m_KeyEdit->installEventFilter(this);
    m_KeyMemo = new QPlainTextEdit(page);
    m_KeyMemo->setObjectName(QStringLiteral("KeyMemo"));
    m_KeyMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    m_KeyDisabledCheck = checkBox(page, "KeyDisabledCheck", QStringLiteral("Mapping Disabled"));
    m_AddKeyButton = new QPushButton(QStringLiteral("&Add"), page);
    m_AddKeyButton->setObjectName(QStringLiteral("AddKeyButton"));
    m_UpDateKeybutton = new QPushButton(QStringLiteral("&Update"), page);
    m_UpDateKeybutton->setObjectName(QStringLiteral("UpDateKeybutton"));
    right->addWidget(new QLabel(QStringLiteral("Key"), page));
    right->addWidget(m_KeyEdit);
    right->addWidget(new QLabel(QStringLiteral("Sends"), page));
    right->addWidget(m_KeyMemo);
    right->addWidget(m_KeyDisabledCheck);
    right->addWidget(m_AddKeyButton);
    right->addWidget(m_UpDateKeybutton);
    layout->addWidget(m_KeyListBox);
    layout->addLayout(right);
    m_Pages->addTab(page, QStringLiteral("Keys"));

    connect(m_KeyListBox, &QListWidget::currentRowChanged, this, &TTextAttForm::KeyListBoxClick);
    connect(m_AddKeyButton, &QPushButton::clicked, this, &TTextAttForm::AddKeyButtonClick);
    connect(m_UpDateKeybutton, &QPushButton::clicked, this, &TTextAttForm::UpDateKeybuttonClick);
    connect(m_KeyDisabledCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_listInHand = m_KeyListBox;
        switchListEntry(on);
    });
    connect(m_KeyMemo, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu menu(this);
        for (const QByteArray &token : KeyMap::ActionTokens()) {
            const QString shown = QString::fromLatin1(token);
            menu.addAction(shown, this, [this, shown] { m_KeyMemo->setPlainText(shown); });
        }
        menu.exec(m_KeyMemo->mapToGlobal(pos));
    });
}

void TTextAttForm::buildImagePage() {
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    m_SourceDirList = lineEdit(page, "SourceDirList");
    m_AlternateSourcecombo = new QComboBox(page);
    m_AlternateSourcecombo->setObjectName(QStringLiteral("AlternateSourcecombo"));
    m_AlternateSourcecombo->setEditable(true);
    m_AlternateSourcecombo->setInsertPolicy(QComboBox::NoInsert);
    m_PatternEdit = lineEdit(page, "PatternEdit");
    m_NoImageNameEdit = lineEdit(page, "NoImageNameEdit");
    m_SecureImageNameEdit = lineEdit(page, "SecureImageNameEdit");
    m_ImagePrinterCheck = checkBox(page, "ImagePrinterCheck", QStringLiteral("Allow Image Printing"));
    m_HaltonNoServercheck = checkBox(page, "HaltonNoServercheck", QStringLiteral("Halt on No Server"));
    form->addRow(QStringLiteral("Source"), m_SourceDirList);
    form->addRow(QStringLiteral("Alternate sources"), m_AlternateSourcecombo);
    form->addRow(QStringLiteral("Sub-folder pattern"), m_PatternEdit);
    form->addRow(QStringLiteral("No image name"), m_NoImageNameEdit);
    form->addRow(QStringLiteral("Secure image name"), m_SecureImageNameEdit);
    form->addRow(m_ImagePrinterCheck);
    form->addRow(m_HaltonNoServercheck);

    m_CaptureSetsList = new QListWidget(page);
    m_CaptureSetsList->setObjectName(QStringLiteral("CaptureSetsList"));
    m_CaptureSetRowEdit = numberEdit(page, "CaptureSetRowEdit");
    m_CaptureSetColumnEdit = numberEdit(page, "CaptureSetColumnEdit");
    m_CaptureSetCountEdit = numberEdit(page, "CaptureSetCountEdit");
    m_ConfirmTextEdit = lineEdit(page, "ConfirmTextEdit");
    auto *setFields = new QHBoxLayout;
    setFields->addWidget(m_CaptureSetRowEdit);
    setFields->addWidget(m_CaptureSetColumnEdit);
    setFields->addWidget(m_CaptureSetCountEdit);
    setFields->addWidget(m_ConfirmTextEdit);
    auto *add = new QPushButton(QStringLiteral("&Add"), page);
    add->setObjectName(QStringLiteral("AddCaptureSetButton"));
    auto *update = new QPushButton(QStringLiteral("&Update"), page);
    update->setObjectName(QStringLiteral("UpdateCaptureSetButton"));
    setFields->addWidget(add);
    setFields->addWidget(update);
    form->addRow(QStringLiteral("Capture sets (row, column, count, text)"), m_CaptureSetsList);
    form->addRow(setFields);
    m_Pages->addTab(page, QStringLiteral("Image Information"));

    for (QLineEdit *edit : {m_SourceDirList, m_PatternEdit, m_NoImageNameEdit, m_SecureImageNameEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(m_AlternateSourcecombo, &QComboBox::editTextChanged, this, &TTextAttForm::ValueChanged);
    connect(m_AlternateSourcecombo, QOverload<int>::of(&QComboBox::activated), this, [this] {
        AlternateSourcecomboClick();
        ValueChanged();
    });
    connect(m_AlternateSourcecombo->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        m_alternateMark = true;
        AddtoList1Click();
    });
    // A user who switches only these on or off expects that to be written too.
    connect(m_ImagePrinterCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    connect(m_HaltonNoServercheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    connect(m_CaptureSetsList, &QListWidget::currentRowChanged, this, &TTextAttForm::CaptureSetsListClick);
    connect(add, &QPushButton::clicked, this, &TTextAttForm::AddCaptureSetClick);
    connect(update, &QPushButton::clicked, this, &TTextAttForm::UpdateCaptureSetClick);

    m_AlternateSourcecombo->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_AlternateSourcecombo->lineEdit(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) {
                QMenu menu(this);
                menu.addAction(QStringLiteral("&Add to List/Enable"), this, &TTextAttForm::AddtoList1Click);
                menu.addAction(QStringLiteral("&Update in List"), this, &TTextAttForm::UpdateinList1Click);
                menu.addAction(QStringLiteral("Add/Update in list &Disabled"), this,
                               &TTextAttForm::UpdateinlistDisabled1Click);
                menu.addAction(QStringLiteral("&Remove from List"), this,
                               &TTextAttForm::RemovefromList1Click);
                menu.exec(m_AlternateSourcecombo->lineEdit()->mapToGlobal(pos));
            });
    for (QListWidget *list : {m_KeyListBox, m_CaptureSetsList}) {
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
    m_TemplatesEdit = lineEdit(page, "TemplatesEdit");
    m_ResultsFolderEdit = lineEdit(page, "ResultsFolderEdit");
    m_ResultsFolderEdit->setToolTip(QStringLiteral(
        "The work folder (\"rtfresultdirectory\"). Empty: ~/.cache/orva, readable by you only. "
        "Host capture files go to \"capturedirectory\", else its capture/ folder."));
    m_AbbrevFolderEdit = lineEdit(page, "AbbrevFolderEdit");
    m_CustomDictEdit = lineEdit(page, "CustomDictEdit");
    m_ShowWarningsCheck = checkBox(page, "ShowWarningsCheck", QStringLiteral("Show Warnings"));
    form->addRow(QStringLiteral("Templates folder"), m_TemplatesEdit);
    form->addRow(QStringLiteral("RTFResult directory"), m_ResultsFolderEdit);
    form->addRow(QStringLiteral("Abbreviations folder"), m_AbbrevFolderEdit);
    form->addRow(QStringLiteral("Custom dictionary"), m_CustomDictEdit);
    form->addRow(m_ShowWarningsCheck);
    m_Pages->addTab(page, QStringLiteral("Word Processor"));

    for (QLineEdit *edit : {m_TemplatesEdit, m_ResultsFolderEdit, m_AbbrevFolderEdit, m_CustomDictEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TTextAttForm::ValueChanged);
    }
    connect(m_ShowWarningsCheck, &QCheckBox::clicked, this, &TTextAttForm::ValueChanged);
    for (QLineEdit *edit : {m_ScrollLinesEdit, m_PatternEdit, m_NoImageNameEdit, m_SecureImageNameEdit,
                            m_TemplatesEdit, m_ResultsFolderEdit, m_AbbrevFolderEdit}) {
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
    m_ImagePrinterCheck->setChecked(true);
    m_EnableBellCheck->setChecked(true);
    m_HostNameCombo->clear();
    m_AlternateSourcecombo->clear();
    m_HostPrinterCombo->clear();
    m_HostPrinterCombo->addItems(QPrinterInfo::availablePrinterNames());
    m_HostPrinterCombo->setEditText(QString());
    m_KeyListBox->clear();
    m_CaptureSetsList->clear();
    m_KeyMemo->clear();
    m_keyLines.clear();
    m_rbDefaultFont->setChecked(true);
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
    m_HostNameCombo->setEditText(d.HostName);
    m_LogonConvCheck->setChecked(d.LogonConv);
    m_LogonConvPanel->setEnabled(d.LogonConv);
    m_SeeTextEdit->setText(d.SeeText);
    m_AnswerTextEdit->setText(d.AnswerText);
    m_KeySetConv->setChecked(d.KeySetConv);
    m_KeySetPanel->setEnabled(d.KeySetConv);
    m_KeySetQueryEdit->setText(d.KeySetQuery);
    m_KeySetReplyEdit->setText(d.KeySetReply);
    m_HostPrinterCombo->setEditText(d.HostPrinter);
    m_ScrollLinesEdit->setText(d.ScrollLines);
    m_EnableBellCheck->setChecked(d.EnableBell);
    m_cbxUseGraphcsFont->setChecked(d.UseGraphicsFont);
    m_rgGraphicsFontResource->setEnabled(d.UseGraphicsFont);
    (d.GraphicsFontResource == 1 ? m_rbCustomFont : m_rbDefaultFont)->setChecked(true);
    m_keyLines = d.KeyMapLines;
    for (const QByteArray &line : m_keyLines) {
        m_KeyListBox->addItem(SetupLists::KeyListText(line));
    }
    m_SourceDirList->setText(d.Source);
    m_AlternateSourcecombo->addItems(d.AlternateSources);
    m_AlternateSourcecombo->setEditText(QString());
    m_PatternEdit->setText(d.Pattern);
    m_SecureImageNameEdit->setText(d.SecureImageName);
    m_NoImageNameEdit->setText(d.NoImageName);
    m_HaltonNoServercheck->setChecked(d.HaltOnNoServer);
    m_ImagePrinterCheck->setChecked(d.ImagePrinter);
    m_CaptureSetsList->addItems(d.CaptureSets);
    m_ResultsFolderEdit->setText(d.ResultsFolder);
    m_AbbrevFolderEdit->setText(d.AbbrevFolder);
    m_TemplatesEdit->setText(d.TemplatesFolder);
    m_ShowWarningsCheck->setChecked(d.ShowWarnings);
    m_CustomDictEdit->setText(d.CustomDict);
    m_unmanaged = d.Unmanaged;

    const SetupDocument::Colours colours = m_host.ColourTexts();
    m_fore = TVtVT100EmulatorEx::DefaultColors();
    m_back = TVtVT100EmulatorEx::DefaultColors();
    m_bold = TVtVT100EmulatorEx::BoldDefaults();
    TVtVT100EmulatorEx::ParseColorText(colours.Fore, m_fore);
    TVtVT100EmulatorEx::ParseColorText(colours.Back, m_back);
    TVtVT100EmulatorEx::ParseColorText(colours.Bold, m_bold);
    m_ForegroundCols->setCurrentIndex(7);
    m_BackGroundCols->setCurrentIndex(0);
    m_font = m_host.TerminalFont();
    m_FontLabel->setText(fontCaption(m_font));
    showColours();

    m_alternateMark = false;
    m_markedField = nullptr;
    m_listInHand = nullptr;
    m_reading = false;
    m_changed = upgraded;
    m_Applybutton->setEnabled(upgraded);
}

void TTextAttForm::showColours() {
    auto paint = [](QPushButton *shape, std::uint32_t bgr) {
        shape->setStyleSheet(QStringLiteral("background-color: %1").arg(bgrToQColor(bgr).name()));
    };
    const auto fore = std::size_t(qMax(0, m_ForegroundCols->currentIndex()));
    const auto back = std::size_t(qMax(0, m_BackGroundCols->currentIndex()));
    paint(m_ForeShape, m_fore[fore]);
    paint(m_BoldForeShape, m_bold[fore]);
    paint(m_BackShape, m_back[back]);
    m_SampleText->setStyleSheet(QStringLiteral("color: %1; background-color: %2")
                                    .arg(bgrToQColor(m_fore[fore]).name(), bgrToQColor(m_back[back]).name()));
}

void TTextAttForm::pickColour(TVtColorTable &table, QComboBox *index) {
    const auto at = std::size_t(qMax(0, index->currentIndex()));
    const QColor chosen = AskColour(this, bgrToQColor(table[at]));
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
    m_Applybutton->setEnabled(true);
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
    d.HostName = m_HostNameCombo->currentText();
    d.LogonConv = m_LogonConvCheck->isChecked();
    d.SeeText = m_SeeTextEdit->text();
    d.AnswerText = m_AnswerTextEdit->text();
    d.KeySetConv = m_KeySetConv->isChecked();
    d.KeySetQuery = m_KeySetQueryEdit->text();
    d.KeySetReply = m_KeySetReplyEdit->text();
    d.HostPrinter = m_HostPrinterCombo->currentText();
    d.ScrollLines = m_ScrollLinesEdit->text();
    d.EnableBell = m_EnableBellCheck->isChecked();
    d.UseGraphicsFont = m_cbxUseGraphcsFont->isChecked();
    d.GraphicsFontResource = m_rbCustomFont->isChecked() ? 1 : 0;
    d.KeyMapLines = m_keyLines;
    d.Source = m_SourceDirList->text();
    d.AlternateSources = items(m_AlternateSourcecombo);
    d.Pattern = m_PatternEdit->text();
    d.SecureImageName = m_SecureImageNameEdit->text();
    d.NoImageName = m_NoImageNameEdit->text();
    d.HaltOnNoServer = m_HaltonNoServercheck->isChecked();
    d.ImagePrinter = m_ImagePrinterCheck->isChecked();
    for (int i = 0; i < m_CaptureSetsList->count(); ++i) {
        d.CaptureSets.append(m_CaptureSetsList->item(i)->text());
    }
    d.ResultsFolder = m_ResultsFolderEdit->text();
    d.AbbrevFolder = m_AbbrevFolderEdit->text();
    d.TemplatesFolder = m_TemplatesEdit->text();
    d.ShowWarnings = m_ShowWarningsCheck->isChecked();
    d.CustomDict = m_CustomDictEdit->text();
    d.Unmanaged = m_unmanaged;
    return d;
}

// ---- writing ----------------------------------------------------------------------------------

void TTextAttForm::takePendingEdits() {
    QStringList hosts = items(m_HostNameCombo);
    const QString hostText = m_HostNameCombo->currentText();
    if (!hostText.trimmed().isEmpty()) {
        SetupLists::HostAdd(hosts, hostText);
        m_HostNameCombo->clear();
        m_HostNameCombo->addItems(hosts);
        m_HostNameCombo->setEditText(hostText);
    }
    const QString alternate = m_AlternateSourcecombo->currentText().trimmed();
    // A name just switched off stays off: the field still showing it is no request to switch it on.
    if (!alternate.isEmpty() &&
        !items(m_AlternateSourcecombo)
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
    m_Applybutton->setEnabled(false);
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
    const QString current = m_HostNameCombo->currentText();
    QStringList list = items(m_HostNameCombo);
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
    m_HostNameCombo->blockSignals(true);
    m_HostNameCombo->clear();
    m_HostNameCombo->addItems(list);
    m_HostNameCombo->setEditText(current);
    m_HostNameCombo->blockSignals(false);
}

void TTextAttForm::HostNameComboExit() {
    const QString current = m_HostNameCombo->currentText();
    const QStringList list = items(m_HostNameCombo);
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
    const std::optional<QFont> chosen = AskFont(this, m_font);
    if (!chosen) {
        return;
    }
    m_font = *chosen;
    m_FontLabel->setText(fontCaption(m_font));
    m_host.ApplyTerminalFont(m_font);
    ValueChanged();
}

bool TTextAttForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_FontLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        btnChangeFontClick();
        return true;
    }
    if (watched == m_KeyEdit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const TVtKeyStroke stroke = TranslateKey(key->key(), key->modifiers(), false, key->text());
        ORVA_TRACE(QStringLiteral("Key Down Key"), stroke.Key);
        if (stroke.Char > 0x20 && stroke.Shift == 0) {
            // A typed character belongs in the key text.
            m_KeyMemo->setFocus();
            return true;
        }
        if (stroke.Key != 0 && !stroke.Modifier) {
            setCapturedShortcut(KeyShortcut::Text(stroke.Key, stroke.Shift));
        }
        return true;
    }
    // The combo box holds the focus for its line edit and hands it the keys, so either may see them.
    const bool hostField = watched == m_HostNameCombo || watched == m_HostNameCombo->lineEdit();
    // Its own list dropping down does not leave the field.
    if (hostField && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        HostNameComboExit();
    }
    if (hostField && event->type() == QEvent::KeyPress &&
        (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
         static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter)) {
        QStringList hosts = items(m_HostNameCombo);
        const QString current = m_HostNameCombo->currentText();
        SetupLists::HostAdd(hosts, current);
        m_HostNameCombo->clear();
        m_HostNameCombo->addItems(hosts);
        m_HostNameCombo->setEditText(current);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTextAttForm::setCapturedShortcut(const QByteArray &shortcut) {
    m_shortcut = shortcut;
    QString shown = text(shortcut);
    shown.replace(QStringLiteral("Space"), QStringLiteral("SPACE"));
    m_KeyEdit->setText(shown);
}

// ---- lists ------------------------------------------------------------------------------------

void TTextAttForm::AddKeyButtonClick() {
    if (m_shortcut.isEmpty()) {
        return;
    }
    const QByteArray keyText = KeyText::swapreadableASCII(bytes(m_KeyMemo->toPlainText()));
    const QByteArray line = (m_KeyDisabledCheck->isChecked() ? "+" : "") + QByteArray("KEYMAP_EX-") +
                            m_shortcut + " = " + keyText;
    m_keyLines.append(line);
    m_KeyListBox->addItem(SetupLists::KeyListText(line));
    ValueChanged();
}

void TTextAttForm::UpDateKeybuttonClick() {
    const int row = m_KeyListBox->currentRow();
    if (row < 0 || m_shortcut.isEmpty()) {
        return;
    }
    const QByteArray keyText = KeyText::swapreadableASCII(bytes(m_KeyMemo->toPlainText()));
    const QByteArray line =
        (m_KeyDisabledCheck->isChecked() ? "+" : "") + QByteArray("KEYMAP_EX-") + m_shortcut + "=" + keyText;
    m_keyLines[row] = line;
    m_KeyListBox->item(row)->setText(SetupLists::KeyListText(line));
    ValueChanged();
}

void TTextAttForm::KeyListBoxClick() {
    const int row = m_KeyListBox->currentRow();
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
    m_KeyEdit->setText(text(shortcut));
    m_KeyMemo->setPlainText(text(KeyText::swapasciiReadable(SetupFile::TrimValue(TextAfter(line, "=")))));
    // Showing an entry sets the box, which runs Disable or Enable on it as the user's change would.
    m_KeyDisabledCheck->setChecked(SetupLists::IsDisabled(m_KeyListBox->item(row)->text()));
}

QString TTextAttForm::captureSetText() const {
    return m_CaptureSetRowEdit->text() + QLatin1Char(',') + m_CaptureSetColumnEdit->text() +
           QLatin1Char(',') + m_CaptureSetCountEdit->text() + QStringLiteral(":\"") +
           m_ConfirmTextEdit->text() + QLatin1Char('"');
}

void TTextAttForm::AddCaptureSetClick() {
    if (m_CaptureSetRowEdit->text().isEmpty() || m_CaptureSetColumnEdit->text().isEmpty() ||
        m_CaptureSetCountEdit->text().isEmpty()) {
        m_messages.warning(QStringLiteral("Capture Set"),
                           QStringLiteral("Row, column and count are needed."));
        return;
    }
    m_CaptureSetsList->addItem(captureSetText());
    ValueChanged();
}

void TTextAttForm::UpdateCaptureSetClick() {
    QListWidgetItem *item = m_CaptureSetsList->currentItem();
    if (!item) {
        return;
    }
    item->setText(captureSetText() + (SetupLists::IsDisabled(item->text()) ? kDisabledMark : QString()));
    ValueChanged();
}

void TTextAttForm::CaptureSetsListClick() {
    const QListWidgetItem *item = m_CaptureSetsList->currentItem();
    if (!item) {
        return;
    }
    const QString set = SetupLists::WithoutMark(item->text());
    const QStringList numbers = set.section(QLatin1Char(':'), 0, 0).split(QLatin1Char(','));
    m_CaptureSetRowEdit->setText(numbers.value(0));
    m_CaptureSetColumnEdit->setText(numbers.value(1));
    m_CaptureSetCountEdit->setText(numbers.value(2));
    QString marker = set.section(QLatin1Char(':'), 1);
    marker.remove(QLatin1Char('"'));
    m_ConfirmTextEdit->setText(marker);
}

void TTextAttForm::Remove1Click() {
    if (!m_listInHand || m_listInHand->currentRow() < 0) {
        return;
    }
    const int row = m_listInHand->currentRow();
    delete m_listInHand->takeItem(row);
    if (m_listInHand == m_KeyListBox) {
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
    if (m_listInHand == m_KeyListBox) {
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
    if (m_listInHand == m_KeyListBox) {
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
    if (m_listInHand == m_KeyListBox && row < m_keyLines.size()) {
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
        QStringList list = items(m_AlternateSourcecombo);
        SetupLists::AlternateAdd(list, m_AlternateSourcecombo->currentText());
        replaceItems(m_AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(m_HostNameCombo);
    SetupLists::HostAdd(hosts, m_HostNameCombo->currentText());
    replaceItems(m_HostNameCombo, hosts);
}

void TTextAttForm::UpdateinList1Click() {
    if (std::exchange(m_alternateMark, false)) {
        return;
    }
    QStringList hosts = items(m_HostNameCombo);
    SetupLists::HostUpdate(hosts, m_HostNameCombo->currentText(),
                           [this](const QString &c, const QString &t) { return askYesNoCancel(c, t); });
    replaceItems(m_HostNameCombo, hosts);
}

void TTextAttForm::UpdateinlistDisabled1Click() {
    if (std::exchange(m_alternateMark, false)) {
        QStringList list = items(m_AlternateSourcecombo);
        SetupLists::AlternateDisable(list, m_AlternateSourcecombo->currentText());
        replaceItems(m_AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(m_HostNameCombo);
    SetupLists::HostSwitchOff(hosts, m_HostNameCombo->currentText());
    replaceItems(m_HostNameCombo, hosts);
}

void TTextAttForm::RemovefromList1Click() {
    if (std::exchange(m_alternateMark, false)) {
        QStringList list = items(m_AlternateSourcecombo);
        SetupLists::AlternateRemove(list, m_AlternateSourcecombo->currentText());
        replaceItems(m_AlternateSourcecombo, list);
        return;
    }
    QStringList hosts = items(m_HostNameCombo);
    SetupLists::HostRemove(hosts, m_HostNameCombo->currentText(),
                           [this](const QString &c, const QString &t) { return askYesNoCancel(c, t); });
    replaceItems(m_HostNameCombo, hosts);
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
