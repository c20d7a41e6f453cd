// Which recovery file is offered and which may go: never a running window's, never this
// window's own.
#include "sheet/recovery_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::sheet {
namespace {

constexpr std::int64_t kDay = std::int64_t{24} * 60 * 60 * 1000;
constexpr std::int64_t kNow = std::int64_t{1'700'000'000'000};

TEST(RecoveryFileName, NamesEachWindowApart)
{
    const std::string name = RecoveryFileName(1700000000123, 4242);
    EXPECT_EQ(name, "sheet-1700000000123-4242.txt");
    EXPECT_EQ(RecoveryLockName(name), "sheet-1700000000123-4242.lock");
    EXPECT_TRUE(IsRecoveryFileName(name));
    EXPECT_NE(RecoveryFileName(1700000000123, 4243), name);

    const char* notOurs[] = {"sheet-1-2.txt.aBcD12", "sheet-1-2.lock", "sheet--2.txt",
                             "sheet-1-.txt",         "sheet-1.txt",    "sheet-1-2x.txt",
                             "budget.txt",           "sheet-1-2.TXT"};
    for (const char* name2 : notOurs) {
        SCOPED_TRACE(name2);
        EXPECT_FALSE(IsRecoveryFileName(name2));
    }
}

TEST(NewestRecoverable, TheLastWrittenFileOfAWindowThatIsGone)
{
    const std::string own = "sheet-9-9.txt";
    const struct {
        const char* name;
        std::vector<RecoveryEntry> entries;
        std::optional<std::size_t> want;
    } cases[] = {
        {"empty folder", {}, std::nullopt},
        {"only our own", {{own, kNow, 10, false}}, std::nullopt},
        {"newest wins",
         {{"sheet-1-1.txt", kNow - 50, 10, false}, {"sheet-2-2.txt", kNow - 10, 10, false}},
         1},
        {"modification time, not start time",
         {{"sheet-1-1.txt", kNow - 5, 10, false}, {"sheet-2-2.txt", kNow - 10, 10, false}},
         0},
        {"a running window's file is never offered",
         {{"sheet-1-1.txt", kNow - 50, 10, false}, {"sheet-2-2.txt", kNow, 10, true}},
         0},
        {"our own newer file is skipped",
         {{own, kNow, 10, false}, {"sheet-1-1.txt", kNow - 50, 10, false}},
         1},
        {"an emptied sheet does not hide older work",
         {{"sheet-1-1.txt", kNow - 50, 10, false}, {"sheet-2-2.txt", kNow, 0, false}},
         0},
        {"temporaries are no recovery files",
         {{"sheet-1-1.txt.Ab12Cd", kNow, 10, false}, {"notes.txt", kNow, 10, false}},
         std::nullopt},
        {"equal times: the later name",
         {{"sheet-2-2.txt", kNow, 10, false}, {"sheet-1-1.txt", kNow, 10, false}},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NewestRecoverable(c.entries, own), c.want);
    }
}

TEST(ExpiredRecoveryFiles, GoneForAWeekAndNotRunning)
{
    const std::string own = "sheet-9-9.txt";
    const std::vector<RecoveryEntry> entries = {
        {"sheet-1-1.txt", kNow - 8 * kDay, 10, false},        // gone
        {"sheet-2-2.txt", kNow - 6 * kDay, 10, false},        // not old enough
        {"sheet-3-3.txt", kNow - 30 * kDay, 10, true},        // its window still runs
        {own, kNow - 30 * kDay, 10, false},                   // ours
        {"sheet-4-4.txt.Xy12Zw", kNow - 9 * kDay, 10, false}, // a write cut short
        {"sheet-5-5.txt.Xy12Zw", kNow - 1 * kDay, 10, false}, // one that may still finish
        {"budget.txt", kNow - 99 * kDay, 10, false},          // not ours to remove
    };
    EXPECT_EQ(ExpiredRecoveryFiles(entries, own, kNow, kRecoveryMaxAgeMs),
              (std::vector<std::string>{"sheet-1-1.txt", "sheet-4-4.txt.Xy12Zw"}));
}

TEST(SupersededRecoveryFiles, EveryFileOfAWindowGoneBeforeTheRecoveredOne)
{
    const std::string own = "sheet-9-9.txt";
    const std::vector<RecoveryEntry> entries = {
        {"sheet-1-1.txt", kNow, 10, false},       // the recovered one
        {"sheet-2-2.txt", kNow, 10, true},        // its window still runs
        {own, kNow, 10, false},                   // ours
        {"sheet-3-3.txt", kNow - kDay, 0, false}, // older, empty
        {"sheet-4-4.txt", kNow + 5, 10, false},   // died after the choice: not seen yet
        {"budget.txt", kNow, 10, false},          // not ours to remove
    };
    EXPECT_EQ(SupersededRecoveryFiles(entries, own, kNow),
              (std::vector<std::string>{"sheet-1-1.txt", "sheet-3-3.txt"}));
}

} // namespace
} // namespace tolvane::sheet
