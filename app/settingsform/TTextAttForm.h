// The settings form: edits the setup file in pages, writes a new one and has the main window read it
// again. The file model and list operations live in SetupDocument; this is the widgets around them.
#pragma once

#include "app/settingsform/SetupDocument.h"
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class UserMessages;

// What the form needs of the main window.
class TextAttHost {
public:
    virtual ~TextAttHost() = default;
    virtual QString SetupFileName() const = 0;
    // "&Load ...": the chosen file becomes the setup file, the old one the previous one.
    virtual void ChangeSetupFile(const QString &fileName) = 0;
    virtual bool ReadSetupFile() = 0;
    virtual SetupDocument::Colours ColourTexts() const = 0;
    virtual QFont TerminalFont() const = 0;
    // Applied at once; the window is sized to the terminal again.
    virtual void ApplyTerminalFont(const QFont &font) = 0;
    virtual QString HostCaption() const = 0;
    virtual void SetCaption(const QString &caption) = 0;
};

class TTextAttForm : public QDialog {
    Q_OBJECT
public:
    TTextAttForm(TextAttHost &host, UserMessages &messages, QWidget *parent = nullptr);

    // Reading: the setup file (or the default text) into the fields.
    void ReadSetup();
    // The fields as a document (pending host and alternate-source texts not yet taken in).
    SetupDocument Document() const;
    bool Changed() const { return m_changed; }

    // Writes to `fileName` atomically; false (and the user told) when it could not be written.
    bool WriteSetup(const QString &fileName);

    void ApplybuttonClick();
    void okbuttonClick();
    void SaveAsClick();
    void LoadClick();

    // "Set Font ..." and a click on the font's caption: the terminal font chosen in a font dialog.
    void btnChangeFontClick();

    // Host history in the registry; the list is filled from it as it drops down.
    void HostNameComboDropDown();
    void HostNameComboExit();
    void ClearLocalStoredValues();

    // The list pop-up menu on the list in hand (KeyListBox or CaptureSetsList).
    void setListInHand(QListWidget *list) { m_listInHand = list; }
    void Remove1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    void Disabled1Click();
    void Enable1Click();

    // The alternate-source and host pop-up menu.
    void AddtoList1Click();
    void UpdateinList1Click();
    void UpdateinlistDisabled1Click();
    void RemovefromList1Click();
    void AlternateSourcecomboClick() { m_alternateMark = true; }

    // The field pop-up menu on the field marked last.
    void markField(QLineEdit *field) { m_markedField = field; }
    void FieldEnableClick();
    void FieldDisableClick();

    void AddKeyButtonClick();
    void UpDateKeybuttonClick();
    void KeyListBoxClick();
    void AddCaptureSetClick();
    void UpdateCaptureSetClick();
    void CaptureSetsListClick();

    // The key captured in KeyEdit, as a shortcut text.
    QByteArray CapturedShortcut() const { return m_shortcut; }
    void setCapturedShortcut(const QByteArray &shortcut);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The form's widgets; tests find them by their object names, which are these names without m_.
    QTabWidget *m_Pages = nullptr;
    QComboBox *m_HostNameCombo = nullptr;
    QCheckBox *m_LogonConvCheck = nullptr;
    QGroupBox *m_LogonConvPanel = nullptr;
    QLineEdit *m_SeeTextEdit = nullptr;
    QLineEdit *m_AnswerTextEdit = nullptr;
    QCheckBox *m_KeySetConv = nullptr;
    QGroupBox *m_KeySetPanel = nullptr;
    QLineEdit *m_KeySetQueryEdit = nullptr;
    QLineEdit *m_KeySetReplyEdit = nullptr;
    QComboBox *m_HostPrinterCombo = nullptr;
    QLineEdit *m_RowsEdit = nullptr;
    QLineEdit *m_ColumnsEdit = nullptr;
    QLineEdit *m_ScrollLinesEdit = nullptr;
    QCheckBox *m_EnableBellCheck = nullptr;
    QLabel *m_FontLabel = nullptr;
    QPushButton *m_btnChangeFont = nullptr;
    QCheckBox *m_cbxUseGraphcsFont = nullptr;
    QGroupBox *m_rgGraphicsFontResource = nullptr;
    QRadioButton *m_rbDefaultFont = nullptr;
    QRadioButton *m_rbCustomFont = nullptr;
    QComboBox *m_ForegroundCols = nullptr;
    QComboBox *m_BackGroundCols = nullptr;
    QPushButton *m_ForeShape = nullptr;
    QPushButton *m_BackShape = nullptr;
    QPushButton *m_BoldForeShape = nullptr;
    QLabel *m_SampleText = nullptr;
    QListWidget *m_KeyListBox = nullptr;
    QPlainTextEdit *m_KeyMemo = nullptr;
    QLineEdit *m_KeyEdit = nullptr;
    QCheckBox *m_KeyDisabledCheck = nullptr;
    QPushButton *m_AddKeyButton = nullptr;
    QPushButton *m_UpDateKeybutton = nullptr;
    QLineEdit *m_SourceDirList = nullptr;
    QComboBox *m_AlternateSourcecombo = nullptr;
    QLineEdit *m_PatternEdit = nullptr;
    QLineEdit *m_NoImageNameEdit = nullptr;
    QLineEdit *m_SecureImageNameEdit = nullptr;
    QCheckBox *m_ImagePrinterCheck = nullptr;
    QCheckBox *m_HaltonNoServercheck = nullptr;
    QListWidget *m_CaptureSetsList = nullptr;
    QLineEdit *m_CaptureSetRowEdit = nullptr;
    QLineEdit *m_CaptureSetColumnEdit = nullptr;
    QLineEdit *m_CaptureSetCountEdit = nullptr;
    QLineEdit *m_ConfirmTextEdit = nullptr;
    QLineEdit *m_TemplatesEdit = nullptr;
    QLineEdit *m_ResultsFolderEdit = nullptr;
    QLineEdit *m_AbbrevFolderEdit = nullptr;
    QLineEdit *m_CustomDictEdit = nullptr;
    QCheckBox *m_ShowWarningsCheck = nullptr;
    QPushButton *m_okbutton = nullptr;
    QPushButton *m_Applybutton = nullptr;
    QPushButton *m_Cancelbutton = nullptr;
    QPushButton *m_Loadbutton = nullptr;
    QPushButton *m_SaveAsbutton = nullptr;
    void ValueChanged();
    void buildHostPage();
    void buildFontPage();
    void buildColourPage();
    void buildKeyPage();
    void buildImagePage();
    void buildWordProcessorPage();
    void clearFields();
    void showColours();
    void pickColour(TVtColorTable &table, QComboBox *index);
    void takePendingEdits();
    void switchListEntry(bool disable);
    QString captureSetText() const;
    QStringList items(const QComboBox *combo) const;
    SetupLists::Answer askYesNoCancel(const QString &caption, const QString &text);

    TextAttHost &m_host;
    UserMessages &m_messages;
    QList<QByteArray> m_keyLines; // in step with KeyListBox
    QList<QByteArray> m_unmanaged;
    SetupDocument m_read;
    TVtColorTable m_fore{};
    TVtColorTable m_back{};
    TVtColorTable m_bold{};
    QFont m_font;
    QByteArray m_shortcut;
    QListWidget *m_listInHand = nullptr;
    QLineEdit *m_markedField = nullptr;
    bool m_alternateMark = false;
    bool m_changed = false;
    bool m_reading = false;
};
