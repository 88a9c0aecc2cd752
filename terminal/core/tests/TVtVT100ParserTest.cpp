#include "terminal/core/TVtVT100Parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {
// One reported event: the result and, for commands, the code and arguments.
struct Event {
    int result;
    int command;
    std::vector<int> args;
    bool operator==(const Event &) const = default;
};

Event cmd(TVtCommand command, std::vector<int> args = {}) {
    return {vprCommand, command, std::move(args)};
}
const Event ignored{vprIgnore, vcNone, {}};
const Event printable{vprPrintable, vcNone, {}};
const Event upperByte{vprUpperByte, vcNone, {}};

#define ORVA_NAME(code)                                                                                      \
    { code, #code }
const std::map<int, const char *> resultNames = {ORVA_NAME(vprIgnore), ORVA_NAME(vprPrintable),
                                                 ORVA_NAME(vprUpperByte), ORVA_NAME(vprInProgress),
                                                 ORVA_NAME(vprCommand)};
const std::map<int, const char *> commandNames = {ORVA_NAME(vcNone),
                                                  ORVA_NAME(vcPrint),
                                                  ORVA_NAME(vcCursorPosition),
                                                  ORVA_NAME(vcCursorUp),
                                                  ORVA_NAME(vcCursorDown),
                                                  ORVA_NAME(vcCursorForward),
                                                  ORVA_NAME(vcCursorBackward),
                                                  ORVA_NAME(vcSetMode),
                                                  ORVA_NAME(vcRendition),
                                                  ORVA_NAME(vcSaveCursor),
                                                  ORVA_NAME(vcRestoreCursor),
                                                  ORVA_NAME(vcStatusReport),
                                                  ORVA_NAME(vcHorizontalTab),
                                                  ORVA_NAME(vcVerticalTab),
                                                  ORVA_NAME(vcIdentify),
                                                  ORVA_NAME(vcDeleteChars),
                                                  ORVA_NAME(vcDeleteLines),
                                                  ORVA_NAME(vcEraseChars),
                                                  ORVA_NAME(vcEraseInDisplay),
                                                  ORVA_NAME(vcEraseInLine),
                                                  ORVA_NAME(vcSetTabStop),
                                                  ORVA_NAME(vcInsertChars),
                                                  ORVA_NAME(vcInsertLines),
                                                  ORVA_NAME(vcNextLine),
                                                  ORVA_NAME(vcReverseIndex),
                                                  ORVA_NAME(vcReset),
                                                  ORVA_NAME(vcResetMode),
                                                  ORVA_NAME(vcTabClear),
                                                  ORVA_NAME(vcRequestParameters),
                                                  ORVA_NAME(vcScrollRegion),
                                                  ORVA_NAME(vcEnquiry),
                                                  ORVA_NAME(vcBell),
                                                  ORVA_NAME(vcBackspace),
                                                  ORVA_NAME(vcLineFeed),
                                                  ORVA_NAME(vcCarriageReturn),
                                                  ORVA_NAME(vcShiftOut),
                                                  ORVA_NAME(vcShiftIn),
                                                  ORVA_NAME(vcIndex),
                                                  ORVA_NAME(vcScreenAlignment),
                                                  ORVA_NAME(vcDoubleHeightLine),
                                                  ORVA_NAME(vcDoubleWidthLine),
                                                  ORVA_NAME(vcLoadLeds),
                                                  ORVA_NAME(vcSingleWidthLine),
                                                  ORVA_NAME(vcConfidenceTest),
                                                  ORVA_NAME(vcDesignate)};
#undef ORVA_NAME

// A code without a name prints as its number, so a new or stray code still shows.
std::string nameOf(const std::map<int, const char *> &names, int code) {
    const auto it = names.find(code);
    return it != names.end() ? it->second : std::to_string(code);
}

// Prints as the tables read: "cmd(vcCursorUp, {1})", "printable", ...
std::ostream &operator<<(std::ostream &os, const Event &e) {
    if (e.result != vprCommand) {
        os << nameOf(resultNames, e.result);
        if (e.command != vcNone || !e.args.empty())
            os << "(" << nameOf(commandNames, e.command) << ")";
        return os;
    }
    os << "cmd(" << nameOf(commandNames, e.command);
    if (!e.args.empty()) {
        os << ", {";
        for (std::size_t i = 0; i < e.args.size(); ++i)
            os << (i ? ", " : "") << e.args[i];
        os << "}";
    }
    return os << ")";
}

// The input as it is written in the tables: printable bytes as they are, the rest as \xHH.
std::string escaped(const QByteArray &bytes) {
    std::string out;
    for (char c : bytes) {
        const auto b = uint8_t(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
            continue;
        }
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", b);
        out += hex;
    }
    return out;
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
        {"\x1b[1\nA", {cmd(vcLineFeed), cmd(vcCursorUp, {1})}},
        {"\x1b[2\x1b[3J", {cmd(vcEraseInDisplay, {3})}},
        {"\x1b[;5H", {cmd(vcCursorPosition, {1, 5})}},
        {"\x1b[H", {cmd(vcCursorPosition, {1, 1})}},
        {"\x1b[1;2;3H", {ignored}},
        {"\x1b[?1h", {cmd(vcSetMode, {-2, 1})}},
        {"\x1b[>c", {ignored}},
        {"\x1b[m", {cmd(vcRendition, {0})}},
        {"\x1b[1;;4m", {cmd(vcRendition, {1, 0, 4})}},
        {"\x1b(0", {cmd(vcDesignate, {0, 0})}},
        {"\x1b( 0", {ignored}},
        {"\x1b)B", {cmd(vcDesignate, {1, 66})}},
        {"\x1b[1\x18"
         "A",
         {ignored, cmd(vcCursorUp, {1})}},
        {"\x1b[61\"p", {cmd(vcReset)}},
        {"\x1b[99999999999A", {ignored}},
        {"\x1b[2147483647C", {cmd(vcCursorForward, {2147483647})}},
        {"\x1b[0A", {cmd(vcCursorUp, {0})}},
        {"\x1b[?10H", {ignored}},
        {"\x1b[?1;2r", {ignored}},
        {"\x1b[?5;10H", {ignored}},
        {"\x1b[5;10r", {cmd(vcScrollRegion, {5, 10})}},
        {"\x1b[r", {cmd(vcScrollRegion, {-1})}},
        {"\x1b[6n", {cmd(vcStatusReport, {6})}},
        {"\x1b[n", {cmd(vcStatusReport, {-1})}},
        {"\x1b[x", {cmd(vcRequestParameters, {-1})}},
        {"\x1b[!p", {ignored}},
        {"\x1b[1:2m", {ignored}},
        {"\x1b#6\x1b#3\x1b#4\x1b#5\x1b#8\x1b#9",
         {cmd(vcDoubleWidthLine), cmd(vcDoubleHeightLine, {0}), cmd(vcDoubleHeightLine, {1}),
          cmd(vcSingleWidthLine), cmd(vcScreenAlignment), ignored}},
        {"\x1b"
         "7\x1b"
         "8\x1b"
         "D\x1b"
         "E\x1bH\x1bM\x1bZ\x1b"
         "c\x1b=\x1b>\x1b"
         "1\x1b<",
         {cmd(vcSaveCursor), cmd(vcRestoreCursor), cmd(vcIndex), cmd(vcNextLine), cmd(vcSetTabStop),
          cmd(vcReverseIndex), cmd(vcIdentify, {0}), cmd(vcReset), cmd(vcSetMode, {-2, 999}),
          cmd(vcResetMode, {-2, 999}), cmd(vcNone), ignored}},
        {QByteArray("\x05\x07\x08\x09\x0b\x0c\x0d\x0e\x0f\x00", 10),
         {cmd(vcEnquiry), cmd(vcBell), cmd(vcBackspace), cmd(vcHorizontalTab, {1}), cmd(vcVerticalTab, {1}),
          cmd(vcEraseInDisplay, {2}), cmd(vcCarriageReturn), cmd(vcShiftOut), cmd(vcShiftIn), ignored}},
        {"a~\x7f\xc8", {printable, printable, upperByte, upperByte}},
        {"\x1b*0\x1b+A", {ignored, ignored}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parse(c.input), c.expected) << "input " << escaped(c.input);
}

TEST(TVtVT100Parser, Vt52ModeHasItsOwnTable) {
    TVtVT100Parser p;
    feed(p, "\x1b[?2l");
    EXPECT_TRUE(p.IsVT52());
    struct Case {
        QByteArray input;
        std::vector<Event> expected;
    } cases[] = {
        {"\x1bY!!", {cmd(vcCursorPosition, {2, 2})}},
        {"\x1bY\r!!", {cmd(vcCarriageReturn), cmd(vcCursorPosition, {2, 2})}},
        {"\x1b"
         "A\x1b"
         "D\x1bH\x1bI\x1bJ\x1bK\x1bZ\x1b"
         "F\x1bG\x1b[",
         {cmd(vcCursorUp, {1}), cmd(vcCursorBackward, {1}), cmd(vcCursorPosition, {1, 1}),
          cmd(vcReverseIndex), cmd(vcEraseInDisplay, {0}), cmd(vcEraseInLine, {0}), cmd(vcIdentify, {52}),
          cmd(vcShiftOut), cmd(vcShiftIn), ignored}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(feed(p, c.input), c.expected) << "input " << escaped(c.input);
    EXPECT_EQ(feed(p, "\x1b<"), (std::vector<Event>{cmd(vcSetMode, {-2, 2})}));
    EXPECT_FALSE(p.IsVT52());
}

TEST(TVtVT100Parser, SplitFeedsCompleteOneCommand) {
    TVtVT100Parser p;
    std::vector<Event> all;
    for (const char *part : {"\x1b[", "12", ";4", "0H"}) {
        auto events = feed(p, part);
        all.insert(all.end(), events.begin(), events.end());
    }
    EXPECT_EQ(all, (std::vector<Event>{cmd(vcCursorPosition, {12, 40})}));
    EXPECT_EQ(p.GetSequence(), "\x1b[12;40H");
    feed(p, "\r");
    EXPECT_EQ(p.GetSequence(), "\r");
}

TEST(TVtVT100Parser, OverlongSequencesAreAbandoned) {
    TVtVT100Parser p;
    const QByteArray junk = "\x1b[" + QByteArray(100000, '1');
    EXPECT_TRUE(feed(p, junk).empty());
    EXPECT_EQ(feed(p, "Ab"), (std::vector<Event>{ignored, printable}));
    EXPECT_EQ(parse("\x1b(" + QByteArray(10000, ' ') + "0"), (std::vector<Event>{ignored}));
}

TEST(TVtVT100Parser, RandomStreamsStayBounded) {
    std::mt19937 rng(7);
    const char alphabet[] = "\x1b[;?0123456789Hm#()YA\r\n\x18 \x80\xff";
    TVtVT100Parser p;
    for (int i = 0; i < 200000; ++i) {
        const int r = p.ProcessChar(uint8_t(alphabet[rng() % (sizeof(alphabet) - 1)]));
        ASSERT_GE(r, vprIgnore);
        ASSERT_LE(r, vprCommand);
        ASSERT_LE(p.ArgumentCount(), TVtVT100Parser::kMaxArguments);
        ASSERT_LE(p.GetSequence().size(), TVtVT100Parser::kMaxSequence);
    }
}
