#include "midi/Circbuf.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>

#include <atomic>
#include <memory>
#include <thread>

namespace {

TEventBufferItem Item(uint32_t n)
{
    return TEventBufferItem{n, 0x90u | (n & 0x7F) << 8, nullptr};
}

struct BufferDeleter {
    void operator()(TEventBuffer *buffer) const { FreeEventBuffer(buffer); }
};
using BufferPtr = std::unique_ptr<TEventBuffer, BufferDeleter>;

BufferPtr MakeBuffer(uint16_t capacity)
{
    return BufferPtr(CreateEventBuffer(capacity));
}

// Takes the oldest item out, the way the input reads: peek, then drop.
bool Take(TEventBuffer *buffer, TEventBufferItem &item)
{
    return PeekEvent(buffer, item) && DropEvent(buffer);
}

} // namespace

TEST(EventBuffer, NewBufferIsEmptyWithBothCursorsOnTheFirstSlot)
{
    auto buffer = MakeBuffer(4);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Capacity, 4);
    EXPECT_EQ(buffer->EventCount.load(), 0);
    EXPECT_EQ(buffer->NextPut, buffer->FirstItem);
    EXPECT_EQ(buffer->NextGet, buffer->FirstItem);
    EXPECT_EQ(buffer->EndItem, buffer->FirstItem + 4);
    TEventBufferItem item{};
    EXPECT_FALSE(PeekEvent(buffer.get(), item));
    EXPECT_FALSE(DropEvent(buffer.get()));
}

TEST(EventBuffer, CapacityFourAcceptsFourRefusesTheFifthAndReusesTheSlotFreedByWrapping)
{
    auto buffer = MakeBuffer(4);
    ASSERT_NE(buffer, nullptr);
    for (uint32_t n = 1; n <= 4; ++n)
        EXPECT_TRUE(PutEvent(buffer.get(), Item(n))) << n;
    EXPECT_EQ(buffer->LostCount.load(), 0u);
    EXPECT_FALSE(PutEvent(buffer.get(), Item(5)));
    EXPECT_FALSE(PutEvent(buffer.get(), Item(5)));
    EXPECT_EQ(buffer->LostCount.load(), 2u) << "each refused item is counted";
    EXPECT_EQ(buffer->EventCount.load(), 4);
    EXPECT_EQ(buffer->NextPut, buffer->FirstItem);

    TEventBufferItem item{};
    ASSERT_TRUE(Take(buffer.get(), item));
    EXPECT_EQ(item.TimeStamp, 1u);
    EXPECT_TRUE(PutEvent(buffer.get(), Item(6)));
    EXPECT_EQ(buffer->FirstItem->TimeStamp, 6u) << "stored in the slot the first item left";
    EXPECT_EQ(buffer->NextPut, buffer->FirstItem + 1);
    EXPECT_EQ(buffer->LostCount.load(), 2u);
}

TEST(EventBuffer, ItemsComeOutInTheOrderTheyWerePutAcrossManyWraps)
{
    auto buffer = MakeBuffer(3);
    ASSERT_NE(buffer, nullptr);
    uint32_t put = 0;
    uint32_t taken = 0;
    TEventBufferItem item{};
    // Fill up, then take one, two or three: the cursors wrap at different moments.
    for (int round = 0; round < 12; ++round) {
        while (PutEvent(buffer.get(), Item(put + 1)))
            ++put;
        for (int i = 0; i <= round % 3; ++i) {
            ASSERT_TRUE(Take(buffer.get(), item));
            EXPECT_EQ(item.TimeStamp, ++taken);
            EXPECT_EQ(item.PackedMessage, Item(taken).PackedMessage);
        }
    }
    while (Take(buffer.get(), item))
        EXPECT_EQ(item.TimeStamp, ++taken);
    EXPECT_EQ(taken, put);
    EXPECT_GT(put, 20u);
}

TEST(EventBuffer, PeekingTwiceGivesTheSameItem)
{
    auto buffer = MakeBuffer(4);
    ASSERT_NE(buffer, nullptr);
    ASSERT_TRUE(PutEvent(buffer.get(), Item(7)));
    ASSERT_TRUE(PutEvent(buffer.get(), Item(8)));
    TEventBufferItem first{};
    TEventBufferItem second{};
    ASSERT_TRUE(PeekEvent(buffer.get(), first));
    ASSERT_TRUE(PeekEvent(buffer.get(), second));
    EXPECT_EQ(first.TimeStamp, 7u);
    EXPECT_EQ(second.TimeStamp, 7u);
    EXPECT_EQ(buffer->EventCount.load(), 2);
}

TEST(EventBuffer, CapacityIsLimitedByTheSixteenBitBlockSize)
{
    struct Case {
        uint16_t capacity;
        bool created;
    };
    const Case cases[] = {
        {0, true},     {1, true},     {1024, true}, {MaxEventBufferCapacity, true}, {MaxEventBufferCapacity + 1, false},
        {5461, false}, {65535, false}};
    for (const Case &c : cases) {
        auto buffer = MakeBuffer(c.capacity);
        EXPECT_EQ(buffer != nullptr, c.created) << c.capacity;
    }
}

TEST(EventBuffer, CapacityZeroRefusesEveryItem)
{
    auto buffer = MakeBuffer(0);
    ASSERT_NE(buffer, nullptr);
    EXPECT_FALSE(PutEvent(buffer.get(), Item(1)));
    EXPECT_EQ(buffer->EventCount.load(), 0);
}

// The driver's thread puts while the user-interface thread peeks and drops;
// both change the count. Every item must come out once, whole and in order,
// and the count must never leave [0, Capacity].
class EventBufferAcrossThreads : public testing::TestWithParam<std::tuple<uint16_t, uint32_t, bool>> {};

TEST_P(EventBufferAcrossThreads, NothingIsLostReorderedOrTorn)
{
    const auto [capacity, events, producerWaitsWhenFull] = GetParam();
    auto buffer = MakeBuffer(capacity);
    ASSERT_NE(buffer, nullptr);
    std::atomic<uint32_t> refused{0};
    std::atomic<bool> consumerGaveUp{false};
    std::thread producer([&, events = events, waits = producerWaitsWhenFull] {
        for (uint32_t n = 1; n <= events && !consumerGaveUp; ++n) {
            while (!PutEvent(buffer.get(), Item(n)) && !consumerGaveUp) {
                if (!waits) {
                    ++refused;
                    break;
                }
                std::this_thread::yield();
            }
        }
    });

    uint32_t expected = 1;
    bool countInBounds = true;
    bool inOrder = true;
    bool dropped = true;
    // Only keeps a broken buffer from hanging the run.
    QDeadlineTimer guard(30000);
    while (expected <= events && inOrder && dropped && refused.load() == 0 && !guard.hasExpired()) {
        countInBounds = countInBounds && buffer->EventCount.load() <= capacity;
        TEventBufferItem item{};
        if (!PeekEvent(buffer.get(), item))
            continue;
        inOrder = item.TimeStamp == expected && item.PackedMessage == Item(expected).PackedMessage &&
                  item.SysexHeader == nullptr;
        dropped = DropEvent(buffer.get());
        ++expected;
    }
    consumerGaveUp = true;
    producer.join();

    EXPECT_EQ(refused.load(), 0u);
    EXPECT_TRUE(inOrder) << "item " << expected - 1 << " came out wrong";
    EXPECT_TRUE(dropped);
    EXPECT_EQ(expected, events + 1) << "items lost";
    EXPECT_TRUE(countInBounds);
    EXPECT_EQ(buffer->EventCount.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(ProducerAndConsumer, EventBufferAcrossThreads,
                         testing::Values(
                             // Room for everything: the producer never has to wait.
                             std::make_tuple(uint16_t{4095}, 4000u, false),
                             // A small buffer kept full: the count is fought over all the time.
                             std::make_tuple(uint16_t{8}, 200000u, true), std::make_tuple(uint16_t{1}, 50000u, true)));
