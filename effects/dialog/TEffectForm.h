// TEffectForm: the "Filters and Effects" dialog. It shows a scaled preview of a picture, lets the
// user choose an area on it with the rubber band, tries one of 39 effects on the preview, applies
// it to the full-size picture as often as wanted, and closes keeping the result (OK) or not. It
// remembers its controls, place, colours, area and tab in "IFiltSet.Ini".
//
// Opened with ShowEffects on a copy of a picture (the document viewer's way): window-modal, without a
// loop of its own; the result is handed over on OK and the dialog deletes itself when it closes.
// Questions, messages and the palette file dialogs go through the caller's UserMessages.
#pragma once

#include "common/UserMessages.h"
#include "common/WaitCursor.h"
#include "effects/dialog/EffectMath.h"
#include "effects/dialog/EffectSettings.h"
#include "effects/dialog/TEffectCall.h"
#include "imaging/core/ImagingTypes.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QToolButton;
class QTreeView;
class QVBoxLayout;

namespace orva::effects {

class TPaletteBox;
class TTrackEdit;
class TVisPImage;
class TVisRubberBand;

class TEffectForm : public QDialog, public orva::imaging::TProgressTarget {
    Q_OBJECT
public:
    explicit TEffectForm(UserMessages &messages, QWidget *parent = nullptr);
    ~TEffectForm() override;

    // Opens the dialog on a copy of a picture; done receives the new picture when the user closes
    // with OK. Returns at once. The messages outlive the dialog.
    static TEffectForm *ShowEffects(QWidget *parent, UserMessages &messages, DibBlock copy,
                                    std::function<void(DibBlock &&)> done);

    // The full-size picture: set before showing; Apply replaces it; freed with the dialog.
    DibBlock EffectDib;

    // The colour dialog (its custom colours are kept in the settings file), replaceable by tests.
    std::function<std::optional<QColor>(QWidget *parent, const QColor &current)> ChooseColor;
    // Where "IFiltSet.Ini" lives.
    QString SettingsPath;

    // The tabs, in page order, and whether each uses the selected area.
    static QStringList TabCaptions();
    static bool UsesArea(const QString &caption);

    QString CurrentTab() const;
    // Shows the tab with the caption (a menu item's way: the second tab when none has it).
    void ShowTab(const QString &caption);
    // What Preview and Apply run on the current tab (the area is the crop rectangle).
    TEffectCall GatherCall() const;

    void DoPreview();
    void DoApply();
    void Reload();
    void StopProcess();
    void ResetSelection();
    void CloseAndSave();
    void ResetToDefault();

    bool Pending() const { return !m_nothingPending; }
    bool Running() const { return m_running; }
    const TEdges &Crop() const { return m_crop; }
    void SetCrop(const TEdges &crop);
    const TEffectColours &Colours() const { return m_colours; }
    TVisPImage *Preview() const { return m_preview; }
    TVisRubberBand *RubberBand() const { return m_band; }
    const DibBlock &PreviewDib() const { return m_previewDib; }
    const DibBlock &PasteDib() const { return m_pasteDib; }
    bool SelectionShown() const;
    static bool HelpAvailable();

    void DoProgress(std::int16_t percent, const QString &message, bool &cancel) override;

    // The Color Palette tab: the selected entry, a colour picked on the preview (selects the nearest
    // entry), the bars' colour (set into the entry) and the action box.
    void SelectPaletteEntry(int index);
    void PickPaletteColour(QRgb colour);
    void SetPaletteColour(QRgb colour);
    void RunPaletteAction(int action);
    // The Paste Image tab's sources.
    void PasteFromClipboard();
    bool LoadPasteFile(const QString &file);
    void AcquirePaste();
    void PlayTransition(const QString &buttonName);

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Building.
    void buildWindow();
    void buildMenus(QVBoxLayout *layout);
    void buildToolRow(QVBoxLayout *layout);
    void buildPreviewAndTabs(QVBoxLayout *layout);
    void buildStatusBar(QVBoxLayout *layout);
    void buildTabs();
    void buildTab(const QString &caption, QWidget *page);
    void buildBordersTab(QWidget *page);
    void buildBorderFadeTab(QWidget *page);
    void buildColorTab(QWidget *page);
    void buildHalfToneTab(QWidget *page);
    void buildHueSaturationTab(QWidget *page);
    void buildJiggleTab(QWidget *page);
    void buildMosaicTab(QWidget *page);
    void buildMotionBlurTab(QWidget *page);
    void buildNoisifyTab(QWidget *page);
    void buildPageCurlTab(QWidget *page);
    void buildRotateTab(QWidget *page);
    void buildPaletteTab(QWidget *page);
    void buildPasteTab(QWidget *page);
    void buildTransitionsTab(QWidget *page);
    QWidget *addPage(const QString &caption);
    TTrackEdit *bar(QWidget *page, const QString &name, const QString &label, int minimum, int maximum,
                    int value, bool decimal = false, const QString &editName = QString());
    QCheckBox *check(QWidget *page, const QString &name, const QString &text, bool checked);
    QGroupBox *group(QWidget *page, const QString &name, const QString &title);
    QRadioButton *radio(QGroupBox *box, const QString &name, const QString &text, bool checked);
    QPushButton *button(QWidget *page, const QString &name, const QString &text);
    QFrame *sample(QWidget *page, int colour);
    void colourButton(QWidget *page, const QString &name, const QString &text, int colour);
    void notice(QWidget *page, const QString &text, const QString &helpTopic);
    QToolButton *toolButton(const QString &name, const QString &text, const QString &hint);

    // Values of the controls.
    int barValue(const QString &name) const;
    bool checked(const QString &name) const;
    int checkedIndex(const QStringList &names) const;
    void gatherOtherValues(TEffectCall &call) const;
    TTrackEdit *pair(const QString &barName) const;

    // The dialog's steps.
    void tabChanged();
    void loadPreview();
    void restorePreview();
    void fitBand();
    void showSelection(bool show);
    void onBand(int left, int top, int right, int bottom);
    void updateColourText();
    void updateBordersTab();
    void setColour(int which, const QColor &colour);
    void chooseColour(int which);
    void previewMouse(QMouseEvent *event, int kind);
    void runEffect(bool apply);
    void beginRun();
    void endRun();
    void loadSettings();
    void saveSettings();
    void openHelp(const QString &topic);
    TEdges previewArea(const TEdges &crop) const;
    void refreshPaletteTools();
    void pasteTick();
    void ensurePasteBrowser();
    static std::int16_t warpFrame(const DibBlock &dib, void *data);

    UserMessages &m_messages;
    // Pictures: all owned here; the previews only look at them.
    DibBlock m_previewDib;
    DibBlock m_backup;
    DibBlock m_frameDib;
    DibBlock m_pasteDib;
    int m_imageWidth = 1;
    int m_imageHeight = 1;
    int m_bits = 0;
    TEdges m_crop;
    bool m_cropSet = false;
    TEffectColours m_colours;
    TControlValues m_builtIn;

    bool m_stop = false;
    bool m_nothingPending = true;
    bool m_pasteMode = false;
    bool m_paletteChanged = false;
    bool m_usesArea = false;
    bool m_running = false;
    std::optional<WaitCursor> m_runCursor; // while an effect runs
    bool m_closeRequested = false;
    bool m_fitting = false;
    bool m_changingTab = false;
    int m_motionKind = 1;
    int m_paletteIndex = 0;
    bool m_loadingBars = false;
    bool m_pasteBrowserReady = false;

    QTabWidget *m_tabs = nullptr;
    TVisPImage *m_preview = nullptr;
    TVisPImage *m_pastePreview = nullptr;
    TVisRubberBand *m_band = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QWidget *m_areaBoxes = nullptr;
    QLineEdit *m_areaEdits[4] = {};
    QHash<QString, QToolButton *> m_tools;
    QHash<QString, QAction *> m_effectItems;
    QList<QAction *> m_menuItems;
    QAction *m_saveOnExit = nullptr;
    QList<QMenu *> m_helpMenus;
    QList<QWidget *> m_helpButtons;
    QList<QFrame *> m_samples[3];
    QList<QAbstractButton *> m_colourButtons[3];
    QHash<QString, TTrackEdit *> m_pairs;
    QTimer m_pasteTimer;
    QList<QPointer<QWidget>> m_disabledForRun;
    QList<QPointer<QAction>> m_actionsDisabledForRun;

    // Color Palette tab.
    TPaletteBox *m_paletteBox = nullptr;
    QSlider *m_paletteBars[3] = {};
    QLabel *m_paletteLabels[4] = {};
    QFrame *m_paletteSample = nullptr;
    QComboBox *m_paletteAction = nullptr;
    QWidget *m_paletteTools = nullptr;
    QLabel *m_paletteNotice = nullptr;

    // Paste Image tab.
    QComboBox *m_drives = nullptr;
    QTreeView *m_directories = nullptr;
    QListView *m_files = nullptr;
    QFileSystemModel *m_directoryModel = nullptr;
    QFileSystemModel *m_fileModel = nullptr;
};

} // namespace orva::effects
