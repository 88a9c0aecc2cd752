// Where a host-named audio file (AUDIOFILE) lies on this machine. The host names either a bare file
// in the work folder, which Orva writes and deletes, or a file on a share it maps with "pathmap",
// which Orva only reads. Anything else is refused, so that a host name can never reach a file
// outside those places.
#pragma once

#include <QByteArray>
#include <QString>

struct TAudioFileRef {
    enum class Kind {
        None,     // no file named
        WorkFile, // a bare name, in the work folder: read, written and deleted
        Shared,   // under a mapped share: read only
        Refused,  // any other name
    };
    Kind kind = Kind::None;
    QString path; // the local path (WorkFile, Shared)

    bool writable() const { return kind == Kind::WorkFile; }
    bool usable() const { return kind == Kind::WorkFile || kind == Kind::Shared; }
};

// `name` as the host sent it (CR, LF and blanks around it are ignored); `workFolder` is local.
TAudioFileRef ResolveAudioFile(const QByteArray &name, const QString &workFolder);
