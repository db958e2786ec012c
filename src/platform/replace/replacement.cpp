#include "platform/replace/replacement.h"

#include <utility>

#include "platform/files/path.h"
#include "platform/trace/trace.h"

namespace korvif::platform {

namespace {

constexpr const char* work_file_prefix = "~kv";

// How many names are tried before the directory is taken to refuse new files.
constexpr int work_name_attempts = 100;

NativePath native_text(const std::string& ascii) { return NativePath(ascii.begin(), ascii.end()); }

}  // namespace

FileReplacement::FileReplacement(const char* target, ReplaceOptions options) : options_(options) {
    if (target == nullptr || *target == '\0') return;
    const Outcome<NativePath> resolved = replacement_target(target);
    if (!resolved) {
        trace::line("no work file can be made for \"%s\"", target);
        return;
    }
    target_ = *resolved;
    if (const Outcome<FileStamp> stamp = file_stamp(target_)) earlier_ = *stamp;
    const NativePath directory = target_.substr(0, native_directory_length(target_));
    // A new name each time until one is free: unlike the system's temporary-name functions this
    // works in directories of any length, and gives the same names on every system.
    for (int attempt = 0; attempt < work_name_attempts; ++attempt) {
        const NativePath work = directory + native_text(numbered_name(work_file_prefix, next_name_number()));
        Outcome<File> created = create_guarded_work_file(work, target_);
        if (created) {
            file_ = std::move(*created);
            work_ = work;
            failed_ = false;
            if (trace::on()) trace::utf8_line("opened \"%s\" new, for writing", printable(work_).c_str());
            // After the own work file is made: its time is the volume's "now".
            remove_stale_work_files(directory, work_);
            return;
        }
        if (created.failure() != Failure::name_taken) break;
    }
    const std::string error = trace::utf8(trace::system_error());
    if (directory.empty()) {
        trace::utf8_line("no work file can be made in the current directory: %s", error.c_str());
    } else {
        trace::utf8_line("no work file can be made in \"%s\": %s", printable(directory).c_str(), error.c_str());
    }
}

FileReplacement::~FileReplacement() {
    static_cast<void>(file_.close());  // an abandoned work file, removed next
    if (work_.empty()) return;
    guard_work_file(nullptr, nullptr);
    // One that cannot be removed now is a later run's stale work file.
    static_cast<void>(remove_file(work_));
    trace::utf8_line(earlier_ ? "\"%s\" left as it was" : "\"%s\" not written", printable(target_).c_str());
}

Outcome<void> FileReplacement::write(const void* data, std::uint32_t count) {
    if (failed_) return Failure::cannot_be_written;
    const Outcome<std::uint32_t> written = file_.write(data, count);
    if (!written || *written != count) {
        failed_ = true;
        const std::string error = trace::utf8(trace::system_error());
        trace::utf8_line("write failed after %llu bytes of \"%s\": %s",
                         static_cast<unsigned long long>(position_ + written.value_or(0)), printable(work_).c_str(),
                         error.c_str());
        return Failure::cannot_be_written;
    }
    position_ += count;
    if (position_ > size_) size_ = position_;
    return {};
}

Outcome<void> FileReplacement::seek(std::uint32_t offset_from_start) {
    if (failed_ || !file_.seek(offset_from_start)) failed_ = true;
    position_ = offset_from_start;
    if (failed_) return Failure::cannot_be_written;
    return {};
}

Outcome<void> FileReplacement::commit() {
    // A delayed write that fails (a network share) is reported by the flush, not by the close.
    if (!failed_ && !file_.flush()) {
        const std::string error = trace::utf8(trace::system_error());
        trace::utf8_line("flushing \"%s\" failed: %s", printable(work_).c_str(), error.c_str());
        failed_ = true;
    }
    const Outcome<void> closed = file_.close();
    if (!failed_ && !closed) {
        const std::string error = trace::utf8(trace::system_error());
        trace::utf8_line("closing \"%s\" failed: %s", printable(work_).c_str(), error.c_str());
    }
    if (failed_ || !closed) {
        failed_ = true;
        return Failure::cannot_be_written;
    }
    failed_ = true;  // nothing more can be written
    const ReplaceOutcome outcome = replace_file(work_, target_, options_);
    if (outcome == ReplaceOutcome::refused) return Failure::cannot_be_written;  // the work file goes with this object
    // Replaced: the work file is the target now. Kept: it holds the only complete copy of the new
    // content, and the trace has named it.
    guard_work_file(nullptr, nullptr);
    work_.clear();
    if (outcome == ReplaceOutcome::kept) return Failure::cannot_be_written;
    trace::utf8_line("wrote \"%s\" (%llu bytes)", printable(target_).c_str(), static_cast<unsigned long long>(size_));
    return {};
}

EarlierOutput::EarlierOutput(const char* target) {
    if (target == nullptr || *target == '\0') return;
    const Outcome<NativePath> name = output_name(target);
    if (!name) return;
    // A link to nothing would block this name for good: the name is this command's, and the
    // new file is made under it.
    if (is_link_to_nothing(*name)) {
        const bool removed = static_cast<bool>(remove_file(*name));
        trace::utf8_line(removed ? "\"%s\" was a link to nothing: removed, the new file takes its name"
                                 : "\"%s\" is a link to nothing and cannot be removed",
                         printable(*name).c_str());
        if (!removed) return;
    }
    target_ = *name;
    if (const Outcome<FileStamp> stamp = file_stamp(*target_)) stamp_ = *stamp;
}

EarlierOutput::~EarlierOutput() {
    if (!kept_) discard();
}

void EarlierOutput::discard() const {
    if (!target_ || !stamp_) return;
    const std::string name = printable(*target_);
    if (remove_if_unchanged(*target_, *stamp_)) {
        trace::utf8_line("the earlier \"%s\" removed", name.c_str());
    } else if (const Outcome<FileStamp> now = file_stamp(*target_); now && *now == *stamp_) {
        const std::string error = trace::utf8(trace::system_error());
        trace::utf8_line("the earlier \"%s\" could not be removed: %s", name.c_str(), error.c_str());
    }
}

}  // namespace korvif::platform
