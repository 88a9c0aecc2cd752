// The character difference: the documented cases, the merge rules on their own, and random texts
// over a small alphabet checked against the quadratic LCS.
#include "dictation/playback/TDiff.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using R = TDiffRecord;

std::vector<R> diff(const QString &a, const QString &b, bool *ok = nullptr) {
    TDiff d;
    const bool result = d.Execute(a, b);
    if (ok)
        *ok = result;
    return d.Changes();
}

// Text 1 with the records applied, the characters taken from text 2.
QString apply(const QString &t1, const QString &t2, const std::vector<R> &records) {
    QString out;
    int at = 0;
    for (const R &r : records) {
        out += t1.mid(at, r.Pos1 - at);
        at = r.Pos1;
        if (r.Kind != R::Delete)
            out += t2.mid(r.Pos2, r.Count);
        if (r.Kind != R::Add)
            at += r.Count;
    }
    return out + t1.mid(at);
}

int lcs(const QString &a, const QString &b) {
    std::vector<std::vector<int>> t(std::size_t(a.size()) + 1,
                                    std::vector<int>(std::size_t(b.size()) + 1, 0));
    for (qsizetype i = 1; i <= a.size(); ++i)
        for (qsizetype j = 1; j <= b.size(); ++j)
            t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    return t[a.size()][b.size()];
}

TEST(TDiff, DocumentedCases) {
    struct Case {
        const char *t1, *t2;
        std::vector<R> records;
    };
    const Case cases[] = {
        {"HELLO", "HELLO", {}},
        {"", "", {}},
        {"ABC", "AXC", {{R::Modify, 1, 1, 1}}},
        {"ABC", "ABXYC", {{R::Add, 2, 2, 2}}},
        {"ABCD", "AD", {{R::Delete, 1, 0, 2}}},
        {"XBC", "YBC", {{R::Modify, 0, 0, 1}}},
        {"ABCDEF", "AXYDEF", {{R::Modify, 1, 1, 2}}},
        {"", "ABC", {{R::Add, 0, 0, 3}}},
        {"ABC", "", {{R::Delete, 0, 0, 3}}},
        {"HELLO WORLD", "HELLO THERE WORLD", {{R::Add, 6, 6, 6}}},
        {"HELLO BIG WORLD", "HELLO WORLD", {{R::Delete, 6, 0, 4}}},
    };
    for (const Case &c : cases) {
        bool ok = false;
        EXPECT_EQ(diff(c.t1, c.t2, &ok), c.records) << c.t1 << " / " << c.t2;
        EXPECT_TRUE(ok);
    }
}

TEST(TDiff, MissingOrOversizedTextGivesNoResult) {
    TDiff d;
    const QChar text[] = {u'A'};
    EXPECT_FALSE(d.Execute(nullptr, text, 0, 1));
    EXPECT_EQ(d.ChangeCount(), 0);
    const QString big(TDiff::kMaxLength + 1, QLatin1Char('A'));
    EXPECT_FALSE(d.Execute(big, QStringLiteral("A")));
    EXPECT_EQ(d.ChangeCount(), 0);
}

TEST(TChangeMerger, Rules) {
    struct Step {
        char op; // 'a' add(p, q), 'd' delete(p)
        int p, q;
    };
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::vector<R> records;
    };
    const Case cases[] = {
        {"adds in a run", {{'a', 2, 2}, {'a', 2, 3}}, {{R::Add, 2, 2, 2}}},
        {"add elsewhere starts a new run",
         {{'a', 2, 2}, {'a', 5, 6}},
         {{R::Add, 2, 2, 1}, {R::Add, 5, 6, 1}}},
        {"deletes in a run", {{'d', 1, 0}, {'d', 2, 0}}, {{R::Delete, 1, 0, 2}}},
        {"add then delete at one place is a modify", {{'a', 1, 1}, {'d', 1, 0}}, {{R::Modify, 1, 1, 1}}},
        {"runs of replacements extend the modify",
         {{'a', 1, 1}, {'a', 1, 2}, {'d', 1, 0}, {'d', 2, 0}},
         {{R::Modify, 1, 1, 2}}},
        {"more adds than deletes leave an add",
         {{'a', 1, 1}, {'a', 1, 2}, {'a', 1, 3}, {'d', 1, 0}},
         {{R::Modify, 1, 1, 1}, {R::Add, 2, 2, 2}}},
        {"delete then add at its place is a modify", {{'d', 3, 0}, {'a', 3, 3}}, {{R::Modify, 3, 3, 1}}},
        {"delete then add elsewhere", {{'d', 1, 0}, {'a', 4, 3}}, {{R::Delete, 1, 0, 1}, {R::Add, 4, 3, 1}}},
        {"add then delete elsewhere", {{'a', 1, 1}, {'d', 4, 0}}, {{R::Add, 1, 1, 1}, {R::Delete, 4, 0, 1}}},
        {"delete after a modify elsewhere",
         {{'a', 1, 1}, {'d', 1, 0}, {'d', 5, 0}},
         {{R::Modify, 1, 1, 1}, {R::Delete, 5, 0, 1}}},
    };
    for (const Case &c : cases) {
        TChangeMerger m;
        for (const Step &s : c.steps) {
            if (s.op == 'a')
                m.Add(s.p, s.q);
            else
                m.Delete(s.p);
        }
        m.Flush();
        EXPECT_EQ(m.Records, c.records) << c.name;
    }
}

TEST(TDiff, RandomTextsGiveAShortestScriptThatRebuildsText2) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        const int alphabet = 2 + round % 4;
        auto text = [&] {
            QString s;
            const int length = int(random() % 40);
            for (int i = 0; i < length; ++i)
                s += QChar(u'A' + int(random() % alphabet));
            return s;
        };
        const QString a = text();
        const QString b = round % 5 == 0 ? a.mid(1) + a.left(1) : text();
        bool ok = false;
        const std::vector<R> records = diff(a, b, &ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(apply(a, b, records), b) << a.toStdString() << " / " << b.toStdString();
        int cost = 0;
        for (const R &r : records)
            cost += r.Kind == R::Modify ? 2 * r.Count : r.Count;
        ASSERT_EQ(cost, a.size() + b.size() - 2 * lcs(a, b)) << a.toStdString() << " / " << b.toStdString();
    }
}

TEST(TDiff, LongTextsStayLinearWhenSimilar) {
    QString a;
    for (int i = 0; i < 20000; ++i)
        a += QStringLiteral("WORD%1 ").arg(i % 97);
    QString b = a;
    b.insert(5000, QStringLiteral("INSERTED "));
    b.remove(90000, 30);
    TDiff d;
    ASSERT_TRUE(d.Execute(a, b));
    EXPECT_EQ(apply(a, b, d.Changes()), b);
}

} // namespace
