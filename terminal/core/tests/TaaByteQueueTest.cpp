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

TEST(TaaByteQueue, PeekBeyondHeldIsRefusedNamingBothCounts) {
    TaaByteQueue queue;
    queue.Put("abc", 3);
    QString error;
    EXPECT_EQ(queue.Peek(5, &error), nullptr);
    EXPECT_EQ(error, "TaaByteQueue.Peek: 3 bytes held, 5 requested");
    EXPECT_EQ(QByteArray(queue.Peek(3), 3), "abc");
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
