// A growable byte queue: the host's text waits here until the terminal hands it to its emulator.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <vector>

class TaaByteQueue {
public:
    TaaByteQueue();

    // False, with nothing put, when the queue would grow past its limit (1 GiB).
    bool Put(const char *data, int n);
    bool Put(const QByteArray &bytes) { return Put(bytes.constData(), int(bytes.size())); }
    // Makes room for n bytes at the end and returns where to write them (null past the limit);
    // Advance(n) commits them.
    char *Reserve(int n);
    void Advance(int n);
    // The first n bytes; null, with a text naming the bytes held and requested, when fewer are held.
    const char *Peek(int n, QString *error = nullptr) const;
    void Remove(int n);
    void Empty();
    int Count() const { return int(m_write - m_read); }
    int Capacity() const { return int(m_block.size()); }

private:
    bool ensureRoom(std::size_t n);

    std::vector<char> m_block;
    std::size_t m_read = 0;
    std::size_t m_write = 0;
    std::size_t m_reserved = 0;
};
