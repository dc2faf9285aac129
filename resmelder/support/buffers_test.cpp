// Growth policies and text operations of the buffers and the pointer array.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/data_buffer.h"
#include "support/ext_ptr_array.h"
#include "support/progress_monitor.h"
#include "support/string_buffer.h"

namespace resmelder {
namespace {

TEST(DataBufferTest, GrowsByTwentyThousandOrByTheAppendedRun) {
    DataBuffer one;
    EXPECT_EQ(one.Capacity(), 0u);
    one.AppendByte(7);
    EXPECT_EQ(one.Capacity(), 20000u);
    EXPECT_EQ(one.Length(), 1u);

    DataBuffer big;
    const std::vector<std::uint8_t> run(30000, 0x5A);
    big.Append(run);
    EXPECT_EQ(big.Capacity(), 30000u);
    big.Append(std::vector<std::uint8_t>(10, 1));  // 30010 > 30000: length + 20000
    EXPECT_EQ(big.Capacity(), 50000u);
    EXPECT_EQ(big.Data()[29999], 0x5A);
    EXPECT_EQ(big.Data()[30009], 1);

    DataBuffer exact;
    exact.EnsureCapacity(123);
    EXPECT_EQ(exact.Capacity(), 123u);
    exact.EnsureCapacity(50);
    EXPECT_EQ(exact.Capacity(), 123u);
}

TEST(DataBufferTest, BorrowedBytesAreCopiedOnFirstGrowth) {
    const std::array<std::uint8_t, 3> source = {1, 2, 3};
    DataBuffer b;
    b.Borrow(source.data(), 3);
    EXPECT_TRUE(b.IsBorrowed());
    EXPECT_EQ(b.Data(), source.data());
    b.AppendByte(4);
    EXPECT_FALSE(b.IsBorrowed());
    EXPECT_NE(b.Data(), source.data());
    EXPECT_EQ(std::vector<std::uint8_t>(b.Data(), b.Data() + b.Length()),
              (std::vector<std::uint8_t>{1, 2, 3, 4}));
    b.Clear();
    EXPECT_EQ(b.Length(), 0u);
    EXPECT_EQ(b.Capacity(), 20003u);
    b.AppendUtf16z(u"ab");
    EXPECT_EQ(b.Length(), 6u);
    EXPECT_EQ(b.Data()[4], 0);
    EXPECT_EQ(b.Data()[5], 0);
}

TEST(StringBufferTest, GrowthAndIncrement) {
    StringBuffer s;
    EXPECT_EQ(s.Capacity(), 200u);
    EXPECT_EQ(s.Increment(), 200u);
    s.Append(std::string(250, 'x'));
    EXPECT_EQ(s.Capacity(), 451u);
    EXPECT_EQ(s.Increment(), 225u);
    EXPECT_EQ(s.Length(), 250u);

    StringBuffer raw;
    raw.AppendBytes(std::string(300, 'y').data(), 300);  // no extra byte for raw appends
    EXPECT_EQ(raw.Capacity(), 500u);
    EXPECT_EQ(raw.Increment(), 250u);

    StringBuffer fromText("abc");
    EXPECT_EQ(fromText.Capacity(), 4u);
    EXPECT_EQ(fromText.Increment(), 200u);
    fromText.Prepend("12");
    EXPECT_EQ(fromText.View(), "12abc");
    EXPECT_EQ(fromText.Capacity(), 3u + 200u + 2u + 1u);
    EXPECT_EQ(fromText.Increment(), 200u);  // prepend leaves the increment alone
    fromText.ShrinkToFit();
    EXPECT_EQ(fromText.Capacity(), 6u);

    // The increment stops doubling at 500000.
    StringBuffer huge;
    for (int i = 0; i < 12; ++i) {
        huge.Append(std::string(200000, 'z'));
    }
    EXPECT_EQ(huge.Increment(), 500000u);
    EXPECT_EQ(huge.Length(), 2400000u);
}

TEST(StringBufferTest, TextOperations) {
    StringBuffer s(" \t\r\n\xA0 middle \xA0\n");
    s.Trim();
    EXPECT_EQ(s.View(), "middle");

    s.Set("a-b-c-");
    EXPECT_EQ(s.Replace("-", "--"), 3u);
    EXPECT_EQ(s.View(), "a--b--c--");
    EXPECT_EQ(s.Replace("x", "y"), 0u);

    s.Set("<a href=\"x\">&</a>");
    s.EscapeMarkup();
    EXPECT_EQ(s.View(), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");

    s.Clear();
    s.AppendInt(-2147483647 - 1);
    s.AppendChar(',');
    s.AppendInt(42);
    EXPECT_EQ(s.View(), "-2147483648,42");
    EXPECT_TRUE(s.Equals("-2147483648,42"));
    EXPECT_FALSE(s.Equals("-2147483648,4"));
    EXPECT_FALSE(s.Equals(nullptr));
    s.Clear();
    EXPECT_TRUE(s.Equals(nullptr));
    EXPECT_TRUE(s.Equals(""));
}

struct Counted {
    explicit Counted(int v, int* destroyed) : value(v), destroyedCount(destroyed) {}
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ~Counted() { ++*destroyedCount; }
    int value;
    int* destroyedCount;
};

TEST(ExtPtrArrayTest, StepDoublesUpToTheCap) {
    int destroyed = 0;
    ExtPtrArray<Counted> a;
    EXPECT_EQ(a.Capacity(), 0u);
    std::vector<std::uint32_t> capacities;
    for (int i = 0; i < 41; ++i) {
        a.Append(std::make_unique<Counted>(i, &destroyed));
        if (capacities.empty() || capacities.back() != a.Capacity()) {
            capacities.push_back(a.Capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<std::uint32_t>{5, 10, 20, 40, 80}));
    EXPECT_EQ(a.Step(), 80u);
    EXPECT_EQ(a.Get(41), nullptr);
    EXPECT_EQ(a.Last()->value, 40);

    auto removed = a.RemoveAt(3);
    EXPECT_EQ(removed->value, 3);
    EXPECT_EQ(a.Get(3)->value, 4);
    EXPECT_EQ(a.Count(), 40u);
    EXPECT_EQ(destroyed, 0);
    removed.reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(a.PopLast()->value, 40);
    EXPECT_EQ(destroyed, 2);
    a.DestroyAll();
    EXPECT_EQ(destroyed, 41);
    EXPECT_EQ(a.Count(), 0u);

    ExtPtrArray<int> big;
    for (int i = 0; i < 300000; ++i) {
        big.Append(std::make_unique<int>(i));
    }
    EXPECT_EQ(big.Step(), 100000u);
    EXPECT_EQ(*big.Get(299999), 299999);
}

class RecordingReceiver : public ProgressReceiver {
  public:
    void PercentDone(std::uint32_t percent, bool& abort) override {
        percents.push_back(percent);
        abort = percent >= abortAt;
    }
    void Heartbeat(bool& /*abort*/) override { ++heartbeats; }
    std::vector<std::uint32_t> percents;
    int heartbeats = 0;
    std::uint32_t abortAt = 1000;
};

TEST(ProgressMonitorTest, ReportsRisesAndStopsAtTheTotal) {
    RecordingReceiver r;
    ProgressMonitor m(200, &r);
    m.Consumed(1);  // 0 %: no rise
    m.Consumed(99);
    m.Consumed(1000);  // never beyond the total
    EXPECT_EQ(r.percents, (std::vector<std::uint32_t>{50, 100}));
    EXPECT_EQ(m.Current(), 200u);

    // Large totals are scaled down before the product, so nothing overflows.
    ProgressMonitor big(4000000000ull, nullptr);
    big.Consumed(1000000000ull);
    EXPECT_EQ(big.Percent(), 25u);
    EXPECT_EQ(ProgressMonitor(0, nullptr).Percent(), 100u);

    RecordingReceiver stopper;
    stopper.abortAt = 30;
    ProgressMonitor s(10, &stopper);
    s.Consumed(2);
    EXPECT_FALSE(s.Aborted());
    s.Finish();
    EXPECT_TRUE(s.Aborted());
}

}  // namespace
}  // namespace resmelder
