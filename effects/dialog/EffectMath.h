// The arithmetic of the filters-and-effects dialog, apart from its widgets: preview and picture
// coordinates, the numeric edit boxes, the hue offsets and the help topic names.
#pragma once

#include <QRect>
#include <QString>

namespace orva::effects {

// A rectangle as left, top and the right and bottom edges (one past the last pixel), the way the
// crop rectangle and the rubber band hold it.
struct TEdges {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TEdges &) const = default;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    TEdges normalised() const;
    TEdges clippedTo(int width, int height) const;
};

// Scales edges from one size to another (both held at 1 pixel at least), rounding each.
TEdges ScaleEdges(const TEdges &edges, int fromWidth, int fromHeight, int toWidth, int toHeight);

// Integer edit box: the value its text stands for, clamped to the range ("" is 0, a lone "-" is -1,
// anything else that is not a number is 0), and the text the box should show when it must change.
struct TBoxValue {
    int Value = 0;
    QString Text; // empty: leave the box as typed
};
TBoxValue IntegerBoxValue(const QString &text, int minimum, int maximum);
// Decimal edit box of a bar that counts tenths: the bar position for the text (ten times the number,
// rounded, clamped), and the text to show when it must change.
TBoxValue DecimalBoxValue(const QString &text, int minimum, int maximum);
// The text a decimal box shows for a bar position ("%3.2f" of position / 10).
QString DecimalBoxText(int position);
// Whether a typed character may enter the box.
bool IntegerBoxAccepts(QChar c, QChar decimalSeparator);
bool DecimalBoxAccepts(QChar c, QChar decimalSeparator);

// Hue offset passed for a hue bar position: position - 180 for all colours, - 60 for one channel.
int HueOffset(int position, bool allColours);
// Saturation and brightness offsets: position - 100.
int PercentOffset(int position);

// The help topic of a tab caption: blanks become "_", with the three named exceptions.
QString HelpTopic(const QString &tabCaption);

} // namespace orva::effects
