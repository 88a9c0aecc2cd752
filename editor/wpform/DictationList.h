// The dictations of a report (AUDIOTEXTINFO): entries with their status, the captions of each
// status, the placeholder text of a dictation to come and the rules for filling placeholders.
#pragma once

#include "editor/report/EditorAudioStatus.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

struct TAudioTextRecord {
    QByteArray Name;
    int Status = AudioRecording; // a TAudioStatus
    QByteArray ProcCode;
    QByteArray Description;
    bool Typed = false;
    QByteArray Text; // lines joined by CR LF
    bool Batched = false;
    // Made by "Insert Audio" in this report: the host holds no recording of it yet.
    bool Inserted = false;
};
using TAudioTextRecords = QList<TAudioTextRecord>;

// Entries split at "]", sorted by their whole text, fields split at "\"; entries of fewer than four
// fields are skipped.
TAudioTextRecords ParseAudioTextInfo(const QByteArray &value);
QString StatusCaption(int status);
// The character that opens a placeholder's text.
inline constexpr QChar kPlaceholderMark = u'\u00A8';
// kPlaceholderMark "INSERT AUDIO HERE-" name;code;description
QString PlaceholderText(const TAudioTextRecord &r);
// The entry a placeholder's text (after "-") asks for: "*" matches any name or code; a "*" name
// also needs the description. -1 when none has corrected text.
int PlaceholderMatch(const TAudioTextRecords &records, const QString &placeholder);
// The same rule for many placeholders: the entries with corrected text are indexed once, so that a
// report full of placeholders is matched in time linear in its size. Holds only the entries' keys.
class PlaceholderMatcher {
public:
    explicit PlaceholderMatcher(const TAudioTextRecords &records);
    int match(const QString &placeholder) const;

private:
    struct Candidate {
        int index;
        QString code; // case folded
    };
    int first(const QList<Candidate> *candidates, const QString &code) const;
    QHash<QString, QList<Candidate>> m_byName;        // case-folded name
    QHash<QString, QList<Candidate>> m_byDescription; // for a "*" name
};
// The status after the entry's text is inserted (used and unused toggle for recordings).
void MarkInserted(TAudioTextRecord &r);
// What the host is asked for an entry when the user plays it: a new recording, the playback of
// one already typed (the host keeps the report's session), a correction of recognised text, or a
// plain playback.
QByteArray AudioCommandFor(const TAudioTextRecord &r);
// Characters the host cannot take inside a command: control bytes and the separators.
QByteArray SafeEntryName(const QByteArray &name);
