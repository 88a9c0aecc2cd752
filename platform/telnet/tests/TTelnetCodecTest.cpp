// Byte vectors for the telnet codec: what the host sends, what the caller gets, what goes back.
#include "platform/telnet/TTelnetCodec.h"
#include "platform/telnet/TTelnet.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

QByteArray hex(const char *text) {
    return QByteArray::fromHex(text);
}

struct DecodeCase {
    const char *name;
    const char *input;   // from the host, hex
    const char *data;    // what the caller receives, hex
    const char *replies; // what the link answers, hex
};

// Negotiation the link agrees to or refuses. Options: 00 binary, 01 echo, 03 sga, 18 ttype, 1f naws.
const DecodeCase kDecodeCases[] = {
    {"doubled IAC is one data byte", "ffff9f41", "ff9f41", ""},
    {"plain bytes pass unchanged", "009b9ffcfd0d0a", "009b9ffcfd0d0a", ""},
    {"DO TTYPE answered, not passed on", "fffd18", "", "fffb18"},
    {"TTYPE SEND answered with the term type", "fffd18fffa1801fff0", "", "fffb18fffa18007674343030fff0"},
    {"TTYPE SEND ignored before DO TTYPE", "fffa1801fff041", "41", ""},
    {"DO NAWS answered with 80x24", "fffd1f", "", "fffb1ffffa1f00500018fff0"},
    {"WILL ECHO accepted", "fffb01", "", "fffd01"},
    {"WILL SGA accepted", "fffb03", "", "fffd03"},
    {"DO SGA accepted", "fffd03", "", "fffb03"},
    {"BINARY agreed both ways", "fffd00fffb00", "", "fffb00fffd00"},
    {"DO ECHO refused", "fffd01", "", "fffc01"},
    {"unknown DO refused", "fffd2741", "41", "fffc27"},
    {"unknown WILL refused", "fffb2241", "41", "fffe22"},
    {"repeated DO not answered twice", "fffd00fffd00", "", "fffb00"},
    {"DONT after DO switches off", "fffd00fffe00", "", "fffb00fffc00"},
    {"single commands removed", "41fff142fff943", "414243", ""},
    {"unknown subnegotiation removed", "41fffa2a0102fff042", "4142", ""},
    {"command bytes after a doubled IAC are data", "fffffb01ffff", "fffb01ff", ""},
    {"compression marker does not swallow the text after it", "fffa56fff0414243", "414243", ""},
    {"nor a compression marker cut short by another command", "fffa56f0fffa2a01fff0414243", "414243", ""},
};

class Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, DataAndReplies) {
    const DecodeCase &c = GetParam();
    TTelnetCodec codec;
    codec.decode(hex(c.input));
    EXPECT_EQ(codec.takeData().toHex(), hex(c.data).toHex());
    EXPECT_EQ(codec.takeWire().toHex(), hex(c.replies).toHex());
}

TEST_P(Decode, SameResultWhenSplitAnywhere) {
    // TCP may cut the stream at any byte, also inside a command.
    const DecodeCase &c = GetParam();
    const QByteArray input = hex(c.input);
    for (qsizetype cut = 1; cut < input.size(); ++cut) {
        TTelnetCodec codec;
        codec.decode(input.left(cut));
        codec.decode(input.mid(cut));
        EXPECT_EQ(codec.takeData().toHex(), hex(c.data).toHex()) << "cut at " << cut;
        EXPECT_EQ(codec.takeWire().toHex(), hex(c.replies).toHex()) << "cut at " << cut;
    }
}

// Each case is reported by its own name; a run of characters a test name may not hold becomes "_".
std::string caseName(const testing::TestParamInfo<DecodeCase> &info) {
    std::string name;
    for (const char *c = info.param.name; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
        else if (name.empty() || name.back() != '_')
            name += '_';
    }
    return name;
}

void PrintTo(const DecodeCase &c, std::ostream *os) {
    *os << "\"" << c.name << "\" (host sends " << c.input << ")";
}

INSTANTIATE_TEST_SUITE_P(Telnet, Decode, testing::ValuesIn(kDecodeCases), caseName);

struct EncodeCase {
    const char *data;
    const char *wire;
};

const EncodeCase kEncodeCases[] = {
    {"fff4", "fffff4"},           // an undoubled FF F4 would interrupt the host program
    {"00", "00"},                 // the {null} key token is exactly one byte
    {"0d0a0d", "0d0a0d"},         // CR and LF are not rewritten
    {"41ffff42", "41ffffffff42"}, //
    {"9f9bfcfd", "9f9bfcfd"},     // frame bytes and host marks are plain data
    {"", ""},
};

TEST(TelnetEncode, DoublesEveryIacAndNothingElse) {
    for (const auto &c : kEncodeCases) {
        TTelnetCodec codec;
        codec.encode(hex(c.data));
        EXPECT_EQ(codec.takeWire().toHex(), hex(c.wire).toHex()) << c.data;
    }
}

TEST(TelnetCodec, TermTypeAndWindowSizeFollowTheSettings) {
    TTelnetCodec codec;
    codec.setTermType("vt100");
    codec.setWindowSize(132, 255);
    codec.decode(hex("fffd18fffd1ffffa1801fff0"));
    EXPECT_EQ(codec.takeWire().toHex(), hex("fffb18"
                                            "fffb1ffffa1f008400ffff"
                                            "fff0"
                                            "fffa18007674313030fff0")
                                            .toHex());

    // A later change goes to the host at once; an unchanged size is not repeated.
    codec.setWindowSize(80, 25);
    EXPECT_EQ(codec.takeWire().toHex(), hex("fffa1f00500019fff0").toHex());
    codec.setWindowSize(80, 25);
    EXPECT_TRUE(codec.takeWire().isEmpty());

    // Out-of-range sizes are clamped to what NAWS can carry.
    codec.setWindowSize(-5, 70000);
    EXPECT_EQ(codec.takeWire().toHex(), hex("fffa1f0000ffffffff"
                                            "fff0")
                                            .toHex());
}

TEST(TelnetCodec, WindowSizeWaitsUntilTheHostAsks) {
    TTelnetCodec codec;
    codec.setWindowSize(100, 30);
    EXPECT_TRUE(codec.takeWire().isEmpty());
    EXPECT_FALSE(codec.windowSizeAgreed());
    codec.decode(hex("fffd1f"));
    EXPECT_EQ(codec.takeWire().toHex(), hex("fffb1ffffa1f0064001efff0").toHex());
    codec.decode(hex("fffe1f"));
    codec.takeWire();
    codec.setWindowSize(90, 30);
    EXPECT_TRUE(codec.takeWire().isEmpty());
}

TEST(TelnetCodec, ResetForgetsTheLastConnection) {
    TTelnetCodec codec;
    codec.decode(hex("fffd1ffffd0041"));
    codec.reset();
    EXPECT_TRUE(codec.takeData().isEmpty());
    EXPECT_TRUE(codec.takeWire().isEmpty());
    EXPECT_FALSE(codec.windowSizeAgreed());
    // The same offers are answered again on the new connection.
    codec.decode(hex("fffd00"));
    EXPECT_EQ(codec.takeWire().toHex(), hex("fffb00").toHex());
}

TEST(TelnetState, QtSocketStatesMapExplicitly) {
    const std::pair<QAbstractSocket::SocketState, int> cases[] = {
        {QAbstractSocket::UnconnectedState, 0}, {QAbstractSocket::HostLookupState, 1},
        {QAbstractSocket::ConnectingState, 1},  {QAbstractSocket::ConnectedState, 2},
        {QAbstractSocket::BoundState, 3},       {QAbstractSocket::ClosingState, 3},
        {QAbstractSocket::ListeningState, 3},
    };
    for (const auto &[qt, expected] : cases)
        EXPECT_EQ(int(TTelnet::mapState(qt)), expected) << int(qt); // the control's numbers
}

} // namespace
