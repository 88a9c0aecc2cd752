// Width factors, fixed rows and columns and the end-of-update data of the grid panel.
#include "hostforms/forms/GridPanelRules.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace GridPanelRules {

using namespace HostProtocol;

Factors parseWidthFactors(const QByteArray &text) {
    QByteArray t = text.trimmed();
    t.replace(' ', QByteArray());
    Factors out;
    for (const QByteArray &item : t.split(',')) {
        bool ok = false;
        const double v = QLocale::c().toDouble(QString::fromLatin1(item), &ok);
        if (!ok || !std::isfinite(v)) {
            out.badItem = item;
            out.factors.clear();
            return out;
        }
        const double f = std::max(0.0, v);
        out.factors.append(f);
        out.sum += f;
    }
    out.ok = true;
    return out;
}

QList<double> normalised(const QList<double> &factors) {
    double sum = 0;
    for (double f : factors) {
        sum += f;
    }
    if (sum <= 0) {
        return factors;
    }
    QList<double> out;
    for (double f : factors) {
        out.append(f / sum);
    }
    return out;
}

QList<int> columnWidths(const QList<double> &factors, int available) {
    QList<int> out;
    const int whole = std::max(0, available);
    int used = 0;
    for (qsizetype i = 0; i < factors.size(); ++i) {
        if (i + 1 == factors.size()) {
            out.append(std::max(0, whole - used));
            break;
        }
        const double w = std::clamp(std::floor(whole * factors[i]), 0.0, double(whole));
        out.append(int(w));
        used += int(w);
    }
    return out;
}

QList<double> factorsFromWidths(const QList<int> &widths, int clientWidth) {
    QList<double> out;
    for (int w : widths) {
        out.append(clientWidth > 0 ? std::max(0, w) / double(clientWidth)
                                   : (widths.isEmpty() ? 0.0 : 1.0 / double(widths.size())));
    }
    return out;
}

Fixed readFixed(const QByteArray &field18) {
    const QList<QByteArray> parts = field18.split(',');
    Fixed f;
    if (const std::optional<qint64> r = readInteger(parts.value(0))) {
        f.rows = int(std::clamp<qint64>(*r, 0, kMaxRows - 1));
    }
    f.columns = 0;
    if (const std::optional<qint64> c = readInteger(parts.value(1))) {
        f.columns = int(std::clamp<qint64>(*c, 0, kMaxColumns - 1));
    }
    return f;
}

int grownCount(int fixed, int count) {
    return fixed >= count ? fixed + 1 : count;
}

QList<QByteArray> rowCells(const QByteArray &field, int columns) {
    const QList<QByteArray> parts = field.split(']');
    QList<QByteArray> out;
    for (int c = 0; c < columns; ++c) {
        out.append(parts.value(c));
    }
    return out;
}

EncodedValue endUpdateData(const QList<QByteArray> &firstRow, const QList<QByteArray> &lastRow) {
    auto cells = [](const QList<QByteArray> &row) {
        QList<EncodedValue> v;
        for (const QByteArray &c : row) {
            v.append(userText(c));
        }
        return joinValues(v, kValueMark, true);
    };
    return joinValues({cells(firstRow), cells(lastRow)}, kFieldSeparator, false);
}

} // namespace GridPanelRules
