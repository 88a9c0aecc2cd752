// The one writer of every file the program makes. Work files hold patient data (report copies,
// recordings, captures): created readable by the owner alone from its first byte. Files others use
// too (SharedFile.h) keep their mode. Either way a file is never written through a link planted at
// its name, every write, the flush to disk and the close are checked, and, unless it is a stream
// that must be seen as it grows, it is put in place by a rename so that a failed write leaves the
// old file.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class PrivateFile : public QIODevice {
public:
    enum class Placing {
        OnCommit, // written beside its name and renamed over it by commit(); the old file stays until then
        AtOpen,   // a new file put in place at once (a capture that grows while it is written)
        Append,   // added to the end of the file there is, or a new one
    };

    explicit PrivateFile(QString path, Placing placing = Placing::OnCommit);
    // An uncommitted file written OnCommit is thrown away; a stream is committed.
    ~PrivateFile() override;
    PrivateFile(const PrivateFile &) = delete;
    PrivateFile &operator=(const PrivateFile &) = delete;

    // Makes a private file's folder when missing (see makeFolder) and opens the file for writing; `mode`
    // must be WriteOnly. False with errorString() set when it cannot.
    bool open(OpenMode mode = WriteOnly) override;
    // Writes what is buffered, flushes the file to disk, closes it and (OnCommit) renames it into
    // place. False when any of that or any earlier write failed; the old file then stays.
    bool commit();
    // Stops writing: an OnCommit file is removed, a stream keeps what reached it.
    void cancel();
    // close() commits; its result is in errorString() and failed().
    void close() override;
    bool flush();
    bool failed() const { return m_failed; }

    QString fileName() const { return m_path; }
    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;

    // Makes `folder` and its missing parents, each new one readable by the owner only (0700).
    static bool makeFolder(const QString &folder, QString *error = nullptr);
    // Writes `data` as the whole of the file at `path`, OnCommit.
    static bool save(const QString &path, const QByteArray &data, QString *error = nullptr);
    // Adds `data` to the end of the file at `path` (made when missing): all of it, or nothing when
    // any write fails, so that a log keeps only whole entries.
    static bool append(const QString &path, const QByteArray &data, QString *error = nullptr);

    enum class Reserved {
        Made,  // a new, empty file of ours is at the name
        Taken, // something is at the name already: try another
        Failed,
    };
    // Makes an empty file at `path` exclusively, so that a name picked for a new file (a scan's
    // number, a recording's time) is never one another writer took meanwhile. What is later written
    // to the name then replaces only this file.
    static Reserved reserve(const QString &path, QString *error = nullptr);

protected:
    enum class Access {
        Private, // new and replaced files 0600, new folders 0700
        Shared,  // a replaced file keeps its mode, group and ACL; new ones get the folder's umask and default
                 // ACL
    };
    PrivateFile(QString path, Placing placing, Access access);
    static bool makeFolder(const QString &folder, QString *error, Access access);
    static bool save(const QString &path, const QByteArray &data, QString *error, Access access);
    static bool append(const QString &path, const QByteArray &data, QString *error, Access access);
    static Reserved reserve(const QString &path, QString *error, Access access);

    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool fail(const QString &what, int error);
    bool writeBuffer();
    void closeHandle();
    bool openTemporary(const QString &folder, const QString &name, unsigned mode);

    QString m_path;
    QByteArray m_temporary; // OnCommit: the encoded name written until the rename
    Placing m_placing;
    Access m_access = Access::Private;
    int m_fd = -1;
    QByteArray m_buffer;
    qint64 m_bufferAt = 0; // file position of the buffer's first byte
    bool m_failed = false;
};
