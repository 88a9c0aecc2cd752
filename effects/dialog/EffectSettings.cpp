// The settings file of the effects dialog.
#include "effects/dialog/EffectSettings.h"

#include "common/WinColor.h"
#include "effects/dialog/TIniFile.h"
#include "platform/settings/SettingsFolder.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QStandardPaths>

namespace orva::effects {

namespace {

const QString kDefEdit = QStringLiteral("DEF_FL_EDIT");
const QString kDefCheck = QStringLiteral("DEF_FL_CHECK");
const QString kDefRadio = QStringLiteral("DEF_FL_RADIO");
const QString kDefColor = QStringLiteral("DEF_FL_COLOR");
const QString kEdit = QStringLiteral("FL_EDIT");
const QString kCheck = QStringLiteral("FL_CHECK");
const QString kRadio = QStringLiteral("FL_RADIO");
const QString kPos = QStringLiteral("FL_POS");
const QString kColor = QStringLiteral("FL_COLOR");
const QString kCustom = QStringLiteral("CustomColors");
const QString kActivePage = QStringLiteral("ActivePage");
const QString kRubberband = QStringLiteral("FL_RUBBERBAND");
const QString kColourKeys[3] = {QStringLiteral("BackGroundColor"), QStringLiteral("ForeGroundColor"),
                                QStringLiteral("MaskColor")};
const QString kPosKeys[4] = {QStringLiteral("LEFT"), QStringLiteral("TOP"), QStringLiteral("WIDTH"),
                             QStringLiteral("HEIGHT")};
const QString kCropKeys[4] = {QStringLiteral("CropX"), QStringLiteral("CropY"), QStringLiteral("CropWidth"),
                              QStringLiteral("CropHeight")};

// Controls are stored by name; the parts Qt makes inside its own widgets have none or a "qt_" one.
template <typename T> QList<T *> namedControls(const QWidget *form) {
    QList<T *> out;
    for (T *c : form->findChildren<T *>())
        if (!c->objectName().isEmpty() && !c->objectName().startsWith(QLatin1String("qt_")))
            out.append(c);
    return out;
}

QColor *colourSlot(TEffectColours &c, int i) {
    return i == 0 ? &c.Background : i == 1 ? &c.Foreground : &c.Mask;
}

QString colourValue(const QColor &c) {
    return QString::number(qColorToBgr(c));
}

void writeDefaults(TIniFile &ini, const TControlValues &builtIn) {
    for (const auto &[name, text] : builtIn.Edits)
        ini.write(kDefEdit, name, text);
    for (const auto &[name, on] : builtIn.Checks)
        ini.write(kDefCheck, name, on ? QStringLiteral("1") : QStringLiteral("0"));
    for (const auto &[name, on] : builtIn.Radios)
        ini.write(kDefRadio, name, on ? QStringLiteral("1") : QStringLiteral("0"));
    TEffectColours colours = builtIn.Colours;
    for (int i = 0; i < 3; ++i)
        ini.write(kDefColor, kColourKeys[i], colourValue(*colourSlot(colours, i)));
}

// Radio buttons of one group are set with their exclusiveness off (a checked one cannot be unchecked
// otherwise); afterwards each group has exactly one checked: the built-in one when none is.
void applyRadios(QWidget *form, const TIniFile &ini, const QString &section, const TControlValues &builtIn) {
    QMap<QString, bool> defaults;
    for (const auto &[name, on] : builtIn.Radios)
        defaults.insert(name, on);
    const QList<QRadioButton *> radios = namedControls<QRadioButton>(form);
    QMap<QWidget *, QList<QRadioButton *>> groups;
    for (QRadioButton *r : radios)
        if (r->autoExclusive())
            groups[r->parentWidget()].append(r);
    for (QRadioButton *r : radios) {
        const int v = ini.readInteger(section, r->objectName(), kMissingNumber);
        if (v == kMissingNumber)
            continue;
        const bool exclusive = r->autoExclusive();
        r->setAutoExclusive(false);
        r->setChecked(v == 1);
        r->setAutoExclusive(exclusive);
    }
    for (const QList<QRadioButton *> &group : groups) {
        QRadioButton *keep = nullptr;
        for (QRadioButton *r : group)
            if (r->isChecked() && !keep)
                keep = r;
        if (!keep) {
            keep = group.first();
            for (QRadioButton *r : group)
                if (defaults.value(r->objectName()))
                    keep = r;
        }
        for (QRadioButton *r : group) {
            r->setAutoExclusive(false);
            r->setChecked(r == keep);
            r->setAutoExclusive(true);
        }
    }
}

void applyControls(QWidget *form, const TIniFile &ini, const QString &edit, const QString &check,
                   const QString &radio, const TControlValues &builtIn) {
    for (QLineEdit *e : namedControls<QLineEdit>(form)) {
        const QString text = ini.readString(edit, e->objectName(), QLatin1String(kMissingText));
        if (text != QLatin1String(kMissingText))
            e->setText(text);
    }
    for (QCheckBox *c : namedControls<QCheckBox>(form)) {
        const int v = ini.readInteger(check, c->objectName(), kMissingNumber);
        if (v != kMissingNumber)
            c->setChecked(v == 1);
    }
    applyRadios(form, ini, radio, builtIn);
}

void readColours(const TIniFile &ini, const QString &section, TEffectColours &colours) {
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const qlonglong v = ini.readString(section, kColourKeys[i], QString()).toLongLong(&ok);
        if (ok && v >= 0 && v <= 0xFFFFFF)
            *colourSlot(colours, i) = bgrToQColor(static_cast<std::uint32_t>(v));
    }
}

} // namespace

QString DefaultSettingsFile() {
    const QString former =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/orva");
    return SettingsFolder::File(QLatin1String(kEffectSettingsFileName), {former});
}

QString CustomColourLine(int slot, const QColor &colour) {
    const QString hex = QStringLiteral("%1").arg(qColorToBgr(colour), 6, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("Color") + QChar(QLatin1Char(static_cast<char>('A' + slot))) + QLatin1Char('=') +
           hex;
}

std::optional<QColor> ParseCustomColourLine(const QString &line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    bool ok = false;
    const uint v = line.mid(eq + 1).trimmed().toUInt(&ok, 16);
    if (!ok || v > 0xFFFFFF)
        return std::nullopt;
    return bgrToQColor(v);
}

TControlValues CaptureControls(const QWidget *form, const TEffectColours &colours) {
    TControlValues v;
    for (QLineEdit *e : namedControls<QLineEdit>(form))
        v.Edits.append({e->objectName(), e->text()});
    for (QCheckBox *c : namedControls<QCheckBox>(form))
        v.Checks.append({c->objectName(), c->isChecked()});
    for (QRadioButton *r : namedControls<QRadioButton>(form))
        v.Radios.append({r->objectName(), r->isChecked()});
    v.Colours = colours;
    return v;
}

bool EffectSettings(TSettingsMode mode, const QString &path, QWidget *form, const TControlValues &builtIn,
                    TEffectSettingsState &state) {
    TIniFile ini;
    bool written = true;
    if (!QFileInfo::exists(path) || !ini.load(path)) {
        // The defaults are the dialog's built-in values, whatever the controls show by now.
        ini = TIniFile();
        writeDefaults(ini, builtIn);
        written = ini.save(path);
    }
    switch (mode) {
    case TSettingsMode::Reset:
        applyControls(form, ini, kDefEdit, kDefCheck, kDefRadio, builtIn);
        readColours(ini, kDefColor, state.Colours);
        return written;
    case TSettingsMode::Load: {
        applyControls(form, ini, kEdit, kCheck, kRadio, builtIn);
        for (int i = 0; i < 4; ++i) {
            const int v = ini.readInteger(kPos, kPosKeys[i], kMissingNumber);
            if (v != kMissingNumber)
                state.Place[static_cast<std::size_t>(i)] = v;
            const int c = ini.readInteger(kRubberband, kCropKeys[i], kMissingNumber);
            if (c != kMissingNumber)
                state.Crop[static_cast<std::size_t>(i)] = c;
        }
        readColours(ini, kColor, state.Colours);
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            const std::optional<QString> line = ini.value(kCustom, QString::number(i));
            if (!line)
                continue;
            if (const std::optional<QColor> c = ParseCustomColourLine(*line))
                QColorDialog::setCustomColor(i, *c);
        }
        state.Page = ini.readString(kActivePage, QStringLiteral("Page"), QString());
        return written;
    }
    case TSettingsMode::Save:
        for (QLineEdit *e : namedControls<QLineEdit>(form))
            ini.write(kEdit, e->objectName(), e->text());
        for (QCheckBox *c : namedControls<QCheckBox>(form))
            ini.write(kCheck, c->objectName(), c->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        for (QRadioButton *r : namedControls<QRadioButton>(form))
            ini.write(kRadio, r->objectName(), r->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        for (int i = 0; i < 4; ++i) {
            if (state.Place[static_cast<std::size_t>(i)])
                ini.write(kPos, kPosKeys[i], QString::number(*state.Place[static_cast<std::size_t>(i)]));
            if (state.Crop[static_cast<std::size_t>(i)])
                ini.write(kRubberband, kCropKeys[i],
                          QString::number(*state.Crop[static_cast<std::size_t>(i)]));
        }
        for (int i = 0; i < 3; ++i)
            ini.write(kColor, kColourKeys[i], colourValue(*colourSlot(state.Colours, i)));
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            ini.write(kCustom, QString::number(i), CustomColourLine(i, QColorDialog::customColor(i)));
        ini.write(kActivePage, QStringLiteral("Page"), state.Page);
        return ini.save(path);
    }
    return written;
}

} // namespace orva::effects
