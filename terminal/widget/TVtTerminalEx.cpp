// Extended terminal control.
#include "terminal/widget/TVtTerminalEx.h"

#include "common/Trace.h"
#include "terminal/core/TVtKeyTranslation.h"

#include <QMouseEvent>

TVtTerminalEx::TVtTerminalEx(QWidget *parent) : TVtCustomTerminal(parent) {}

TVtTerminalEx::~TVtTerminalEx() {
    ORVA_TRACE(QStringLiteral("TVtTermainalEx.Destroy"), QString());
    // Back to the private emulator before the owned one goes.
    SetEmulator(nullptr);
}

void TVtTerminalEx::setEmulator(std::unique_ptr<TVtTerminalEmulator> emulator) {
    SetEmulator(emulator.get());
    m_owned = std::move(emulator);
}

uint32_t TVtTerminalEx::DefForeColor() const {
    return CurrentEmulator()->Buffer().GetDefForeColor();
}

uint32_t TVtTerminalEx::DefBackColor() const {
    return CurrentEmulator()->Buffer().GetDefBackColor();
}

void TVtTerminalEx::SetDefForeColor(uint32_t color) {
    TVtTerminalBuffer &b = CurrentEmulator()->Buffer();
    if (b.GetForeColor() == b.GetDefForeColor())
        b.SetForeColor(color);
    b.SetDefForeColor(color);
    repaintChanged();
}

void TVtTerminalEx::SetDefBackColor(uint32_t color) {
    TVtTerminalBuffer &b = CurrentEmulator()->Buffer();
    if (b.GetBackColor() == b.GetDefBackColor())
        b.SetBackColor(color);
    b.SetDefBackColor(color);
    setColor(color);
    repaintChanged();
}

uint32_t TVtTerminalEx::ForeColor() const {
    return CurrentEmulator()->Buffer().GetForeColor();
}

void TVtTerminalEx::SetForeColor(uint32_t color) {
    CurrentEmulator()->Buffer().SetForeColor(color);
}

void TVtTerminalEx::repaintChanged() {
    // Colour changes touch history rows too, which the buffer does not report as changed.
    RepaintAll();
}

void TVtTerminalEx::setColorTexts(const QByteArray &fore, const QByteArray &back, const QByteArray &bold) {
    TVtVT100EmulatorEx *ex = EmulatorEx();
    if (!ex)
        return;
    ex->SetForeColorsStr(fore);
    ex->SetBackColorsStr(back);
    ex->SetBoldColorsStr(bold);
}

QByteArray TVtTerminalEx::foreColorText() const {
    const TVtVT100EmulatorEx *ex = EmulatorEx();
    return ex ? ex->ForeColorsStr() : TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors());
}

QByteArray TVtTerminalEx::backColorText() const {
    const TVtVT100EmulatorEx *ex = EmulatorEx();
    return ex ? ex->BackColorsStr() : TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors());
}

QByteArray TVtTerminalEx::boldColorText() const {
    const TVtVT100EmulatorEx *ex = EmulatorEx();
    return ex ? ex->BoldColorsStr() : TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::BoldDefaults());
}

void TVtTerminalEx::mousePressEvent(QMouseEvent *event) {
    m_leftPress = event->button() == Qt::LeftButton;
    TVtCustomTerminal::mousePressEvent(event);
}

void TVtTerminalEx::mouseReleaseEvent(QMouseEvent *event) {
    TVtCustomTerminal::mouseReleaseEvent(event);
    // Only a left click that selected exactly one cell counts: right-clicks open the terminal's menu and
    // a drag down one column is a selection, neither a menu choice.
    if (!m_smartMouse || event->button() != Qt::LeftButton || !m_leftPress || !Selection().SingleCell())
        return;
    m_leftPress = false;
    const TVtCellPos cell = Selection().StartCell();
    emit smartMouseClick(int(Qt::LeftButton), ShiftStateOf(event->modifiers()),
                         DigitRunAt(GetRowText(cell.Row), cell.Col));
}
