// What the editor sends the host besides the upload itself: the return text with its return tags,
// the audio command and the abbreviation look-up, and how a look-up's answer is recognised.
#pragma once

#include <QByteArray>
#include <QPair>
#include <functional>

// Commands of the audio command message.
inline const QByteArray kAudioPlaybackTyped = "PLAYBACK^KX_ALWAYSONTOP~1^KX_DONTESCAPE~1";
inline const QByteArray kAudioCorrect = "CORRECT";
inline const QByteArray kAudioPlayback = "PLAYBACK^KX_ALWAYSONTOP~1";
inline const QByteArray kAudioRecord = "RECORD^KX_ALWAYSONTOP~1";
// The host's answer when it has no such abbreviation.
inline const QByteArray kAbbreviationNotFound = "!!NOT FOUND!!";

// The text with every C0 control character (0x00-0x1F) removed, so that it cannot end a field of a
// message early.
QByteArray WithoutControls(const QByteArray &text);

// The report's host markup, and when the host asked for a confirmation (RETURNCONF) the return tags:
// CR LF "*^KX_RETURNCONF~" conf CR LF "^KX_AUDIOFILEPOS~" start ";" end. The confirmation goes back
// byte for byte, as the host sent it.
QByteArray BuildReturnText(const QByteArray &markup, const QByteArray &returnConf, int audioStart,
                           int audioEnd);

// ENQ "AUDIO" ETX entry ETX command ETX ACK.
QByteArray AudioCommandMessage(const QByteArray &entryName, const QByteArray &command);
// ENQ "ABR" ETX abbreviation ETX ACK.
QByteArray AbbreviationLookupMessage(const QByteArray &abbreviation);

// What the editor reads of the host's abbreviation list (client command 4). The main window installs
// it over its receive pipeline; an empty function reads as "no list".
struct THostAbbreviationAccess {
    // A client command 4 has come in this session.
    std::function<bool()> ListCreated;
    // The list's text for a name (case ignored); empty when none.
    std::function<QByteArray(const QByteArray &name)> Value;
    // Forgets the last look-up answer.
    std::function<void()> ClearAnswer;
    // The last look-up answer: the name it answers (empty for a bare "!!NOT FOUND!!") and its text.
    std::function<QPair<QByteArray, QByteArray>()> Answer;
};

enum class LookupState { Waiting, Found, NotFound };
// Whether the last answer ends the look-up of `requested`: only an answer for that name (lower case,
// trimmed) or a bare "!!NOT FOUND!!" does; an answer for another name was meant for an earlier
// look-up that gave up.
LookupState MatchLookupAnswer(const QByteArray &requested, const QByteArray &answerName,
                              const QByteArray &answer);
