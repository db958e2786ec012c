// What the bitmap commands share: how a failed change of a bitmap is named in the stop reason,
// and (INV, ROT) a BMP file read, changed in place and written.
#pragma once

#include "command/stop.h"
#include "image/bmp_file.h"
#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif {

// What a failed change of a bitmap concerns: the bitmap given, when it is not 1-bit or has an
// unusable size, else the bitmap the change would make (`result`: too large, no memory).
inline const char* changed_bitmap(Failure failure, const char* result) {
    return failure == Failure::not_one_bit || failure == Failure::unusable_size ? "the bitmap" : result;
}

// Loads the input, changes the bitmap in place with `change` (which returns an Outcome<void>) and
// writes it to the output; nothing when a path is unusable or a step fails, the stop traced
// (`result` names the changed bitmap, as changed_bitmap says).
template <typename Change>
int change_bitmap_file(const char* input, const char* output, const char* result, Change change) {
    if (*input == '\0') return stop(Failure::empty_path, "the input");
    trace::line("input \"%s\", output \"%s\"", input, output);
    if (!platform::file_exists(input)) return stop(Failure::not_found, "the input");
    Outcome<PackedBitmap> bitmap = load_bmp(input);
    if (!bitmap) return stop(Failure::cannot_be_loaded, "the input");
    if (const Outcome<void> changed = change(*bitmap); !changed) {
        return stop(changed.failed(), "%s", changed_bitmap(changed.failure(), result));
    }
    if (!save_bmp(*bitmap, output)) return stop(Failure::cannot_be_written, "the output");
    return 0;
}

}  // namespace korvif
