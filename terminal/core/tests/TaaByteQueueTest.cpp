#include "terminal/core/TaaByteQueue.h"

#include <gtest/gtest.h>

TEST(TaaByteQueue, PutPeekRemoveKeepOrderAcrossGrowth) {
    TaaByteQueue queue;
    QByteArray all;
    for (int i = 0; i < 300; ++i) {
        const QByteArray chunk = QByteArray::number(i) + ',';
        queue.Put(chunk);
        all += chunk;
    }
    EXPECT_EQ(queue.Count(), all.size());
    EXPECT_EQ(queue.Capacity() % 64, 0);
    EXPECT_EQ(QByteArray(queue.Peek(queue.Count()), queue.Count()), all);
    queue.Remove(4);
    EXPECT_EQ(QByteArray(queue.Peek(queue.Count()), queue.Count()), all.mid(4));
    queue.Empty();
    EXPECT_EQ(queue.Count(), 0);
}

TEST(TaaByteQueue, PeekBeyondHeldThrowsNamingBothCounts) {
    TaaByteQueue queue;
    queue.Put("abc", 3);
    try {
        queue.Peek(5);
        FAIL();
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ(e.what(), "TaaByteQueue.Peek: 3 bytes held, 5 requested");
    }
}

TEST(TaaByteQueue, ReserveThenAdvanceCommitsOnlyWhatWasReserved) {
    TaaByteQueue queue;
    char *at = queue.Reserve(200);
    memset(at, 'x', 200);
    queue.Advance(500);
    EXPECT_EQ(queue.Count(), 200);
    queue.Remove(1000);
    EXPECT_EQ(queue.Count(), 0);
}
