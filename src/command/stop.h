// The one reason a command stopped early, as the trace writes it ("stop: " and the reason): the
// failure's phrase about its subject, from one table for every command. The subject names what
// failed as the command knows it ("the document", "page 3"); the failure's detail completes the
// phrases that take one.
#pragma once

#include "platform/outcome.h"
#include "platform/trace/trace.h"

namespace korvif {

// Traces the reason for `failed` about the subject (printf-style, host text) and returns 0, the
// command's result. For example stop(Failure::not_found, "the document") traces
// "stop: the document was not found", and stop({Failure::too_short, "its 20-byte header"},
// "the SFF file") "stop: the SFF file is shorter than its 20-byte header".
int stop(Failed failed, const char* subject_format, ...) noexcept __attribute__((format(KORVIF_PRINTF_FORMAT, 2, 3)));

// The failure as a stop names it where the stop text names the step that failed, not its cause
// ("page 3 cannot be read", whatever kept its bytes): `step` for any failure but one of the kind
// `shown`, which is passed on as it is.
inline Failed named_by_step(Failed cause, Failure step, Failure shown) {
    return cause.kind == shown ? cause : Failed(step);
}

// The same for a subject and detail in UTF-8 (names that the system gave in their wide form).
int utf8_stop(Failed failed, const char* subject_format, ...) noexcept
    __attribute__((format(KORVIF_PRINTF_FORMAT, 2, 3)));

}  // namespace korvif
