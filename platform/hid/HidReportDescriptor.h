// What a HID report descriptor says about a device's input reports: the longest one in bytes as
// the callers count it (one report-ID byte plus the data) and whether reports carry an ID byte.
#pragma once

#include <QByteArray>

struct HidReportLayout {
    // Largest input report in bytes + 1; 0 when the device has no input reports.
    int InputReportByteLength = 0;
    // The device declares report IDs, so the first byte of every report is its ID.
    bool NumberedReports = false;
};

// Walks the descriptor's short and long items; a truncated or malformed tail ends the walk and
// what was read up to there counts.
HidReportLayout ParseReportDescriptor(const QByteArray &descriptor);
