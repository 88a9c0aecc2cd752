// The scanning dialogs of the document viewer: the scanner chooser (SANE's devices) and our own
// options dialog, shown before a scan when ScanShowUI is on.
#pragma once

#include "imaging/core/ScanJob.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace orva::imaging {

// Asks which scanner to use; empty when the user cancelled.
QString ChooseScanSource(QWidget *parent, const QStringList &devices, const QString &current);

class TScanOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TScanOptionsDialog(QWidget *parent = nullptr);
    void Load(const TScanSettings &settings);
    void Store(TScanSettings &settings) const;

private:
    QComboBox *m_mode = nullptr;
    QSpinBox *m_dpi = nullptr;
    QSpinBox *m_brightness = nullptr;
    QSpinBox *m_contrast = nullptr;
    QCheckBox *m_feeder = nullptr;
    QDoubleSpinBox *m_left = nullptr;
    QDoubleSpinBox *m_top = nullptr;
    QDoubleSpinBox *m_width = nullptr;
    QDoubleSpinBox *m_height = nullptr;
};

// The dialog on the settings: false when cancelled (the settings unchanged).
bool EditScanOptions(QWidget *parent, TScanSettings &settings);

} // namespace orva::imaging
