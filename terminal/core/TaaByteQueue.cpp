// The host text queue: bytes are appended at the end and consumed from the front.
#include "terminal/core/TaaByteQueue.h"

#include <cstring>

namespace {
constexpr std::size_t kInitialCapacity = 64;
constexpr std::size_t kMaxCapacity = std::size_t(1) << 30;
} // namespace

TaaByteQueue::TaaByteQueue() : m_block(kInitialCapacity) {}

bool TaaByteQueue::ensureRoom(std::size_t n) {
    if (n > kMaxCapacity - m_write)
        return false;
    const std::size_t needed = m_write + n;
    if (needed <= m_block.size())
        return true;
    std::size_t capacity = m_block.size();
    while (capacity < needed)
        capacity *= 2;
    capacity = (capacity + 63) / 64 * 64;
    std::vector<char> block(capacity);
    std::memcpy(block.data(), m_block.data(), m_write);
    m_block.swap(block);
    return true;
}

bool TaaByteQueue::Put(const char *data, int n) {
    if (n <= 0)
        return true;
    if (!ensureRoom(std::size_t(n)))
        return false;
    std::memcpy(m_block.data() + m_write, data, std::size_t(n));
    m_write += std::size_t(n);
    m_reserved = 0;
    return true;
}

char *TaaByteQueue::Reserve(int n) {
    if (n < 0)
        n = 0;
    if (!ensureRoom(std::size_t(n)))
        return nullptr;
    m_reserved = std::size_t(n);
    return m_block.data() + m_write;
}

void TaaByteQueue::Advance(int n) {
    // Only what was reserved can be committed; anything else would expose stale bytes.
    if (n <= 0)
        return;
    const std::size_t count = std::min(std::size_t(n), m_reserved);
    m_write += count;
    m_reserved -= count;
}

const char *TaaByteQueue::Peek(int n, QString *error) const {
    if (n < 0 || std::size_t(n) > m_write - m_read) {
        if (error)
            *error =
                QStringLiteral("TaaByteQueue.Peek: %1 bytes held, %2 requested").arg(m_write - m_read).arg(n);
        return nullptr;
    }
    return m_block.data() + m_read;
}

void TaaByteQueue::Remove(int n) {
    if (n <= 0)
        return;
    const std::size_t count = std::min(std::size_t(n), m_write - m_read);
    const std::size_t rest = m_write - m_read - count;
    std::memmove(m_block.data(), m_block.data() + m_read + count, rest);
    m_read = 0;
    m_write = rest;
    m_reserved = 0;
}

void TaaByteQueue::Empty() {
    m_read = 0;
    m_write = 0;
    m_reserved = 0;
}
