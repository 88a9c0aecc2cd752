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

    QTabWidget *Pages = nullptr;
    QComboBox *HostNameCombo = nullptr;
    QCheckBox *LogonConvCheck = nullptr;
    QGroupBox *LogonConvPanel = nullptr;
    QLineEdit *SeeTextEdit = nullptr;
    QLineEdit *AnswerTextEdit = nullptr;
    QCheckBox *KeySetConv = nullptr;
    QGroupBox *KeySetPanel = nullptr;
    QLineEdit *KeySetQueryEdit = nullptr;
    QLineEdit *KeySetReplyEdit = nullptr;
    QComboBox *HostPrinterCombo = nullptr;
    QLineEdit *RowsEdit = nullptr;
    QLineEdit *ColumnsEdit = nullptr;
    QLineEdit *ScrollLinesEdit = nullptr;
    QCheckBox *EnableBellCheck = nullptr;
    QLabel *FontLabel = nullptr;
    QPushButton *btnChangeFont = nullptr;
    QCheckBox *cbxUseGraphcsFont = nullptr;
    QGroupBox *rgGraphicsFontResource = nullptr;
    QRadioButton *rbDefaultFont = nullptr;
    QRadioButton *rbCustomFont = nullptr;
    QComboBox *ForegroundCols = nullptr;
    QComboBox *BackGroundCols = nullptr;
    QPushButton *ForeShape = nullptr;
    QPushButton *BackShape = nullptr;
    QPushButton *BoldForeShape = nullptr;
    QLabel *SampleText = nullptr;
    QListWidget *KeyListBox = nullptr;
    QPlainTextEdit *KeyMemo = nullptr;
    QLineEdit *KeyEdit = nullptr;
    QCheckBox *KeyDisabledCheck = nullptr;
    QPushButton *AddKeyButton = nullptr;
    QPushButton *UpDateKeybutton = nullptr;
    QLineEdit *SourceDirList = nullptr;
    QComboBox *AlternateSourcecombo = nullptr;
    QLineEdit *PatternEdit = nullptr;
    QLineEdit *NoImageNameEdit = nullptr;
    QLineEdit *SecureImageNameEdit = nullptr;
    QCheckBox *ImagePrinterCheck = nullptr;
    QCheckBox *HaltonNoServercheck = nullptr;
    QListWidget *CaptureSetsList = nullptr;
    QLineEdit *CaptureSetRowEdit = nullptr;
    QLineEdit *CaptureSetColumnEdit = nullptr;
    QLineEdit *CaptureSetCountEdit = nullptr;
    QLineEdit *ConfirmTextEdit = nullptr;
    QLineEdit *TemplatesEdit = nullptr;
    QLineEdit *ResultsFolderEdit = nullptr;
    QLineEdit *AbbrevFolderEdit = nullptr;
    QLineEdit *CustomDictEdit = nullptr;
    QCheckBox *ShowWarningsCheck = nullptr;
    QPushButton *okbutton = nullptr;
    QPushButton *Applybutton = nullptr;
    QPushButton *Cancelbutton = nullptr;
    QPushButton *Loadbutton = nullptr;
    QPushButton *SaveAsbutton = nullptr;

    // The key captured in KeyEdit, as a shortcut text.
    QByteArray CapturedShortcut() const { return m_shortcut; }
    void setCapturedShortcut(const QByteArray &shortcut);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
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
