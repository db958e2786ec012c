#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/replace/replace_steps.h"
#include "platform/trace/trace.h"
#include "support/files.h"

namespace korvif {
namespace {

using platform::CallResult;
using platform::ReplaceOutcome;

// Windows' codes for the one-step replace's refusals in the cases below.
constexpr std::uint32_t replaced_ok = 0;
constexpr std::uint32_t sharing_violation = 32;
constexpr std::uint32_t disk_full = 112;
constexpr std::uint32_t invalid_function = 1;
constexpr std::uint32_t not_supported = 50;
constexpr std::uint32_t invalid_parameter = 87;
constexpr std::uint32_t unable_to_remove_replaced = 1175;
constexpr std::uint32_t unable_to_move_replacement = 1176;
constexpr std::uint32_t unable_to_move_replacement_2 = 1177;

// A directory in memory whose calls fail as a case asks, the way Windows' ReplaceFile and the
// calls after it fail half-way.
class FakeCalls final : public platform::ReplaceCalls {
public:
    std::map<std::string, std::string> files;
    // How replace fails: the system's codes it gives (the last repeats), read the way the Windows
    // layer reads them, and what it has done to the names by then.
    std::vector<std::uint32_t> replace_errors {replaced_ok};
    enum class HalfDone { nothing, target_gone, target_to_backup } half_done = HalfDone::nothing;
    int held_moves = 0;             // moves refused as held before they go through (-1: never)
    std::set<std::string> blocked;  // names no move can reach (another program holds them)
    CallResult move_over_result = CallResult::done;
    enum class Copy { fine, fails_half_way, name_taken } copy = Copy::fine;
    // How writing over the target goes: fine; the target cannot be opened for writing; another
    // program has locked bytes of it; the first `failing_writes` writes fail after tearing it;
    // the end cannot be set once the bytes are in (a program has it mapped: error 1224).
    enum class Write { fine, not_opened, locked, torn, end_refused } write = Write::fine;
    int failing_writes = 0;
    // Another program waits to lock the target's bytes: it has them from the moment this run's
    // in-place lock goes, and any later open for writing in place finds them locked.
    bool locked_by_them = false;
    // Files another program holds without delete sharing: how many calls on them are refused
    // (-1: every one). A replace is refused while its target or work file is held, a removal while
    // its file is; the backup ReplaceFile makes, when held, makes only its removal fail.
    std::map<std::string, int> held_for;
    bool target_held = true;  // what `held` says of the target, for the refusals in replace_errors
    unsigned waited_ms = 0;

    CallResult replace(const std::string& target, const std::string& work, const std::string& backup) override {
        if (refused_while_held(target) || refused_while_held(work)) return CallResult::held;
        const std::uint32_t error = replace_errors[std::min(replaces_++, replace_errors.size() - 1)];
        error_ = error;
        if (error == replaced_ok) {
            files[backup] = files[target];
            files[target] = files[work];
            files.erase(work);
            return CallResult::done;
        }
        if (half_done == HalfDone::target_gone) {
            files.erase(target);  // error 1176 without the backup made
        } else if (half_done == HalfDone::target_to_backup) {
            files[backup] = files[target];  // error 1177: the old file under the backup's name
            files.erase(target);
        }
        return platform::replace_refusal(error);
    }
    CallResult move(const std::string& from, const std::string& to) override {
        if (held_moves != 0 || blocked.count(to)) {
            if (held_moves > 0) --held_moves;
            return CallResult::held;
        }
        if (!files.count(from) || files.count(to)) return CallResult::failed;
        files[to] = files[from];
        files.erase(from);
        return CallResult::done;
    }
    CallResult move_over(const std::string& from, const std::string& to) override {
        if (move_over_result != CallResult::done) return move_over_result;
        files[to] = files[from];
        files.erase(from);
        return CallResult::done;
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    CallResult remove(const std::string& path) override {
        if (refused_while_held(path)) return CallResult::held;
        return files.erase(path) != 0 ? CallResult::done : CallResult::missing;
    }
    bool held(const std::string& path) override {
        return held_for.count(path) ? held_for[path] != 0 : path == "doc" && target_held;
    }
    std::uint32_t last_error() override { return error_; }
    CallResult save_copy(const std::string& from, const std::string& to) override {
        switch (copy) {
        case Copy::fine: files[to] = files[from]; return CallResult::done;
        case Copy::fails_half_way: return CallResult::failed;                    // the call removes its partial copy
        case Copy::name_taken: files[to] = "theirs"; return CallResult::failed;  // made just before
        }
        return CallResult::failed;
    }
    CallResult open_in_place(const std::string& target, const std::string&,
                             std::unique_ptr<platform::InPlaceFile>& opened) override {
        if (write == Write::not_opened) return CallResult::held;
        if (write == Write::locked || locked_by_them) return CallResult::locked;
        opened = std::make_unique<InPlace>(*this, target);
        return CallResult::done;
    }
    void wait(unsigned milliseconds) override { waited_ms += milliseconds; }

private:
    class InPlace final : public platform::InPlaceFile {
    public:
        InPlace(FakeCalls& calls, std::string target) : calls_(calls), target_(std::move(target)) {}
        ~InPlace() override { calls_.locked_by_them = true; }
        CallResult write_from(const std::string& from) override {
            auto& files = calls_.files;
            switch (calls_.write) {
            case Write::end_refused:
                calls_.write = Write::fine;  // a shorter end fails; writing the old bytes back does not
                files[target_] =
                    files[from] + files[target_].substr(std::min(files[target_].size(), files[from].size()));
                return CallResult::failed;
            case Write::torn:
                if (calls_.failing_writes-- > 0) {
                    files[target_] = "torn";
                    return CallResult::failed;
                }
                break;
            case Write::fine:
            case Write::not_opened:
            case Write::locked: break;
            }
            files[target_] = files[from];
            return CallResult::done;
        }

    private:
        FakeCalls& calls_;
        std::string target_;
    };

    bool refused_while_held(const std::string& path) {
        if (!held_for.count(path) || held_for[path] == 0) return false;
        if (held_for[path] > 0) --held_for[path];
        error_ = sharing_violation;
        return true;
    }

    std::size_t replaces_ = 0;
    std::uint32_t error_ = 0;
};

TEST(ReplaceSteps, TheUserAlwaysHasOneVersionUnderTheNameOrBothUnderNamesTheTraceGives) {
    using HD = FakeCalls::HalfDone;
    using Copy = FakeCalls::Copy;
    using Write = FakeCalls::Write;
    struct Case {
        const char* name;
        std::vector<std::uint32_t> replace_errors;
        HD half_done = HD::nothing;
        int held_moves = 0;
        std::set<std::string> blocked = {};
        CallResult move_over = CallResult::done;
        Copy copy = Copy::fine;
        Write write = Write::fine;
        int failing_writes = 0;
        bool in_place = true;
        std::map<std::string, int> held_for = {};
        bool target_held = true;
        ReplaceOutcome outcome = ReplaceOutcome::refused;
        std::map<std::string, std::string> files = {};  // afterwards
        bool waits = false;                             // tried again while held
    };
    const CallResult held = CallResult::held, failed = CallResult::failed;
    const auto replaced = ReplaceOutcome::replaced, kept = ReplaceOutcome::kept;
    const std::map<std::string, std::string> as_was = {{"doc", "old"}, {"work", "new"}};
    const std::map<std::string, std::string> new_in = {{"doc", "new"}};
    const Case cases[] = {
        {.name = "one step", .replace_errors = {replaced_ok}, .outcome = replaced, .files = new_in},
        // clang-format off
        {.name = "held for a moment", .replace_errors = {sharing_violation, sharing_violation, replaced_ok},
         .outcome = replaced, .files = new_in, .waits = true},
        {.name = "refused, target untouched", .replace_errors = {disk_full}, .files = as_was},
        {.name = "1176, target gone: the new file goes in", .replace_errors = {unable_to_move_replacement},
         .half_done = HD::target_gone, .outcome = replaced, .files = new_in},
        {.name = "1177: the old file comes back", .replace_errors = {unable_to_move_replacement_2},
         .half_done = HD::target_to_backup, .files = as_was},
        {.name = "1177, the name blocked for a moment", .replace_errors = {unable_to_move_replacement_2},
         .half_done = HD::target_to_backup, .held_moves = 5, .files = as_was, .waits = true},
        {.name = "1177, no move goes through: both stay", .replace_errors = {unable_to_move_replacement_2},
         .half_done = HD::target_to_backup, .held_moves = -1, .outcome = kept,
         .files = {{"backup", "old"}, {"work", "new"}}, .waits = true},
        // Both kept: the new content leaves the work files' pattern, which the clean-up removes.
        {.name = "1177, the target's name held for good: both stay, the new content out of the work pattern",
         .replace_errors = {unable_to_move_replacement_2}, .half_done = HD::target_to_backup, .blocked = {"doc"},
         .outcome = kept, .files = {{"backup", "old"}, {"kept", "new"}}, .waits = true},
        {.name = "1176 with the work file held for good: it stays", .replace_errors = {unable_to_move_replacement},
         .half_done = HD::target_gone, .held_moves = -1, .outcome = kept, .files = {{"work", "new"}}, .waits = true},
        // Both files keep their names (a scanner holds the target): tried again, then in place.
        {.name = "1175: tried again, then written in place", .replace_errors = {unable_to_remove_replaced},
         .outcome = replaced, .files = new_in, .waits = true},
        {.name = "1175 for a moment", .replace_errors = {unable_to_remove_replaced, replaced_ok}, .outcome = replaced,
         .files = new_in, .waits = true},
        {.name = "1176 with the target standing: tried again, then written in place",
         .replace_errors = {unable_to_move_replacement}, .outcome = replaced, .files = new_in, .waits = true},
        {.name = "1175, in place not allowed", .replace_errors = {unable_to_remove_replaced}, .in_place = false,
         .files = as_was, .waits = true},
        // Shares that do not do the one-step replace: one rename over the target.
        {.name = "87: one rename over the target", .replace_errors = {invalid_parameter}, .outcome = replaced,
         .files = new_in},
        {.name = "50: the rename held, then written in place", .replace_errors = {not_supported}, .move_over = held,
         .outcome = replaced, .files = new_in, .waits = true},
        {.name = "1: the rename refused", .replace_errors = {invalid_function}, .move_over = failed, .files = as_was},
        {.name = "87: the rename held, in place not allowed", .replace_errors = {invalid_parameter}, .move_over = held,
         .in_place = false, .files = as_was, .waits = true},
        {.name = "held: written in place", .replace_errors = {sharing_violation}, .outcome = replaced, .files = new_in,
         .waits = true},
        {.name = "held, in place not allowed", .replace_errors = {sharing_violation}, .in_place = false,
         .files = as_was, .waits = true},
        {.name = "held, the old bytes cannot be saved", .replace_errors = {sharing_violation},
         .copy = Copy::fails_half_way, .files = as_was, .waits = true},
        // A file that another program made under the backup's name is its own: it stays.
        {.name = "held, the backup's name taken by another program", .replace_errors = {sharing_violation},
         .copy = Copy::name_taken, .files = {{"doc", "old"}, {"work", "new"}, {"backup", "theirs"}}, .waits = true},
        {.name = "held, and no writing allowed by its holder", .replace_errors = {sharing_violation},
         .write = Write::not_opened, .files = as_was, .waits = true},
        {.name = "held, bytes locked by another program: refused before writing", .replace_errors = {sharing_violation},
         .write = Write::locked, .files = as_was, .waits = true},
        // Put back before the lock goes: another program that locks the bytes then cannot keep
        // the old ones out.
        {.name = "held, the write or its flush fails: put back under the same lock",
         .replace_errors = {sharing_violation}, .write = Write::torn, .failing_writes = 1, .files = as_was, .waits = true},
        {.name = "held, the shorter end refused after the bytes (mapped, 1224): put back under the same lock",
         .replace_errors = {sharing_violation}, .write = Write::end_refused, .files = as_was, .waits = true},
        {.name = "held, and putting back fails too: both stay", .replace_errors = {sharing_violation},
         .write = Write::torn, .failing_writes = 2, .outcome = kept,
         .files = {{"doc", "torn"}, {"backup", "old"}, {"kept", "new"}}, .waits = true},
        // A refused replace says nothing of which file was held: only a held target is written in
        // place; a held work file or backup is waited for, and the redundant files go.
        {.name = "the work file held for a moment: replaced in one step", .replace_errors = {replaced_ok},
         .held_for = {{"work", 5}}, .target_held = false, .outcome = replaced, .files = new_in, .waits = true},
        {.name = "the work file held for good: refused, the old content whole, the work file stays",
         .replace_errors = {replaced_ok}, .held_for = {{"work", -1}}, .target_held = false, .files = as_was,
         .waits = true},
        {.name = "the work file held until the replace gave up, then let go: refused, the work file removed",
         .replace_errors = {replaced_ok}, .held_for = {{"work", 21}}, .target_held = false,
         .files = {{"doc", "old"}}, .waits = true},
        {.name = "refused with error 32 but the target not held: never in place",
         .replace_errors = {sharing_violation}, .target_held = false, .files = {{"doc", "old"}}, .waits = true},
        {.name = "the backup held for a moment after the replace: removed", .replace_errors = {replaced_ok},
         .held_for = {{"backup", 5}}, .outcome = replaced, .files = new_in, .waits = true},
        {.name = "the backup held for good: a redundant copy stays", .replace_errors = {replaced_ok},
         .held_for = {{"backup", -1}}, .outcome = replaced, .files = {{"doc", "new"}, {"backup", "old"}},
         .waits = true},
        // clang-format on
    };
    for (const Case& c : cases) {
        FakeCalls calls;
        calls.files = {{"doc", "old"}, {"work", "new"}};
        calls.replace_errors = c.replace_errors;
        calls.half_done = c.half_done;
        calls.held_moves = c.held_moves;
        calls.blocked = c.blocked;
        calls.move_over_result = c.move_over;
        calls.copy = c.copy;
        calls.write = c.write;
        calls.failing_writes = c.failing_writes;
        calls.held_for = c.held_for;
        calls.target_held = c.target_held;
        EXPECT_EQ(platform::replace_steps(calls, {"doc", "work", "backup", "kept"}, {.in_place = c.in_place}),
                  c.outcome)
            << c.name;
        EXPECT_EQ(calls.files, c.files) << c.name;
        EXPECT_EQ(calls.waited_ms > 0, c.waits) << c.name;
        EXPECT_LE(calls.waited_ms, platform::held_retry_ms) << c.name;  // one budget for all the calls
    }
}

// A file that another program holds is waited for 2 seconds, in steps of 100 ms; a missing one
// is not waited for.
TEST(ReplaceSteps, HeldFilesAreWaitedForTwoSecondsMissingOnesNot) {
    struct Case {
        std::uint32_t error;
        unsigned waited_ms;
    };
    for (const Case c : {Case {2, 0}, Case {sharing_violation, 2000}}) {
        FakeCalls calls;
        calls.files = {{"doc", "old"}, {"work", "new"}};
        calls.replace_errors = {c.error};
        EXPECT_EQ(platform::replace_steps(calls, {"doc", "work", "backup", "kept"}, {.in_place = false}),
                  ReplaceOutcome::refused);
        EXPECT_EQ(calls.waited_ms, c.waited_ms) << c.error;
    }
}

// A series of tries for a held file is one trace line with the error, the count and the time
// waited, and the waits of all the calls of one replacement stay within one budget: a target held
// for good (2 s of replace tries, then in place) and then a backup held for good wait 2 s in all.
TEST(ReplaceSteps, EachSeriesOfTriesIsOneTraceLineWithinOneBudget) {
    test::TempDir dir;
    const std::string trace = dir.file("trace.log");
    setenv("KORVIF_TRACE", trace.c_str(), 1);
    trace::begin("replace");
    FakeCalls calls;
    calls.files = {{"doc", "old"}, {"work", "new"}};
    calls.replace_errors = {sharing_violation};
    calls.held_for = {{"backup", -1}};  // the target is held (replace_errors), then the backup
    EXPECT_EQ(platform::replace_steps(calls, {"doc", "work", "backup", "kept"}, {}), ReplaceOutcome::replaced);
    trace::end();
    unsetenv("KORVIF_TRACE");
    EXPECT_EQ(calls.waited_ms, platform::held_retry_ms);
    const std::vector<std::string> lines = test::lines_of(trace);
    const auto count = [&](const std::string& text) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_EQ(count("held (error 32)"), 2) << "one line for the replace, one for the backup's removal";
    EXPECT_EQ(count("one-step replace of \"doc\" held (error 32): 21 tries over 2.0 s"), 1);
    EXPECT_EQ(count("removal of \"backup\" held (error 32): 1 try over 0.0 s"), 1);
    EXPECT_EQ(count("a redundant copy stays as \"backup\", held by another program"), 1);
    EXPECT_EQ(count("the old content"), 0);
}

// What each of the system's refusals leads to: tried again (and then in place), one rename over
// the target, the target's name checked, or given up.
TEST(ReplaceSteps, EachRefusalLeadsToItsStep) {
    struct Case {
        std::uint32_t error;
        CallResult replace;  // the one-step replace and the rename over the target
        CallResult other;    // every other call
    };
    const CallResult held = CallResult::held, missing = CallResult::missing, failed = CallResult::failed,
                     unsupported = CallResult::unsupported;
    const Case cases[] = {
        {5, held, failed},  // access denied: the target is known not to be read-only
        {32, held, held},          {33, held, held},
        {1175, held, failed},      {1176, held, failed},
        {1177, failed, failed},    {1, unsupported, failed},
        {50, unsupported, failed}, {87, unsupported, failed},
        {2, missing, missing},     {3, missing, missing},
        {123, missing, missing},   {112, failed, failed},
        {1224, failed, failed},    {0x80000000u, failed, failed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::replace_refusal(c.error), c.replace) << c.error;
        EXPECT_EQ(platform::call_refusal(c.error), c.other) << c.error;
    }
}

}  // namespace
}  // namespace korvif
