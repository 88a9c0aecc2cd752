// A window on a parent device: bytes [start, start + size) of the parent read as a device of their
// own, positions 0 .. size. A window never reaches past the parent's end: a chunk that claims more
// bytes than the file holds gets the bytes that are there.
#pragma once

#include <QIODevice>

class TdeSubStream : public QIODevice {
public:
    TdeSubStream(QIODevice *parent, qint64 size, qint64 start);

    qint64 Start() const { return m_start; }
    qint64 size() const override { return m_size; }
    bool isSequential() const override { return false; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    // A write that would pass the end fails with "Write past end of sub stream." and writes nothing.
    qint64 writeData(const char *data, qint64 size) override;

private:
    QIODevice *m_parent;
    qint64 m_start;
    qint64 m_size;
};
