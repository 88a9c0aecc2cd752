// Reading and writing the word processor's documents as RTF: the subset the control needs
// (text, character and paragraph formats, lists, tables, header and footer, page set-up),
// with fields and linked pictures kept in ignorable destinations so other readers show the text.
#pragma once

#include "platform/richtext/TWpDocument.h"

#include <QByteArray>
#include <QTextCursor>

namespace orva::richtext {

// What a byte string holds, judged from its first bytes rather than a file name.
enum class TWpFileKind { Rtf, BinaryWordProcessor, Other };
TWpFileKind detectFileKind(const QByteArray &head);

QByteArray writeRtf(const TWpDocument &doc);

struct TWpRtfLoadResult {
    bool ok = false;
    TWpPageSetup page;  // the file's page set-up (defaults where it gives none)
    int fieldCount = 0; // fields read
};

// Reads `rtf` into `doc`. Replace mode (insertAt null) empties every part first and takes the
// file's page set-up, header and footer; insert mode writes the main text at *insertAt and
// leaves header, footer and page alone, renumbering fields whose id is already taken.
TWpRtfLoadResult readRtf(const QByteArray &rtf, TWpDocument &doc, QTextCursor *insertAt = nullptr);

// The pictures an RTF document links, without building a document.
QList<TWpPicture> scanRtfPictures(const QByteArray &rtf);

} // namespace orva::richtext
