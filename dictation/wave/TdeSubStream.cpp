#include "dictation/wave/TdeSubStream.h"

#include "dictation/wave/AudioErrors.h"

#include <algorithm>

TdeSubStream::TdeSubStream(QIODevice *parent, qint64 size, qint64 start) : m_parent(parent) {
    const qint64 parentSize = parent ? parent->size() : 0;
    m_start = std::clamp<qint64>(start, 0, parentSize);
    m_size = std::clamp<qint64>(size, 0, parentSize - m_start);
    OpenMode mode = QIODevice::Unbuffered;
    if (parent && parent->isReadable())
        mode |= QIODevice::ReadOnly;
    if (parent && parent->isWritable())
        mode |= QIODevice::WriteOnly;
    open(mode);
    if (parent)
        parent->seek(m_start);
}

qint64 TdeSubStream::readData(char *data, qint64 maxSize) {
    const qint64 count = std::min(maxSize, m_size - pos());
    if (count <= 0)
        return 0;
    if (!m_parent->seek(m_start + pos()))
        return -1;
    return m_parent->read(data, count);
}

qint64 TdeSubStream::writeData(const char *data, qint64 size) {
    if (pos() + size > m_size) {
        setErrorString(AudioText::WritePastEnd);
        return -1;
    }
    if (!m_parent->seek(m_start + pos()))
        return -1;
    return m_parent->write(data, size);
}
