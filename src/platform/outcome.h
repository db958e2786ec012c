// How every function of the libraries fails: it returns an Outcome, which holds either its value
// or a Failed, the kind of failure and a short fixed detail. A failure carries no formatted text
// and allocates nothing; the command that called turns it into the trace's stop reason.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>
#include <variant>

namespace korvif {

// What went wrong, in the words of the stop reasons.
enum class Failure : std::uint8_t {
    not_found,          // a file that is not there
    cannot_be_read,     // the system refused a read, or the bytes are not what they must be
    too_short,          // fewer bytes or rows than the format needs
    too_large,          // a result beyond a size limit
    no_memory,          // a block that could not be had
    not_one_bit,        // a bitmap of another bit depth
    unusable_size,      // a width, height or header size that no picture has
    cannot_be_written,  // the system refused a write
    empty,              // nothing to read (an empty page)
};

// A failure: its kind and a detail, a text of static storage that says more ("its 20-byte
// header"), or "".
struct Failed {
    Failure kind;
    const char* detail = "";

    Failed(Failure kind_, const char* detail_ = "") : kind(kind_), detail(detail_) {}  // NOLINT: a Failure is a Failed
};

// A value of type T or a failure. T may be move-only (a memory block, an open file).
template <typename T>
class [[nodiscard]] Outcome {
public:
    Outcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: a value is an outcome
    Outcome(Failed failed) : state_(std::in_place_index<1>, failed) {}     // NOLINT: so is a failure
    Outcome(Failure kind) : Outcome(Failed(kind)) {}                        // NOLINT

    explicit operator bool() const { return state_.index() == 0; }

    // The value. Asked of a failure, they throw std::bad_variant_access (a fault of the caller,
    // which the dispatcher's catch-all ends quietly).
    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    // The failure; only when there is no value (else, again, std::bad_variant_access).
    Failed failed() const { return std::get<1>(state_); }
    Failure failure() const { return failed().kind; }

private:
    std::variant<T, Failed> state_;
};

// Done, or a failure.
template <>
class [[nodiscard]] Outcome<void> {
public:
    Outcome() = default;
    Outcome(Failed failed) : failed_(failed), done_(false) {}  // NOLINT: a failure is an outcome
    Outcome(Failure kind) : Outcome(Failed(kind)) {}           // NOLINT

    explicit operator bool() const { return done_; }
    Failed failed() const { return failed_; }
    Failure failure() const { return failed_.kind; }

private:
    Failed failed_ {Failure::cannot_be_read};  // not read while done
    bool done_ = true;
};

}  // namespace korvif
