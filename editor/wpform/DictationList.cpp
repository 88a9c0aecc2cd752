// Dictation entries of a report.
#include "editor/wpform/DictationList.h"

#include "common/HostText.h"
#include "editor/report/EditorAudioStatus.h"

#include <algorithm>

TAudioTextRecords ParseAudioTextInfo(const QByteArray &value) {
    QByteArrayList entries = value.split(']');
    std::sort(entries.begin(), entries.end());
    TAudioTextRecords out;
    for (const QByteArray &entry : std::as_const(entries)) {
        const QByteArrayList f = entry.split('\\');
        if (f.size() < 4)
            continue;
        TAudioTextRecord r;
        r.Name = f.at(0);
        bool numeric = false;
        const int type = f.at(1).trimmed().toInt(&numeric);
        r.Status = numeric ? AudioStatusCode(type) : AudioRecording;
        r.ProcCode = f.at(2);
        r.Description = f.at(3);
        r.Batched = f.size() > 4 && f.at(4).trimmed().compare("B", Qt::CaseInsensitive) == 0;
        r.Text = f.mid(5).join("\r\n");
        if (r.Text.isEmpty() && r.Status > AudioRecordingUsed)
            r.Status = AudioRecordingUsed;
        if (r.Batched)
            r.Status = AudioBatched;
        out.append(r);
    }
    return out;
}

QString StatusCaption(int status) {
    static const char *const captions[] = {
        "Recording",      "Recording (Used)",      "Recognised Text", "Recognised Text (Used)",
        "Corrected Text", "Corrected Text (Used)", "Batched Text"};
    return status >= AudioRecording && status <= AudioBatched ? QString::fromLatin1(captions[status])
                                                              : QString();
}

QString PlaceholderText(const TAudioTextRecord &r) {
    return kPlaceholderMark + QStringLiteral("INSERT AUDIO HERE-") + HostText::toUnicode(r.Name) + ';' +
           HostText::toUnicode(r.ProcCode) + ';' + HostText::toUnicode(r.Description);
}

int PlaceholderMatch(const TAudioTextRecords &records, const QString &placeholder) {
    return PlaceholderMatcher(records).match(placeholder);
}

PlaceholderMatcher::PlaceholderMatcher(const TAudioTextRecords &records) {
    for (int i = 0; i < records.size(); ++i) {
        const TAudioTextRecord &r = records.at(i);
        if (r.Status != AudioCorrected && r.Status != AudioCorrectedUsed)
            continue;
        const Candidate c{i, HostText::toUnicode(r.ProcCode).toCaseFolded()};
        m_byName[HostText::toUnicode(r.Name).toCaseFolded()].append(c);
        m_byDescription[HostText::toUnicode(r.Description)].append(c);
    }
}

int PlaceholderMatcher::match(const QString &placeholder) const {
    const QString fields = placeholder.mid(placeholder.indexOf('-') + 1);
    const QStringList parts = fields.split(';');
    const QString name = parts.value(0), code = parts.value(1), description = parts.value(2);
    if (name == QStringLiteral("*")) {
        const auto found = m_byDescription.constFind(description);
        return first(found == m_byDescription.cend() ? nullptr : &*found, code);
    }
    const auto found = m_byName.constFind(name.toCaseFolded());
    return first(found == m_byName.cend() ? nullptr : &*found, code);
}

int PlaceholderMatcher::first(const QList<Candidate> *candidates, const QString &code) const {
    if (!candidates)
        return -1;
    const bool anyCode = code == QStringLiteral("*");
    const QString folded = code.toCaseFolded();
    for (const Candidate &c : *candidates)
        if (anyCode || c.code == folded)
            return c.index;
    return -1;
}

void MarkInserted(TAudioTextRecord &r) {
    switch (r.Status) {
    case AudioRecording:
        r.Status = AudioRecordingUsed;
        r.Typed = true;
        break;
    case AudioRecordingUsed:
        r.Status = AudioRecording;
        r.Typed = false;
        break;
    case AudioRecognised:
    case AudioCorrected:
        ++r.Status; // to its "used" status
        r.Typed = true;
        break;
    default:
        r.Typed = true;
        break;
    }
}

QByteArray AudioCommandFor(const TAudioTextRecord &r) {
    if (r.Inserted || r.Name.compare("NewRecording", Qt::CaseInsensitive) == 0)
        return "RECORD^KX_ALWAYSONTOP~1";
    if (r.Typed)
        return "PLAYBACK^KX_ALWAYSONTOP~1^KX_DONTESCAPE~1";
    if (r.Status == AudioRecognised || r.Status == AudioRecognisedUsed)
        return "CORRECT";
    return "PLAYBACK^KX_ALWAYSONTOP~1";
}

QByteArray SafeEntryName(const QByteArray &name) {
    QByteArray out;
    for (char c : name)
        if (uchar(c) >= 0x20 && c != '^' && c != '~' && c != ';' && c != '\x7F')
            out += c;
    return out;
}
