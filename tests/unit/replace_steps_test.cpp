#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/replace_steps.h"

namespace korvif {
namespace {

using platform::CallResult;
using platform::ReplaceOutcome;

// A directory in memory whose calls fail as a case asks, the way Windows' ReplaceFile and the
// calls after it fail half-way.
class FakeCalls final : public platform::ReplaceCalls {
public:
    std::map<std::string, std::string> files;
    // How replace fails: the results it gives (the last repeats), and what it has done to the
    // names by then.
    std::vector<CallResult> replace_results {CallResult::done};
    enum class HalfDone { nothing, target_gone, target_to_backup } half_done = HalfDone::nothing;
    int held_moves = 0;           // moves refused as held before they go through (-1: never)
    bool copy_fails = false;      // saving the target's bytes fails
    int failing_writes = 0;       // writes over the target that fail (after tearing it; -1: never opened)
    unsigned waited_ms = 0;

    CallResult replace(const std::string& target, const std::string& work, const std::string& backup) override {
        const CallResult result = replace_results[std::min(replaces_++, replace_results.size() - 1)];
        if (result == CallResult::done) {
            files[backup] = files[target];
            files[target] = files[work];
            files.erase(work);
        } else if (half_done == HalfDone::target_gone) {
            files.erase(target);  // error 1176 without the backup made
        } else if (half_done == HalfDone::target_to_backup) {
            files[backup] = files[target];  // error 1177: the old file under the backup's name
            files.erase(target);
        }
        return result;
    }
    CallResult move(const std::string& from, const std::string& to) override {
        if (held_moves != 0) {
            if (held_moves > 0) --held_moves;
            return CallResult::held;
        }
        if (!files.count(from) || files.count(to)) return CallResult::failed;
        files[to] = files[from];
        files.erase(from);
        return CallResult::done;
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool remove(const std::string& path) override { return files.erase(path) != 0; }
    CallResult save_copy(const std::string& from, const std::string& to) override {
        if (copy_fails) {
            files[to] = "part";
            return CallResult::failed;
        }
        files[to] = files[from];
        return CallResult::done;
    }
    CallResult write_over(const std::string& from, const std::string& target) override {
        if (failing_writes < 0) return CallResult::held;  // the target cannot be opened for writing
        if (failing_writes > 0) {
            --failing_writes;
            files[target] = "torn";
            return CallResult::failed;  // the flush or a write failed after some bytes
        }
        files[target] = files[from];
        return CallResult::done;
    }
    void wait(unsigned milliseconds) override { waited_ms += milliseconds; }

private:
    std::size_t replaces_ = 0;
};

TEST(ReplaceSteps, TheUserAlwaysHasOneVersionUnderTheNameOrBothUnderNamesTheTraceGives) {
    struct Case {
        const char* name;
        std::vector<CallResult> replace_results;
        FakeCalls::HalfDone half_done;
        int held_moves;
        bool copy_fails;
        int failing_writes;
        bool in_place;
        ReplaceOutcome outcome;
        std::map<std::string, std::string> files;  // afterwards
    };
    using HD = FakeCalls::HalfDone;
    const CallResult held = CallResult::held, failed = CallResult::failed, done = CallResult::done;
    const Case cases[] = {
        {"one step", {done}, HD::nothing, 0, false, 0, true, ReplaceOutcome::replaced, {{"doc", "new"}}},
        {"held for a moment", {held, held, held, done}, HD::nothing, 0, false, 0, true, ReplaceOutcome::replaced,
         {{"doc", "new"}}},
        {"refused, target untouched", {failed}, HD::nothing, 0, false, 0, true, ReplaceOutcome::refused,
         {{"doc", "old"}, {"work", "new"}}},
        {"1176, target gone: the new file goes in", {failed}, HD::target_gone, 0, false, 0, true,
         ReplaceOutcome::replaced, {{"doc", "new"}}},
        {"1177: the old file comes back", {failed}, HD::target_to_backup, 0, false, 0, true, ReplaceOutcome::refused,
         {{"doc", "old"}, {"work", "new"}}},
        {"1177, the name blocked for a moment", {failed}, HD::target_to_backup, 5, false, 0, true,
         ReplaceOutcome::refused, {{"doc", "old"}, {"work", "new"}}},
        {"1177, no move goes through: both stay", {failed}, HD::target_to_backup, -1, false, 0, true,
         ReplaceOutcome::kept, {{"backup", "old"}, {"work", "new"}}},
        {"1176 with the work file held for good: it stays", {failed}, HD::target_gone, -1, false, 0, true,
         ReplaceOutcome::kept, {{"work", "new"}}},
        {"held: written in place", {held}, HD::nothing, 0, false, 0, true, ReplaceOutcome::replaced, {{"doc", "new"}}},
        {"held, in place not allowed", {held}, HD::nothing, 0, false, 0, false, ReplaceOutcome::refused,
         {{"doc", "old"}, {"work", "new"}}},
        {"held, the old bytes cannot be saved", {held}, HD::nothing, 0, true, 0, true, ReplaceOutcome::refused,
         {{"doc", "old"}, {"work", "new"}}},
        {"held, and no writing allowed by its holder", {held}, HD::nothing, 0, false, -1, true,
         ReplaceOutcome::refused, {{"doc", "old"}, {"work", "new"}}},
        {"held, the write or its flush fails: put back", {held}, HD::nothing, 0, false, 1, true,
         ReplaceOutcome::refused, {{"doc", "old"}, {"work", "new"}}},
        {"held, and putting back fails too: both stay", {held}, HD::nothing, 0, false, 2, true, ReplaceOutcome::kept,
         {{"doc", "torn"}, {"backup", "old"}, {"work", "new"}}},
    };
    for (const Case& c : cases) {
        FakeCalls calls;
        calls.files = {{"doc", "old"}, {"work", "new"}};
        calls.replace_results = c.replace_results;
        calls.half_done = c.half_done;
        calls.held_moves = c.held_moves;
        calls.copy_fails = c.copy_fails;
        calls.failing_writes = c.failing_writes;
        EXPECT_EQ(platform::replace_steps(calls, "doc", "work", "backup", {.in_place = c.in_place}), c.outcome) << c.name;
        EXPECT_EQ(calls.files, c.files) << c.name;
        EXPECT_LE(calls.waited_ms, 2 * platform::held_retry_ms) << c.name;  // two calls retried at most
    }
}

TEST(ReplaceSteps, MissingFilesAreNotWaitedFor) {
    FakeCalls calls;
    calls.files = {{"doc", "old"}, {"work", "new"}};
    calls.replace_results = {CallResult::missing};
    EXPECT_EQ(platform::replace_steps(calls, "doc", "work", "backup", {}), ReplaceOutcome::refused);
    EXPECT_EQ(calls.waited_ms, 0u);
}

}  // namespace
}  // namespace korvif
