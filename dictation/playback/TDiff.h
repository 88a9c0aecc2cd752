// Character-level difference of two texts: a shortest edit script found by divide and conquer on
// the middle snake (the O(ND) difference algorithm), listed as runs of added, deleted and replaced
// characters. No events are processed while it runs, so nothing can start a second comparison.
#pragma once

#include <QChar>
#include <QString>

#include <optional>
#include <vector>

struct TDiffRecord {
    enum Kind : int { Add = 0, Delete = 1, Modify = 2 };
    int Kind = Add;
    int Pos1 = 0;  // position in text 1
    int Pos2 = 0;  // position in text 2 (0 for deletes)
    int Count = 0; // characters

    bool operator==(const TDiffRecord &) const = default;
};

// Turns single-character edits, in the order found, into runs: adds and deletes that meet at one
// text-1 position become modifies, character by character.
class TChangeMerger {
public:
    void Add(int pos1, int pos2);
    void Delete(int pos1);
    // Stores what is pending: the modify, then the add or the delete.
    void Flush();
    std::vector<TDiffRecord> Records;

private:
    void store(std::optional<TDiffRecord> &record);

    std::optional<TDiffRecord> m_add;
    std::optional<TDiffRecord> m_delete;
    std::optional<TDiffRecord> m_modify;
};

class TDiff {
public:
    // Longer texts are not compared (Execute gives false): the caller then goes without alignment.
    static constexpr int kMaxLength = 1 << 20;

    // False (and no records) for a missing text, a text over the limit, or a comparison that would
    // take unreasonably long; true otherwise.
    bool Execute(const QChar *text1, const QChar *text2, int length1, int length2);
    bool Execute(const QString &text1, const QString &text2) {
        return Execute(text1.constData(), text2.constData(), int(text1.size()), int(text2.size()));
    }

    int ChangeCount() const { return int(m_records.size()); }
    TDiffRecord Change(int index) const { return m_records.at(std::size_t(index)); }
    const std::vector<TDiffRecord> &Changes() const { return m_records; }
    void Clear() { m_records.clear(); }

private:
    struct Range {
        int a1, b1, a2, b2;
    };
    bool compare(const Range &whole, TChangeMerger &merger);
    enum class Bisect { Split, Disjoint, TooLong };
    // The split point of the middle snake of a range whose ends differ; Disjoint when the two parts
    // have no character in common.
    Bisect bisect(const Range &r, int &x, int &y);

    const QChar *m_t1 = nullptr;
    const QChar *m_t2 = nullptr;
    long long m_work = 0;
    std::vector<int> m_forward;
    std::vector<int> m_backward;
    std::vector<TDiffRecord> m_records;
};
