// Formats a value by a host conversion mask such as "r2(#8)" or "l(%5)" (justification, fill,
// width, decimals, scaling, money and the credit/debit options c, d, n, m, e).
#pragma once

#include <QByteArray>

namespace d3FormatUnit {

// Widths above this are refused (the mask comes from the host; a huge width would allocate per cell).
constexpr int kMaxMaskWidth = 1000;

QByteArray FormatD3Mask(const QByteArray &mask, const QByteArray &value);

} // namespace d3FormatUnit
