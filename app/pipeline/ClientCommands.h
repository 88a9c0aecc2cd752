// handleobject and the client commands of request type 10: open files and image lists, the host
// capture file, the host-sent abbreviation list, and information messages.
#pragma once

#include "app/pipeline/PipelineSinks.h"
#include "common/objectrequest/TObjectRequest.h"
#include "platform/files/CaptureFile.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <memory>

// The abbreviation list the host maintains (client command 4) and the answers read by the editor.
struct THostAbbreviations {
    QList<QPair<QByteArray, QByteArray>> List; // name, text; names compared without case
    // AbbreviationStatus: the result of the last command 4 ("reset", "append", "replace", ...).
    QByteArray AbbreviationStatus;
    // The answer of a look-up, set only by a name=value command or "!!NOT FOUND!!", so that list
    // maintenance arriving during a look-up is not taken for its answer.
    QByteArray LookupAnswer;
    // The name that answer is for (lower case, trimmed); empty for a bare "!!NOT FOUND!!".
    QByteArray LookupName;
    // A client command 4 has come: the host keeps a list, and the editor may ask it.
    bool ListCreated = false;

    // The text of the first entry whose name matches without case; empty when none does.
    QByteArray value(const QByteArray &name) const;
    void setValue(const QByteArray &name, const QByteArray &text);
    // One "name=text" entry as the host sends it in the append and replace forms.
    void appendEntry(const QByteArray &entry);
};

// Entry 0 of a client command (request type 10).
enum class ClientCommandCode { OpenFile = 1, StartCapture, StopCapture, Abbreviation, Information };

class ClientCommands {
public:
    using Defer = std::function<void(std::function<void()>)>;

    // `captureDirectory`: the only folder the host may write capture files in (created when missing).
    ClientCommands(PipelineSinks &sinks, Defer defer, QString captureDirectory);

    // Runs one object request (the text between 0x9F and 0x9B). Returns empty on success, else the
    // E001, E002 or E003 text (also traced).
    QByteArray handleobject(const QByteArray &text);

    // Where a host-named capture file goes: under the capture folder, or empty with `reply` set to
    // the byte the host gets ("3" for a refused or unmakeable folder, "2" for a bad file name).
    QString captureTarget(const QByteArray &hostPath, char &reply) const;

    THostAbbreviations Abbreviations;
    // The file the host writes through client commands 2 and 3: bytes as received (transformed), in a
    // new file readable by the owner only that replaces the old one as soon as the capture starts.
    CaptureFile Capture;
    QString CaptureDirectory;
    // The file the user chose for the import under way (absolute, clean; empty when none): the host
    // may write that one file wherever it lies. Any other path it names stays in the capture folder.
    QString ImportTarget;

    // The bytes a received capture transformation produces: 0x02 → 0xFC, 0x03 → 0xFD, 0xD0 → CR LF.
    static QByteArray captureTransform(const QByteArray &bytes);
    // Writes transformed bytes to the host capture; a failure ends the capture.
    void writeCapture(const QByteArray &bytes);

private:
    void clientCommand(const TObjectRequest &r);
    void openFile(const QByteArray &entry1, const QByteArray &entry2);
    void startCapture(const QByteArray &entry1);
    void stopCapture();
    void abbreviation(const TObjectRequest &r);
    void reply(char byte);

    PipelineSinks &m_sinks;
    Defer m_defer;
};
