// The grid panel's rules without a widget: width factors and the column widths they give, field
// 18 (fixed rows and columns), the cells of a row field and the data of the end-of-update event.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QList>

namespace GridPanelRules {

// Bounds for host-given counts: a grid this size is already more than a user can read.
constexpr int kMaxRows = 100000;
constexpr int kMaxColumns = 1000;

struct Factors {
    bool ok = false;
    QByteArray badItem;    // the first item that is not a number
    QList<double> factors; // as written (not normalised); negative ones read as 0
    double sum = 0;
};
// Blanks removed, comma-separated decimals (read with "." in every locale).
Factors parseWidthFactors(const QByteArray &text);
// Factors divided by their sum (unchanged when the sum is 0).
QList<double> normalised(const QList<double> &factors);
// Every column but the last gets the whole part of available x factor, the last what remains;
// nothing is below 0.
QList<int> columnWidths(const QList<double> &factors, int available);
// Factors from current widths; equal ones when the client width is not positive.
QList<double> factorsFromWidths(const QList<int> &widths, int clientWidth);

struct Fixed {
    int rows = 1;
    int columns = 0;
};
// "rows,columns": the first number (1 when not a number) and the second (0 when not a number),
// clamped to what a grid can hold.
Fixed readFixed(const QByteArray &field18);
// The counts a grid needs for the fixed rows and columns: a fixed count not below the count grows
// the count to it + 1.
int grownCount(int fixed, int count);

// The cells of a row field for `columns` columns ("]" between cells; missing cells are empty).
QList<QByteArray> rowCells(const QByteArray &field, int columns);

// The data of the end-of-update event: the cells of `firstRow` each followed by 0xFD, 0x03, then
// the cells of `lastRow` the same way.
HostProtocol::EncodedValue endUpdateData(const QList<QByteArray> &firstRow, const QList<QByteArray> &lastRow);

} // namespace GridPanelRules
