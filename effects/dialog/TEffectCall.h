// One run of an effect of the effects dialog, apart from the dialog: the tab it comes from, the area,
// the values of the tab's controls in the order its binding takes them, its colours, and the picture
// to paste. RunEffect maps it onto the binding.
#pragma once

#include "effects/dialog/EffectMath.h"
#include "imaging/core/DllSP96.h"

#include <QList>
#include <QString>

namespace orva::effects {

using orva::imageio::DibBlock;

struct TEffectCall {
    QString Tab;
    TEdges Area;
    QList<double> Values;
    QList<QRgb> Colours;
    const DibBlock *Paste = nullptr;

    double value(int i) const { return Values.value(i); }
    int integer(int i) const;
    bool flag(int i) const { return value(i) != 0; }
    QRgb colour(int i) const { return Colours.value(i, qRgb(0, 0, 0)); }
};

// The largest side a pasted picture may be scaled to; larger areas are refused.
constexpr int kMaxPasteSide = 20000;

// Runs the effect on the DIB, which holds the result when this answers true and is unchanged
// otherwise (failure, stop, or a tab without an effect of its own).
bool RunEffect(DibBlock &dib, const TEffectCall &call, void *data = nullptr,
               orva::imageio::ProgressProc progress = nullptr, orva::imaging::TWarpFrameProc frame = nullptr);

} // namespace orva::effects
