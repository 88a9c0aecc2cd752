#include "terminal/core/TVtVT100Parser.h"

#include <gtest/gtest.h>

#include <random>

namespace {
// One reported event: the result and, for commands, the code and arguments.
struct Event {
    int result;
    int command;
    std::vector<int> args;
    bool operator==(const Event &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Event &e) {
    os << "(" << e.result << "," << e.command << ",[";
    for (int a : e.args)
        os << a << " ";
    return os << "])";
}

// Feeds the bytes and keeps the events other than "in progress".
std::vector<Event> feed(TVtVT100Parser &p, const QByteArray &bytes) {
    std::vector<Event> events;
    for (char c : bytes) {
        const int r = p.ProcessChar(uint8_t(c));
        if (r == vprInProgress)
            continue;
        Event e{r, r == vprCommand ? p.Command() : 0, {}};
        if (r == vprCommand)
            for (int i = 0; i < p.ArgumentCount(); ++i)
                e.args.push_back(p.GetArgument(i));
        events.push_back(e);
    }
    return events;
}

std::vector<Event> parse(const QByteArray &bytes) {
    TVtVT100Parser p;
    return feed(p, bytes);
}
} // namespace

TEST(TVtVT100Parser, SequencesGiveCommandsAndArguments) {
    struct Case {
        QByteArray input;
        std::vector<Event> expected;
    } cases[] = {
        {"\x1b[1\nA", {{4, 117, {}}, {4, 3, {1}}}},
        {"\x1b[2\x1b[3J", {{4, 50, {3}}}},
        {"\x1b[;5H", {{4, 2, {1, 5}}}},
        {"\x1b[H", {{4, 2, {1, 1}}}},
        {"\x1b[1;2;3H", {{0, 0, {}}}},
        {"\x1b[?1h", {{4, 13, {-2, 1}}}},
        {"\x1b[>c", {{0, 0, {}}}},
        {"\x1b[m", {{4, 16, {0}}}},
        {"\x1b[1;;4m", {{4, 16, {1, 0, 4}}}},
        {"\x1b(0", {{4, 129, {0, 0}}}},
        {"\x1b( 0", {{0, 0, {}}}},
        {"\x1b)B", {{4, 129, {1, 66}}}},
        {"\x1b[1\x18"
         "A",
         {{0, 0, {}}, {4, 3, {1}}}},
        {"\x1b[61\"p", {{4, 89, {}}}},
        {"\x1b[99999999999A", {{0, 0, {}}}},
        {"\x1b[2147483647C", {{4, 5, {2147483647}}}},
        {"\x1b[0A", {{4, 3, {0}}}},
        {"\x1b[?10H", {{0, 0, {}}}},
        {"\x1b[?1;2r", {{0, 0, {}}}},
        {"\x1b[?5;10H", {{0, 0, {}}}},
        {"\x1b[5;10r", {{4, 113, {5, 10}}}},
        {"\x1b[r", {{4, 113, {-1}}}},
        {"\x1b[6n", {{4, 19, {6}}}},
        {"\x1b[n", {{4, 19, {-1}}}},
        {"\x1b[x", {{4, 126, {-1}}}},
        {"\x1b[!p", {{0, 0, {}}}},
        {"\x1b[1:2m", {{0, 0, {}}}},
        {"\x1b#6\x1b#3\x1b#4\x1b#5\x1b#8\x1b#9",
         {{4, 124, {}}, {4, 123, {0}}, {4, 123, {1}}, {4, 127, {}}, {4, 122, {}}, {0, 0, {}}}},
        {"\x1b"
         "7\x1b"
         "8\x1b"
         "D\x1b"
         "E\x1bH\x1bM\x1bZ\x1b"
         "c\x1b=\x1b>\x1b"
         "1\x1b<",
         {{4, 17, {}},
          {4, 18, {}},
          {4, 121, {}},
          {4, 76, {}},
          {4, 65, {}},
          {4, 88, {}},
          {4, 41, {0}},
          {4, 89, {}},
          {4, 13, {-2, 999}},
          {4, 90, {-2, 999}},
          {4, 0, {}},
          {0, 0, {}}}},
        {QByteArray("\x05\x07\x08\x09\x0b\x0c\x0d\x0e\x0f\x00", 10),
         {{4, 114, {}},
          {4, 115, {}},
          {4, 116, {}},
          {4, 34, {1}},
          {4, 40, {1}},
          {4, 50, {2}},
          {4, 118, {}},
          {4, 119, {}},
          {4, 120, {}},
          {0, 0, {}}}},
        {"a~\x7f\xc8", {{1, 0, {}}, {1, 0, {}}, {2, 0, {}}, {2, 0, {}}}},
        {"\x1b*0\x1b+A", {{0, 0, {}}, {0, 0, {}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parse(c.input), c.expected) << c.input.toHex().toStdString();
}

TEST(TVtVT100Parser, Vt52ModeHasItsOwnTable) {
    TVtVT100Parser p;
    feed(p, "\x1b[?2l");
    EXPECT_TRUE(p.IsVT52());
    struct Case {
        QByteArray input;
        std::vector<Event> expected;
    } cases[] = {
        {"\x1bY!!", {{4, 2, {2, 2}}}},
        {"\x1bY\r!!", {{4, 118, {}}, {4, 2, {2, 2}}}},
        {"\x1b"
         "A\x1b"
         "D\x1bH\x1bI\x1bJ\x1bK\x1bZ\x1b"
         "F\x1bG\x1b[",
         {{4, 3, {1}},
          {4, 6, {1}},
          {4, 2, {1, 1}},
          {4, 88, {}},
          {4, 50, {0}},
          {4, 52, {0}},
          {4, 41, {52}},
          {4, 119, {}},
          {4, 120, {}},
          {0, 0, {}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(feed(p, c.input), c.expected) << c.input.toHex().toStdString();
    EXPECT_EQ(feed(p, "\x1b<"), (std::vector<Event>{{4, 13, {-2, 2}}}));
    EXPECT_FALSE(p.IsVT52());
}

TEST(TVtVT100Parser, SplitFeedsCompleteOneCommand) {
    TVtVT100Parser p;
    std::vector<Event> all;
    for (const char *part : {"\x1b[", "12", ";4", "0H"}) {
        auto events = feed(p, part);
        all.insert(all.end(), events.begin(), events.end());
    }
    EXPECT_EQ(all, (std::vector<Event>{{4, 2, {12, 40}}}));
    EXPECT_EQ(p.GetSequence(), "\x1b[12;40H");
    feed(p, "\r");
    EXPECT_EQ(p.GetSequence(), "\r");
}

TEST(TVtVT100Parser, OverlongSequencesAreAbandoned) {
    TVtVT100Parser p;
    const QByteArray junk = "\x1b[" + QByteArray(100000, '1');
    EXPECT_TRUE(feed(p, junk).empty());
    EXPECT_EQ(feed(p, "Ab"), (std::vector<Event>{{0, 0, {}}, {1, 0, {}}}));
    EXPECT_EQ(parse("\x1b(" + QByteArray(10000, ' ') + "0"), (std::vector<Event>{{0, 0, {}}}));
}

TEST(TVtVT100Parser, RandomStreamsStayBounded) {
    std::mt19937 rng(7);
    const char alphabet[] = "\x1b[;?0123456789Hm#()YA\r\n\x18 \x80\xff";
    TVtVT100Parser p;
    for (int i = 0; i < 200000; ++i) {
        const int r = p.ProcessChar(uint8_t(alphabet[rng() % (sizeof(alphabet) - 1)]));
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 4);
        ASSERT_LE(p.ArgumentCount(), TVtVT100Parser::kMaxArguments);
        ASSERT_LE(p.GetSequence().size(), TVtVT100Parser::kMaxSequence);
    }
}
