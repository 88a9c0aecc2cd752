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
    Mode = new QComboBox(this);
    for (const ModeName &m : kModes)
        Mode->addItem(QLatin1String(m.name), static_cast<int>(m.mode));
    Dpi = new QSpinBox(this);
    Dpi->setRange(30, 3600);
    Dpi->setSuffix(QStringLiteral(" dpi"));
    Brightness = new QSpinBox(this);
    Brightness->setRange(-1000, 1000);
    Contrast = new QSpinBox(this);
    Contrast->setRange(-1000, 1000);
    Feeder = new QCheckBox(QStringLiteral("Use the document feeder"), this);
    Left = inches(this);
    Top = inches(this);
    Width = inches(this);
    Height = inches(this);
    form->addRow(QStringLiteral("Mode:"), Mode);
    form->addRow(QStringLiteral("Resolution:"), Dpi);
    form->addRow(QStringLiteral("Brightness:"), Brightness);
    form->addRow(QStringLiteral("Contrast:"), Contrast);
    form->addRow(QString(), Feeder);
    form->addRow(QStringLiteral("Left:"), Left);
    form->addRow(QStringLiteral("Top:"), Top);
    form->addRow(QStringLiteral("Width:"), Width);
    form->addRow(QStringLiteral("Height:"), Height);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Scan"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setObjectName(QStringLiteral("ScanOptions"));
    Mode->setObjectName(QStringLiteral("Mode"));
    Dpi->setObjectName(QStringLiteral("Dpi"));
    Brightness->setObjectName(QStringLiteral("Brightness"));
    Contrast->setObjectName(QStringLiteral("Contrast"));
    Feeder->setObjectName(QStringLiteral("Feeder"));
    Left->setObjectName(QStringLiteral("Left"));
    Top->setObjectName(QStringLiteral("Top"));
    Width->setObjectName(QStringLiteral("Width"));
    Height->setObjectName(QStringLiteral("Height"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Scan"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
}

void TScanOptionsDialog::Load(const TScanSettings &s) {
    Mode->setCurrentIndex(std::max(0, Mode->findData(static_cast<int>(s.ScanColorres))));
    Dpi->setValue(s.ScanDpi);
    Brightness->setValue(s.ScanBright);
    Contrast->setValue(s.ScanContrast);
    Feeder->setChecked(s.ScanUseAdf);
    Left->setValue(s.sScanLeft);
    Top->setValue(s.sScanTop);
    Width->setValue(s.sScanWidth);
    Height->setValue(s.sScanHeight);
}

void TScanOptionsDialog::Store(TScanSettings &s) const {
    s.ScanColorres = static_cast<TTwainColorres>(Mode->currentData().toInt());
    s.ScanDpi = Dpi->value();
    s.ScanBright = Brightness->value();
    s.ScanContrast = Contrast->value();
    s.ScanUseAdf = Feeder->isChecked();
    s.sScanLeft = Left->value();
    s.sScanTop = Top->value();
    s.sScanWidth = Width->value();
    s.sScanHeight = Height->value();
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
