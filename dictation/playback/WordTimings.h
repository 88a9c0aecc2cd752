// The word timing list of a recognised dictation (PLAYBACKINFO): entries separated by "]", fields
// by "\": word text (blanks kept), start and end in milliseconds.
#pragma once

#include <QString>

#include <vector>

struct TWordTiming {
    QString Text; // upper case; line breaks and tabs for the "@_" words
    int Start = 0;
    int End = 0;
};

// Line ends in the list are dropped. Entries without a word or with time fields that are not
// integers are skipped, as are words in angle brackets; a word that starts before the end of the
// words before it replaces them.
std::vector<TWordTiming> ParseWordTimings(const QString &list);

// Upper case character by character, so the text keeps its length (no "SS" for "ß").
QString UpperCaseSameLength(const QString &text);
