#include "platform/replacement.h"

#include "platform/path.h"
#include "platform/trace.h"

namespace korvif::platform {

namespace {

constexpr const char* work_file_prefix = "~kv";

}  // namespace

FileReplacement::FileReplacement(const char* target) {
    if (target == nullptr || *target == '\0') return;
    target_ = long_path_name(target);
    const std::string directory = target_.substr(0, directory_length(target_));
    const auto work = create_unique_temporary_file(directory, work_file_prefix);
    if (!work) {
        trace::line("no work file can be made in %s: %s", directory.empty() ? "the current directory" : directory.c_str(),
                    trace::system_error().c_str());
        return;
    }
    work_ = *work;
    file_ = File::open(work_.c_str(), FileMode::create_always);
    failed_ = !file_.is_open();
}

FileReplacement::~FileReplacement() {
    file_.close();
    if (work_.empty()) return;
    remove_file(work_.c_str());
    trace::line("%s left as it was", target_.c_str());
}

bool FileReplacement::write(const void* data, std::uint32_t count) {
    if (failed_) return false;
    std::uint32_t written = 0;
    if (!file_.write(data, count, written) || written != count) {
        failed_ = true;
        trace::line("write failed after %llu bytes of %s: %s", static_cast<unsigned long long>(position_ + written),
                    work_.c_str(), trace::system_error().c_str());
        return false;
    }
    position_ += count;
    if (position_ > size_) size_ = position_;
    return true;
}

bool FileReplacement::seek(std::uint32_t offset_from_start) {
    if (failed_ || !file_.seek(offset_from_start)) failed_ = true;
    position_ = offset_from_start;
    return !failed_;
}

bool FileReplacement::commit() {
    const bool closed = file_.close();
    if (!failed_ && !closed) trace::line("closing %s failed: %s", work_.c_str(), trace::system_error().c_str());
    if (failed_ || !closed || !replace_file(work_.c_str(), target_.c_str())) {
        failed_ = true;
        return false;
    }
    trace::line("wrote %s (%llu bytes)", target_.c_str(), static_cast<unsigned long long>(size_));
    work_.clear();  // it is the target now
    failed_ = true;  // nothing more can be written
    return true;
}

}  // namespace korvif::platform
