// The arithmetic of the filters-and-effects dialog.
#include "effects/dialog/EffectMath.h"

#include <algorithm>
#include <cmath>

namespace orva::effects {

TEdges TEdges::normalised() const {
    return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
}

TEdges TEdges::clippedTo(int width, int height) const {
    return {std::clamp(Left, 0, width), std::clamp(Top, 0, height), std::clamp(Right, 0, width),
            std::clamp(Bottom, 0, height)};
}

TEdges ScaleEdges(const TEdges &e, int fromWidth, int fromHeight, int toWidth, int toHeight) {
    // In floating point: the sizes differ by large factors, and a size of 0 (a window being laid out)
    // counts as 1.
    const double sx = double(std::max(1, toWidth)) / std::max(1, fromWidth);
    const double sy = double(std::max(1, toHeight)) / std::max(1, fromHeight);
    auto scale = [](int v, double f) { return static_cast<int>(std::clamp(std::round(v * f), -1e9, 1e9)); };
    return {scale(e.Left, sx), scale(e.Top, sy), scale(e.Right, sx), scale(e.Bottom, sy)};
}

TBoxValue IntegerBoxValue(const QString &text, int minimum, int maximum) {
    if (text.isEmpty())
        return {std::clamp(0, minimum, maximum), QString::number(std::clamp(0, minimum, maximum))};
    if (text == QLatin1String("-"))
        return {std::clamp(-1, minimum, maximum), QString::number(std::clamp(-1, minimum, maximum))};
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    const int value = static_cast<int>(std::clamp<qlonglong>(ok ? v : 0, minimum, maximum));
    if (ok && v == value)
        return {value, QString()};
    return {value, QString::number(value)};
}

TBoxValue DecimalBoxValue(const QString &text, int minimum, int maximum) {
    QString t = text;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String(".") || t == QLatin1String("-.")) {
        const int value = std::clamp(t.startsWith(QLatin1Char('-')) ? -10 : 0, minimum, maximum);
        return {value, DecimalBoxText(value)};
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    const double tenths = ok && std::isfinite(v) ? std::round(v * 10) : 0.0;
    const int value = static_cast<int>(std::clamp<double>(tenths, minimum, maximum));
    if (ok && tenths == value)
        return {value, QString()};
    return {value, DecimalBoxText(value)};
}

QString DecimalBoxText(int position) {
    return QString::asprintf("%3.2f", position / 10.0);
}

bool IntegerBoxAccepts(QChar c, QChar decimalSeparator) {
    return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == decimalSeparator;
}

bool DecimalBoxAccepts(QChar c, QChar decimalSeparator) {
    return c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.') || c == decimalSeparator;
}

int HueOffset(int position, bool allColours) {
    return position - (allColours ? 180 : 60);
}

int PercentOffset(int position) {
    return position - 100;
}

QString HelpTopic(const QString &tabCaption) {
    if (tabCaption == QLatin1String("AutoContrast"))
        return QStringLiteral("Auto_Contrast");
    if (tabCaption == QLatin1String("HalfTone"))
        return QStringLiteral("Half_Tone");
    if (tabCaption == QLatin1String("Noisify"))
        return QStringLiteral("Noise_Effect");
    QString topic = tabCaption;
    return topic.replace(QLatin1Char(' '), QLatin1Char('_'));
}

} // namespace orva::effects
