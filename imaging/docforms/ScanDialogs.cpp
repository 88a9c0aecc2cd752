// The scanner chooser and the scan options dialog.
#include "imaging/docforms/ScanDialogs.h"
#include "platform/modal/ModalDialog.h"
#include "platform/modal/StandardDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace orva::imaging {

QString ChooseScanSource(QWidget *parent, const QStringList &devices, const QString &current) {
    const int at = std::max(0, static_cast<int>(devices.indexOf(current)));
    return AskItem(parent, QStringLiteral("Select Scanner"), QStringLiteral("Scanner:"), devices, at)
        .value_or(QString());
}

namespace {

struct ModeName {
    TTwainColorres mode;
    const char *name;
};
constexpr ModeName kModes[] = {{t_TW_BW, "Black and white"},      {t_TW_GRAY4, "Gray, 16 shades"},
                               {t_TW_GRAY, "Gray, 256 shades"},   {t_TW_PALETTE, "Colour, 256 colours"},
                               {t_TW_RGB, "Colour, true colour"}, {t_TW_ANYTYPE, "As the scanner delivers"}};

QDoubleSpinBox *inches(QWidget *parent) {
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(0, 100);
    box->setDecimals(2);
    box->setSingleStep(0.25);
    box->setSuffix(QStringLiteral(" in"));
    return box;
}

} // namespace

TScanOptionsDialog::TScanOptionsDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Scan"));
    auto *form = new QFormLayout(this);
    m_mode = new QComboBox(this);
    for (const ModeName &m : kModes)
        m_mode->addItem(QLatin1String(m.name), static_cast<int>(m.mode));
    m_dpi = new QSpinBox(this);
    m_dpi->setRange(30, 3600);
    m_dpi->setSuffix(QStringLiteral(" dpi"));
    m_brightness = new QSpinBox(this);
    m_brightness->setRange(-1000, 1000);
    m_contrast = new QSpinBox(this);
    m_contrast->setRange(-1000, 1000);
    m_feeder = new QCheckBox(QStringLiteral("Use the document feeder"), this);
    m_left = inches(this);
    m_top = inches(this);
    m_width = inches(this);
    m_height = inches(this);
    form->addRow(QStringLiteral("Mode:"), m_mode);
    form->addRow(QStringLiteral("Resolution:"), m_dpi);
    form->addRow(QStringLiteral("Brightness:"), m_brightness);
    form->addRow(QStringLiteral("Contrast:"), m_contrast);
    form->addRow(QString(), m_feeder);
    form->addRow(QStringLiteral("Left:"), m_left);
    form->addRow(QStringLiteral("Top:"), m_top);
    form->addRow(QStringLiteral("Width:"), m_width);
    form->addRow(QStringLiteral("Height:"), m_height);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Scan"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setObjectName(QStringLiteral("ScanOptions"));
    m_mode->setObjectName(QStringLiteral("Mode"));
    m_dpi->setObjectName(QStringLiteral("Dpi"));
    m_brightness->setObjectName(QStringLiteral("Brightness"));
    m_contrast->setObjectName(QStringLiteral("Contrast"));
    m_feeder->setObjectName(QStringLiteral("Feeder"));
    m_left->setObjectName(QStringLiteral("Left"));
    m_top->setObjectName(QStringLiteral("Top"));
    m_width->setObjectName(QStringLiteral("Width"));
    m_height->setObjectName(QStringLiteral("Height"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Scan"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
}

void TScanOptionsDialog::Load(const TScanSettings &s) {
    m_mode->setCurrentIndex(std::max(0, m_mode->findData(static_cast<int>(s.ScanColorres))));
    m_dpi->setValue(s.ScanDpi);
    m_brightness->setValue(s.ScanBright);
    m_contrast->setValue(s.ScanContrast);
    m_feeder->setChecked(s.ScanUseAdf);
    m_left->setValue(s.sScanLeft);
    m_top->setValue(s.sScanTop);
    m_width->setValue(s.sScanWidth);
    m_height->setValue(s.sScanHeight);
}

void TScanOptionsDialog::Store(TScanSettings &s) const {
    s.ScanColorres = static_cast<TTwainColorres>(m_mode->currentData().toInt());
    s.ScanDpi = m_dpi->value();
    s.ScanBright = m_brightness->value();
    s.ScanContrast = m_contrast->value();
    s.ScanUseAdf = m_feeder->isChecked();
    s.sScanLeft = m_left->value();
    s.sScanTop = m_top->value();
    s.sScanWidth = m_width->value();
    s.sScanHeight = m_height->value();
}

bool EditScanOptions(QWidget *parent, TScanSettings &settings) {
    TScanOptionsDialog dialog(parent);
    dialog.Load(settings);
    if (RunModalDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.Store(settings);
    return true;
}

} // namespace orva::imaging
