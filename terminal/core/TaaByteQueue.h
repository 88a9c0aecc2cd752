// A growable byte queue: the host's text waits here until the terminal hands it to its emulator.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <stdexcept>
#include <vector>

class TaaByteQueue {
public:
    TaaByteQueue();

    void Put(const char *data, int n);
    void Put(const QByteArray &bytes) { Put(bytes.constData(), int(bytes.size())); }
    // Makes room for n bytes at the end and returns where to write them; Advance(n) commits them.
    char *Reserve(int n);
    void Advance(int n);
    // The first n bytes; throws std::out_of_range when fewer are held.
    const char *Peek(int n) const;
    void Remove(int n);
    void Empty();
    int Count() const { return int(m_write - m_read); }
    int Capacity() const { return int(m_block.size()); }

private:
    void ensureRoom(std::size_t n);

    std::vector<char> m_block;
    std::size_t m_read = 0;
    std::size_t m_write = 0;
    std::size_t m_reserved = 0;
};
