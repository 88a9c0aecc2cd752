// The setup file "orva.inf": one "key = value" per line, read into the process-wide settings.
// Parsing is pure; what the settings do to windows and the terminal is the main window's business.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// One place on the host screen where a request number is read (row and column 1-based).
struct TCaptureSet {
    int Row = 0;
    int Column = 0;
    int Length = 0;
    QByteArray Marker;
    bool operator==(const TCaptureSet &) const = default;
};

// A key-map or substitution line as written: key with blanks removed, and value.
struct TSetupPair {
    QByteArray Key;
    QByteArray Value;
    bool operator==(const TSetupPair &) const = default;
};

// The template, abbreviation, result and capture folders and the custom dictionary are local
// paths: each is translated once through the file's own pathmap lines as the file is read. Image
// sources stay as written (they are shown and compared as the host names them) and are made local
// where they are listed.
struct TOrvaSettings {
    static constexpr int kMaxKeyMaps = 50;
    static constexpr int kMaxCaptureSets = 10;

    bool ShowWarnings = true;
    QString TemplateDirectory;
    QString AbbreviationDirectory;
    QString ResultDirectory;
    // Where host-named capture files may be written: "capturedirectory", else ResultDirectory + "capture/".
    QString CaptureDirectory;
    // Where scanned pages are written ("scandirectory"); empty: scanning is refused.
    QString ScanDirectory;
    // "image tools = yes": the image window also offers the page, tag, annotation, scanning and
    // effects tools of its viewer (they change files on the share, so they are off by default).
    bool ImageTools = false;
    // "mci extensions = WAV, AVI, ...": the files the media player opens (the rest are pictures).
    QStringList MciExtensions{QStringLiteral("WAV"), QStringLiteral("AVI"), QStringLiteral("MOV"),
                              QStringLiteral("MPG"), QStringLiteral("MPEG")};
    QString CustomDictionary;
    QStringList ImageSources{QString()};
    QString SubDirectoryMask;
    QString NoImageName;
    QString SecureImageName;
    bool PrinterAvailable = false;
    bool HaltOnServerFail = true;
    QByteArray HostName;
    int HostPort = 23;
    QByteArray LoginConversation;
    int ScrollLines = 0;
    QList<TCaptureSet> CaptureSets;
    QByteArray EnablePCBeep;
    QByteArray KeySetQuery;
    QByteArray KeySetReply;
    QList<TSetupPair> KeyMapLines;
    QList<TSetupPair> SwapLines;
    QString PrinterName;
    QByteArray D3ListNoFile = "10";
    QByteArray D3ListNoItem = "202";
    QByteArray D3ListBoth = "405";
    QByteArray D3CopyOk = "805";
    QByteArray D3Filed = "[221] '##d3 item## ' filed.";
    QByteArray ForegroundColors; // empty: not given, the emulator's table stays
    QByteArray BackgroundColors;
    QByteArray BoldForegroundColors;
    bool UseGraphicsFont = true;
    int GraphicsFontResource = 0;
    QList<QPair<QString, QString>> PathMap;

    // Lines that were read but could not be used, for the trace (start-up goes on).
    QStringList Problems;
    // "key = value" of each configured Windows path that no pathmap line maps, for one message at
    // start-up. The result and capture folders fall back to their defaults meanwhile.
    QStringList UnmappedPaths;
};

namespace SetupFile {

// Parses the whole text of a setup file (CR LF, LF or CR line ends). programDir ends with "/".
TOrvaSettings Parse(const QByteArray &text, const QString &programDir);

// The pieces of a line the parser uses, for readers that also keep switched-off lines:
// the lines of a text (CR LF, LF or CR ends), a key part with blanks removed in lower case, a value
// trimmed of blanks and control characters, and the text between the first pair of double quotes.
QList<QByteArray> SplitLines(const QByteArray &text);
QByteArray NormalisedKey(const QByteArray &keyPart);
QByteArray TrimValue(const QByteArray &value);
QByteArray Quoted(const QByteArray &value);

// The folder for work files when the setup file names none: $XDG_CACHE_HOME/orva (or ~/.cache/orva),
// created readable by the user only.
QString DefaultResultDirectory();

// A host setting cut into the host and the text after the colon that starts its port: "name",
// "name:port", "[v6]", "[v6]:port", or an IPv6 address written bare (two colons or more), which has
// no port. `HasPort` is false when no port colon is there; the port text may then still be empty.
struct THostParts {
    QByteArray Host;
    bool HasPort = false;
    QByteArray Port;
};
THostParts SplitHostText(const QByteArray &value);

// "host[:port]" → host and port; a missing port gives `fallbackPort`, an unreadable one 23.
QPair<QByteArray, int> SplitHostPort(const QByteArray &value, int fallbackPort);

// The text written when no setup file exists (CR LF after every line but the last).
QByteArray DefaultSetupText();

// The prompt and reply parts of a login conversation: see "prompt" answer "reply".
QByteArray LoginPrompt(const QByteArray &conversation);
QByteArray LoginReply(const QByteArray &conversation);
// The conversation with its reply replaced.
QByteArray WithLoginReply(const QByteArray &conversation, const QByteArray &reply);

} // namespace SetupFile
