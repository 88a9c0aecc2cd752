#include "dictation/playback/TDiff.h"

#include <algorithm>

namespace {
// Diagonal extensions allowed for one comparison: far beyond any correction text, but a bound on
// the time two unrelated megabyte texts could take.
constexpr long long kMaxWork = 200'000'000;
} // namespace

void TChangeMerger::store(std::optional<TDiffRecord> &record) {
    if (record)
        Records.push_back(*record);
    record.reset();
}

void TChangeMerger::Add(int p, int q) {
    if (m_add) {
        if (p == m_add->Pos1 && q == m_add->Pos2 + m_add->Count) {
            ++m_add->Count;
            return;
        }
        store(m_modify);
        store(m_add);
        m_add = TDiffRecord{TDiffRecord::Add, p, q, 1};
        return;
    }
    if (m_delete && m_delete->Pos1 == p) {
        if (m_modify && m_modify->Pos1 + m_modify->Count == p && m_modify->Pos2 + m_modify->Count == q) {
            ++m_modify->Count;
        } else {
            store(m_modify);
            m_modify = TDiffRecord{TDiffRecord::Modify, p, q, 1};
        }
        ++m_delete->Pos1;
        if (--m_delete->Count == 0)
            m_delete.reset();
        return;
    }
    if (m_delete) {
        store(m_modify);
        store(m_delete);
    }
    m_add = TDiffRecord{TDiffRecord::Add, p, q, 1};
}

void TChangeMerger::Delete(int p) {
    if (m_delete) {
        if (p == m_delete->Pos1 + m_delete->Count) {
            ++m_delete->Count;
            return;
        }
        store(m_modify);
        store(m_delete);
        m_delete = TDiffRecord{TDiffRecord::Delete, p, 0, 1};
        return;
    }
    if (!m_add) {
        m_delete = TDiffRecord{TDiffRecord::Delete, p, 0, 1};
        return;
    }
    if (p != m_add->Pos1) {
        store(m_modify);
        store(m_add);
        m_delete = TDiffRecord{TDiffRecord::Delete, p, 0, 1};
        return;
    }
    // An add waits at p: its first character and this one are a replacement.
    if (m_modify && m_modify->Pos1 + m_modify->Count == p &&
        m_modify->Pos2 + m_modify->Count == m_add->Pos2) {
        ++m_modify->Count;
    } else {
        store(m_modify);
        m_modify = TDiffRecord{TDiffRecord::Modify, p, m_add->Pos2, 1};
    }
    ++m_add->Pos1;
    ++m_add->Pos2;
    if (--m_add->Count == 0)
        m_add.reset();
}

void TChangeMerger::Flush() {
    store(m_modify);
    store(m_add);
    store(m_modify);
    store(m_delete);
}

bool TDiff::Execute(const QChar *text1, const QChar *text2, int length1, int length2) {
    Clear();
    if (!text1 || !text2 || length1 < 0 || length2 < 0 || length1 > kMaxLength || length2 > kMaxLength)
        return false;
    m_t1 = text1;
    m_t2 = text2;
    m_work = 0;
    TChangeMerger merger;
    const bool ok = compare(Range{0, length1, 0, length2}, merger);
    merger.Flush();
    m_forward = {};
    m_backward = {};
    if (ok)
        m_records = std::move(merger.Records);
    return ok;
}

bool TDiff::compare(const Range &whole, TChangeMerger &merger) {
    // Ranges still to compare, the next one last: left parts are finished before right parts, so
    // the edits come out in text order.
    std::vector<Range> pending{whole};
    while (!pending.empty()) {
        Range r = pending.back();
        pending.pop_back();
        while (r.a1 < r.b1 && r.a2 < r.b2 && m_t1[r.a1] == m_t2[r.a2]) {
            ++r.a1;
            ++r.a2;
        }
        while (r.b1 > r.a1 && r.b2 > r.a2 && m_t1[r.b1 - 1] == m_t2[r.b2 - 1]) {
            --r.b1;
            --r.b2;
        }
        if (r.a1 == r.b1) {
            for (int q = r.a2; q < r.b2; ++q)
                merger.Add(r.a1, q);
            continue;
        }
        if (r.a2 == r.b2) {
            for (int p = r.a1; p < r.b1; ++p)
                merger.Delete(p);
            continue;
        }
        if (r.b1 - r.a1 == 1 && r.b2 - r.a2 == 1) {
            merger.Add(r.a1, r.a2);
            merger.Delete(r.a1);
            continue;
        }
        int x = 0, y = 0;
        const Bisect found = bisect(r, x, y);
        if (found == Bisect::TooLong)
            return false;
        if (found == Bisect::Disjoint) {
            // Adds first: with the deletes that follow at the same place they become modifies.
            for (int q = r.a2; q < r.b2; ++q)
                merger.Add(r.a1, q);
            for (int p = r.a1; p < r.b1; ++p)
                merger.Delete(p);
            continue;
        }
        if ((x == r.a1 && y == r.a2) || (x == r.b1 && y == r.b2))
            return false; // no progress: cannot happen for ranges whose ends differ
        pending.push_back(Range{x, r.b1, y, r.b2});
        pending.push_back(Range{r.a1, x, r.a2, y});
    }
    return true;
}

TDiff::Bisect TDiff::bisect(const Range &r, int &splitX, int &splitY) {
    const QChar *t1 = m_t1 + r.a1;
    const QChar *t2 = m_t2 + r.a2;
    const int n = r.b1 - r.a1;
    const int m = r.b2 - r.a2;
    const int maxD = (n + m + 1) / 2;
    const int offset = maxD;
    const std::size_t length = std::size_t(2 * maxD + 2);
    m_forward.assign(length, -1);
    m_backward.assign(length, -1);
    m_forward[offset + 1] = 0;
    m_backward[offset + 1] = 0;
    const int delta = n - m;
    // With an odd difference the forward paths meet the backward ones, else the reverse.
    const bool front = (delta % 2) != 0;
    int kStart1 = 0, kEnd1 = 0, kStart2 = 0, kEnd2 = 0;
    for (int d = 0; d < maxD; ++d) {
        for (int k1 = -d + kStart1; k1 <= d - kEnd1; k1 += 2) {
            const int i = offset + k1;
            // A tie steps in text 1.
            int x1 = (k1 == -d || (k1 != d && m_forward[i - 1] < m_forward[i + 1])) ? m_forward[i + 1]
                                                                                    : m_forward[i - 1] + 1;
            int y1 = x1 - k1;
            const int from1 = x1;
            while (x1 < n && y1 < m && t1[x1] == t2[y1]) {
                ++x1;
                ++y1;
            }
            m_work += 1 + (x1 - from1);
            m_forward[i] = x1;
            if (x1 > n) {
                kEnd1 += 2;
            } else if (y1 > m) {
                kStart1 += 2;
            } else if (front) {
                const int j = offset + delta - k1;
                if (j >= 0 && j < int(length) && m_backward[j] != -1 && x1 >= n - m_backward[j]) {
                    splitX = r.a1 + x1;
                    splitY = r.a2 + y1;
                    return Bisect::Split;
                }
            }
        }
        for (int k2 = -d + kStart2; k2 <= d - kEnd2; k2 += 2) {
            const int i = offset + k2;
            int x2 = (k2 == -d || (k2 != d && m_backward[i - 1] < m_backward[i + 1])) ? m_backward[i + 1]
                                                                                      : m_backward[i - 1] + 1;
            int y2 = x2 - k2;
            const int from2 = x2;
            while (x2 < n && y2 < m && t1[n - x2 - 1] == t2[m - y2 - 1]) {
                ++x2;
                ++y2;
            }
            m_work += 1 + (x2 - from2);
            m_backward[i] = x2;
            if (x2 > n) {
                kEnd2 += 2;
            } else if (y2 > m) {
                kStart2 += 2;
            } else if (!front) {
                const int j = offset + delta - k2;
                if (j >= 0 && j < int(length) && m_forward[j] != -1) {
                    const int x1 = m_forward[j];
                    const int y1 = offset + x1 - j;
                    if (x1 >= n - x2) {
                        splitX = r.a1 + x1;
                        splitY = r.a2 + y1;
                        return Bisect::Split;
                    }
                }
            }
        }
        if (m_work > kMaxWork)
            return Bisect::TooLong;
    }
    // The paths only meet after every character was added or deleted.
    return Bisect::Disjoint;
}
