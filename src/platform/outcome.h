// How every function of the libraries fails: it returns an Outcome, which holds either its value
// or a Failed, the kind of failure and a short fixed detail. A failure carries no formatted text
// and allocates nothing; the command that called turns it into the trace's stop reason.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

namespace korvif {

// What went wrong, in the words of the stop reasons (command/stop.h gives each its phrase). The
// first group is what the libraries report; the second what the commands report about their
// fields and the steps they take.
enum class Failure : std::uint8_t {
    not_found,          // a file that is not there
    cannot_be_read,     // the system refused a read, or the bytes are not what they must be
    too_short,          // fewer bytes or rows than the format needs
    too_large,          // a result beyond a size limit
    no_memory,          // a block that could not be had
    not_one_bit,        // a bitmap of another bit depth
    unusable_size,      // a width, height or header size that no picture has
    cannot_be_written,  // the system refused a write
    name_taken,         // a file that must be new, under a name that exists
    empty,              // nothing to read (an empty page)

    missing,            // a field that is not there
    absent,             // something needed that is not there or not usable: an output path, a
                        // temporary directory, a command keyword, a window the request names
    too_few,            // fewer fields than a request needs
    empty_path,         // a path field left empty
    cannot_be_opened,   // a file that is there and does not open
    cannot_be_reached,  // an offset that the file cannot be positioned at
    cannot_be_loaded,   // a BMP file that does not load, whatever the cause
    cannot_be_coded,    // a bitmap that cannot be coded as fax data
    cannot_be_decoded,  // page data that decode to no bitmap
    cannot_be_copied,   // a file that cannot be copied
    not_a_document,     // a file that cannot be read as a fax document
    out_of_range,       // a number or a byte range beyond what the input holds
    too_long,           // a text longer than its limit
    too_few_rows,       // a bitmap without a line to code
    not_a_window,       // a window number that names no window
    minimised,          // a window shown only as its taskbar button
    not_visible,        // a window that cannot be seen
    needs_a_structure,  // a help command whose data no number can stand for
    cannot_be_added,    // a spooler entry the system refused (its error goes with the failure)
    not_in_this_build,  // a service this build has none of (the detail names the command)
    failed,             // a command that ended with an exception (the detail, its text)
    is_the_input,       // an output that is the input file itself (the detail names the input)
};

// A failure: its kind and a detail, a text that completes the kind's phrase where it takes one:
// for too_short what it is shorter than ("its 20-byte header"), for too_large what it would
// reach ("2 GB"); else "". The detail is not copied: the libraries pass literals only, and a
// command may pass its own text only straight into stop(), which uses it at once. A call the
// system refused carries the system's error number, which the stop line names after the reason.
struct Failed {
    Failure kind;
    std::uint32_t system_error = 0;  // errno or GetLastError(); 0 for none
    const char* detail = "";

    Failed(Failure kind_, const char* detail_ = "") : kind(kind_), detail(detail_) {}  // NOLINT: a Failure is a Failed
    Failed(Failure kind_, const char* detail_, std::uint32_t system_error_)
        : kind(kind_), system_error(system_error_), detail(detail_) {}
};

// A value of type T or a failure. T may be move-only (a memory block, an open file).
template <typename T>
class [[nodiscard]] Outcome {
public:
    Outcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: a value is an outcome
    Outcome(Failed failed) : state_(std::in_place_index<1>, failed) {}      // NOLINT: so is a failure
    Outcome(Failure kind) : Outcome(Failed(kind)) {}                        // NOLINT

    explicit operator bool() const { return state_.index() == 0; }

    // The value. Asked of a failure, they throw std::bad_variant_access (a fault of the caller,
    // which the dispatcher's catch-all ends quietly).
    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    // The value, or `fallback` for a failure.
    T value_or(T fallback) const& { return *this ? **this : fallback; }

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
