// The reader thread over a socket pair standing in for a hidraw node: report layout, device
// removal, failing reads, and stopping while reports are on their way.
#include "platform/hid/TUsbHidDeviceReadThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kBoundMs = 10000;

struct Collected {
    QList<QByteArray> reports;
    QList<std::pair<int, bool>> errors;
};

class ReadThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
        ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
        m_readEnd = ends[0];
        m_peer = ends[1];
    }
    void TearDown() override {
        m_reader.reset();
        if (m_peer >= 0)
            ::close(m_peer);
    }
    void start(bool numbered, int sleepMs = 100) {
        m_reader = TUsbHidDeviceReadThread::Start(
            m_readEnd, numbered, sleepMs, [this](const QByteArray &report) { m_got.reports << report; },
            [this](int error, bool gone) { m_got.errors << std::make_pair(error, gone); });
        ASSERT_TRUE(m_reader);
    }
    void send(const QByteArray &bytes) {
        ASSERT_EQ(::send(m_peer, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), bytes.size());
    }
    void closePeer() {
        ::close(m_peer);
        m_peer = -1;
    }

    int m_readEnd = -1;
    int m_peer = -1;
    Collected m_got;
    std::unique_ptr<TUsbHidDeviceReadThread> m_reader;
};

struct LayoutCase {
    const char *name;
    bool numbered;
    const char *read;      // what one read returns on Linux
    const char *delivered; // what the decoders get: report ID first
};

const LayoutCase kLayouts[] = {
    {"unnumbered gets a zero ID", false, "05", "0005"},
    {"unnumbered nine bytes", false, "000000000000000004", "00000000000000000004"},
    {"numbered keeps its ID", true, "02aabb", "02aabb"},
    {"numbered single byte", true, "01", "01"},
};

TEST_F(ReadThreadTest, ReportsArriveInTheLayoutTheDecodersRead) {
    for (const LayoutCase &c : kLayouts)
        EXPECT_EQ(TUsbHidDeviceReadThread::NormaliseReport(QByteArray::fromHex(c.read).constData(),
                                                           QByteArray::fromHex(c.read).size(), c.numbered),
                  QByteArray::fromHex(c.delivered))
            << c.name;

    start(false);
    send(QByteArray::fromHex("05"));
    send(QByteArray::fromHex("00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_got.reports.size() == 2; }, kBoundMs));
    EXPECT_EQ(m_got.reports[0], QByteArray::fromHex("0005"));
    EXPECT_EQ(m_got.reports[1], QByteArray::fromHex("0000"));
    EXPECT_TRUE(m_got.errors.isEmpty());
}

TEST_F(ReadThreadTest, RemovedDeviceIsReportedOnceAndTheThreadEnds) {
    start(true, 20);
    send(QByteArray::fromHex("0101"));
    closePeer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_reader->Running() && !m_got.errors.isEmpty(); }, kBoundMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_got.reports, QList<QByteArray>{QByteArray::fromHex("0101")});
    ASSERT_EQ(m_got.errors.size(), 1);
    EXPECT_TRUE(m_got.errors[0].second);
    EXPECT_TRUE(TUsbHidDeviceReadThread::IsDeviceGone(m_got.errors[0].first));
}

TEST_F(ReadThreadTest, FailingReadsBackOffAndStopDoesNotWaitOutTheSleep) {
    // A directory polls readable and every read fails with EISDIR: an error that is not removal.
    ::close(m_readEnd);
    m_readEnd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(m_readEnd, 0);
    QElapsedTimer clock;
    clock.start();
    start(false, 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_got.errors.size() >= 3; }, kBoundMs));
    EXPECT_GE(clock.elapsed(), 200) << "errors must be spaced by the sleep time";
    for (const auto &[error, gone] : m_got.errors) {
        EXPECT_EQ(error, EISDIR);
        EXPECT_FALSE(gone);
    }
    EXPECT_TRUE(m_reader->Running());

    m_reader.reset();

    // The first failure comes at once, then a pause of the whole sleep time that Stop cuts short.
    m_readEnd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(m_readEnd, 0);
    m_got.errors.clear();
    start(false, 10000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_got.errors.size() == 1; }, kBoundMs));
    clock.restart();
    m_reader->Stop();
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(ReadThreadTest, StopWhileReportsFlowDropsWhatIsQueued) {
    start(false, 10);
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        const char report = 0x01;
        while (writing)
            ::send(m_peer, &report, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_got.reports.size() > 10; }, kBoundMs));
    m_reader->Stop();
    const qsizetype atStop = m_got.reports.size();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    writing = false;
    writer.join();
    EXPECT_EQ(m_got.reports.size(), atStop) << "no report may be delivered after Stop";
}

TEST_F(ReadThreadTest, HandlerMayDestroyItsOwnReader) {
    m_reader = TUsbHidDeviceReadThread::Start(m_readEnd, false, 100,
                                              [this](const QByteArray &report) {
                                                  m_got.reports << report;
                                                  m_reader.reset();
                                              },
                                              {});
    ASSERT_TRUE(m_reader);
    send(QByteArray::fromHex("01"));
    send(QByteArray::fromHex("02"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_reader; }, kBoundMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_got.reports.size(), 1);
}

TEST_F(ReadThreadTest, HandlerExceptionsStayInsideTheLayer) {
    m_reader = TUsbHidDeviceReadThread::Start(m_readEnd, false, 100,
                                              [this](const QByteArray &report) {
                                                  m_got.reports << report;
                                                  throw std::runtime_error("decoder failed");
                                              },
                                              {});
    ASSERT_TRUE(m_reader);
    send(QByteArray::fromHex("01"));
    send(QByteArray::fromHex("02"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_got.reports.size() == 2; }, kBoundMs));
}

} // namespace
