// What a merge field of a template ("<<" content ">>") becomes, from the report record and the tag
// list; and the abbreviation markup written for a formatted selection.
#pragma once

#include "editor/report/TReportRecord.h"

#include <QByteArray>
#include <QByteArrayList>

struct MergeFieldValue {
    QByteArray text;
    bool changeable = false;
    bool placeholder = false; // a prompt the user fills in (field data 20)
};

// `mainText`: the field lies in the report's main text (prompts and changeable values), not in the
// header or footer.
MergeFieldValue MergeFieldValueFor(const QByteArray &content, bool mainText, const TReportRecord &record,
                                   const QByteArrayList &tags);

// Field data of a placeholder field.
constexpr int PlaceholderFieldData = 20;
