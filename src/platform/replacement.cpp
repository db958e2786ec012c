#include "platform/replacement.h"

#include "platform/path.h"

namespace korvif::platform {

namespace {

constexpr const char* work_file_prefix = "~kv";

}  // namespace

FileReplacement::FileReplacement(const char* target) {
    if (target == nullptr || *target == '\0') return;
    target_ = long_path_name(target);
    const auto work = create_unique_temporary_file(target_.substr(0, directory_length(target_)), work_file_prefix);
    if (!work) return;
    work_ = *work;
    file_ = File::open(work_.c_str(), FileMode::create_always);
    failed_ = !file_.is_open();
}

FileReplacement::~FileReplacement() {
    file_.close();
    if (!work_.empty()) remove_file(work_.c_str());
}

bool FileReplacement::write(const void* data, std::uint32_t count) {
    std::uint32_t written = 0;
    if (failed_ || !file_.write(data, count, written) || written != count) failed_ = true;
    return !failed_;
}

bool FileReplacement::seek(std::uint32_t offset_from_start) {
    if (failed_ || !file_.seek(offset_from_start)) failed_ = true;
    return !failed_;
}

bool FileReplacement::commit() {
    const bool closed = file_.close();
    if (failed_ || !closed || !replace_file(work_.c_str(), target_.c_str())) {
        failed_ = true;
        return false;
    }
    work_.clear();  // it is the target now
    failed_ = true;  // nothing more can be written
    return true;
}

}  // namespace korvif::platform
