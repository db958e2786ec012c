#include "desktop/new_file_removal.h"

namespace korvif {

NewFileRemoval remove_new_file(NewFileCalls& calls, const FileIdentity& created) {
    for (unsigned waited = 0;; waited += held_new_file_step_ms) {
        const std::optional<FoundFile> found = calls.look();
        if (!found) return NewFileRemoval::gone;
        if (found->identity != created || found->size != 0) return NewFileRemoval::changed;
        switch (calls.remove()) {
        case RemoveResult::removed: return NewFileRemoval::removed;
        case RemoveResult::failed: return NewFileRemoval::failed;
        case RemoveResult::held: break;
        }
        if (waited >= held_new_file_ms) return NewFileRemoval::held;
        calls.wait(held_new_file_step_ms);
    }
}

const char* describe(NewFileRemoval removal) {
    switch (removal) {
    case NewFileRemoval::removed: return "removed again";
    case NewFileRemoval::gone: return "gone already";
    case NewFileRemoval::changed: return "written to or replaced meanwhile, it stays";
    case NewFileRemoval::held: return "held by another program for 2 s, it stays";
    case NewFileRemoval::failed: return "cannot be removed, it stays";
    }
    return "";
}

}  // namespace korvif
