// Return text, audio commands and abbreviation look-ups.
#include "editor/report/HostRequests.h"

namespace {
constexpr char ENQ = '\x05';
constexpr char ETX = '\x03';
constexpr char ACK = '\x06';
} // namespace

QByteArray WithoutControls(const QByteArray &text) {
    QByteArray out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    return out;
}

QByteArray BuildReturnText(const QByteArray &markup, const QByteArray &returnConf, int audioStart,
                           int audioEnd) {
    if (returnConf.isEmpty())
        return markup;
    return markup + "\r\n*^KX_RETURNCONF~" + returnConf + "\r\n^KX_AUDIOFILEPOS~" +
           QByteArray::number(audioStart) + ';' + QByteArray::number(audioEnd);
}

QByteArray AudioCommandMessage(const QByteArray &entryName, const QByteArray &command) {
    return ENQ + QByteArray("AUDIO") + ETX + WithoutControls(entryName) + ETX + WithoutControls(command) +
           ETX + ACK;
}

QByteArray AbbreviationLookupMessage(const QByteArray &abbreviation) {
    return ENQ + QByteArray("ABR") + ETX + WithoutControls(abbreviation) + ETX + ACK;
}

LookupState MatchLookupAnswer(const QByteArray &requested, const QByteArray &answerName,
                              const QByteArray &answer) {
    if (answerName.isEmpty())
        return answer == kAbbreviationNotFound ? LookupState::NotFound : LookupState::Waiting;
    if (answerName.trimmed().toLower() != requested.trimmed().toLower())
        return LookupState::Waiting;
    return answer.isEmpty() || answer == kAbbreviationNotFound ? LookupState::NotFound : LookupState::Found;
}
