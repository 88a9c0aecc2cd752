// The marker of a DYNAMICRANGE field: a circle with a cross and a label, placed at a percentage of
// the width of a range picture and combined into it, saved as a new picture.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QString>

class tDynamicTarget {
public:
    enum Result { Done = 0, SourceNotLoaded = 1, SaveFailed = 2, OutOfRange = 3, SourceTooLarge = 4 };
    // Beyond this many pixels a source picture is refused rather than drawn on.
    static constexpr qint64 kMaxSourcePixels = 40'000'000;

    tDynamicTarget();

    // Percent must be a number from 0 to 100: the picture is widened by at most half a marker.
    int AddTarget(const QString &source, const QString &output, const QByteArray &percent,
                  const QString &label);
    // The marked picture of the last AddTarget that drew one.
    const QImage &Picture() const { return m_picture; }
    static QByteArray ImageError(int code);

    QPen Pen;
    QFont Font;
    // How long the source picture's share may take to answer.
    int SourceWaitMs = 10000;

private:
    QImage m_picture;
};
