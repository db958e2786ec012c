// FDSAVE makes the chosen file, empty, when it does not exist yet; when the host cannot be given
// its name, that empty file goes again. By then another program may have it: a scanner or an
// indexer that holds it for a moment (the removal is tried again for a while), or the user, who
// may have saved into it or put another file in its place meanwhile (then it stays).
#pragma once

#include <cstdint>
#include <optional>

namespace korvif {

// Which file a name stands for: the volume's serial number and the file's index on it.
struct FileIdentity {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;

    bool operator==(const FileIdentity&) const = default;
};

// A file as it is found under the name.
struct FoundFile {
    FileIdentity identity;
    std::uint64_t size = 0;
};

enum class RemoveResult {
    removed,
    held,    // another program holds the file (a sharing or lock violation): worth another try
    failed,  // any other refusal
};

// The system's calls on the one name the new file was made under.
class NewFileCalls {
public:
    virtual ~NewFileCalls() = default;
    // The file under the name now; nothing when there is none or it cannot be looked at.
    virtual std::optional<FoundFile> look() = 0;
    virtual RemoveResult remove() = 0;
    virtual void wait(unsigned milliseconds) = 0;
};

// How long a held file is tried again, and how often.
inline constexpr unsigned held_new_file_ms = 2000;
inline constexpr unsigned held_new_file_step_ms = 100;

enum class NewFileRemoval {
    removed,
    gone,     // nothing under the name any more
    changed,  // not empty, or another file: it stays
    held,     // still held when the time was up: it stays
    failed,   // the system refused the removal: it stays
};

// Removes the file made by this run, whose identity was `created`, while it is still that file
// and still empty: each try looks at the file first.
NewFileRemoval remove_new_file(NewFileCalls& calls, const FileIdentity& created);

// What came of it, in the trace's words.
const char* describe(NewFileRemoval removal);

}  // namespace korvif
