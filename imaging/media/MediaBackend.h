// The media player's part of the setup: which of the configured player extensions this machine's
// media backend can open, and the percent a playing clip has reached.
#pragma once

#include <QStringList>

#include <optional>

namespace orva::imaging {

// The extensions (upper case, no dot) that go to the media player rather than the picture readers.
const QStringList &MediaExtensions();
bool IsMediaExtension(const QString &ext);

// The configured list without what the backend cannot open: nothing without a backend, MID and RMI
// only with a MIDI decoder. Order is kept.
QStringList PlayableMciExtensions(const QStringList &configured);

// The playback percent (nearest, ties to even); nothing for a length of 0 or less.
std::optional<int> PlaybackPercent(qint64 position, qint64 length);

} // namespace orva::imaging
