// The word timing list as the host sends it.
#include "dictation/playback/WordTimings.h"

#include <gtest/gtest.h>

namespace {

struct W {
    QString text;
    int start, end;
};

std::vector<W> parse(const QString &list) {
    std::vector<W> out;
    for (const TWordTiming &t : ParseWordTimings(list))
        out.push_back({t.Text, t.Start, t.End});
    return out;
}

bool operator==(const W &a, const W &b) {
    return a.text == b.text && a.start == b.start && a.end == b.end;
}

void PrintTo(const W &w, std::ostream *os) {
    *os << "(" << w.text.toStdString() << "," << w.start << "," << w.end << ")";
}

TEST(WordTimings, Lists) {
    struct Case {
        const char *name;
        QString list;
        std::vector<W> words;
    };
    const Case cases[] = {
        {"blanks kept", "Hello \\0\\500]World\\500\\900", {{"HELLO ", 0, 500}, {"WORLD", 500, 900}}},
        {"overlapping word replaces the earlier one", "one \\0\\500]two \\400\\800", {{"TWO ", 400, 800}}},
        {"angle brackets contribute nothing", "<s>\\0\\100]word\\100\\300", {{"WORD", 100, 300}}},
        {"special words",
         "a\\0\\1]@_NewLine\\1\\2]@_Paragraph\\2\\3]@_Tab\\3\\4",
         {{"A", 0, 1}, {"\n", 1, 2}, {"\n\n", 2, 3}, {"\t", 3, 4}}},
        {"trailing separator", "word\\0\\300]", {{"WORD", 0, 300}}},
        {"malformed entries are skipped",
         "a\\0\\100]b\\x\\200]c\\300]\\400\\500]d\\600\\700",
         {{"A", 0, 100}, {"D", 600, 700}}},
        {"line ends removed", "wo\r\nrd\\0\\1\r\n]x\\1\\2", {{"WORD", 0, 1}, {"X", 1, 2}}},
        {"letters that look like the old separators",
         QString::fromUtf8("für \\0\\10]ý\\10\\20]ÿ\\20\\30"),
         {{QString::fromUtf8("FÜR "), 0, 10},
          {QString::fromUtf8("Ý"), 10, 20},
          {QString::fromUtf8("Ÿ"), 20, 30}}},
        {"sharp s keeps its length",
         QString::fromUtf8("straße\\0\\10"),
         {{QString::fromUtf8("STRAßE"), 0, 10}}},
        {"a start after the next word's start gets the end of the word before",
         "a\\0\\100]b\\300\\50]c\\200\\400",
         {{"A", 0, 100}, {"B", 100, 50}, {"C", 200, 400}}},
        {"empty", "", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parse(c.list), c.words) << c.name;
}

} // namespace
