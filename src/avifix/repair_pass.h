#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avifix/clip_io.h"
#include "avifix/index_rebuild.h"
#include "common/data_root_path.h"
#include "common/failure.h"

// The AVI repair pass, as core code that the repair window, the
// command-line tool and the tests all drive through callbacks.
//
// One file, in this order: a name that is not a clip name is left alone;
// the file is opened for update and its first 224 bytes read; it is then
// unusable (cannot be opened, shorter than 224 bytes, bytes 220..223 not
// "movi"), an unclosed clip (bytes 0..11 "RIFF" FF FF FF FF "AVI "), a
// finished clip named with its duration (left untouched, result 1), or a
// finished clip whose duration field is 0 (renamed with the duration from its
// header). An unclosed clip is rebuilt (index_rebuild.h) and renamed with the
// duration its frames and new header give; files of 4 GiB or more are
// untouched. A finished clip whose header or index claims more than the file
// holds (finished_claims.h) is rebuilt from what is there as an unclosed one
// is; when no whole frame remains it is left as it is, and a name that claims
// a duration gets duration 0, so that nothing lists it as longer than its
// frames. A new name that differs from the old one only in letter case is
// the same name on the card's file systems: the clip keeps the name it has.
//
// Crash safety: an unclosed clip is complete and flushed (index, header,
// sizes) before it is renamed, and the folder is flushed after. A cut before
// the commit leaves an unclosed clip that the next pass rebuilds to the same
// bytes; a cut between the commit and the rename leaves a finished clip with
// duration 0 in its name, which the next pass names from its header with the
// same duration. A clip whose unclosed name already claims a duration is
// first given duration 0 back for that reason. A clip cut short first gets
// the RIFF size placeholder back, in one sector write: from then on it is an
// unclosed clip to every pass. Nothing is written after the final rename, and
// renames never replace an existing file.
namespace tramlet::avifix {

enum class ClipKind {
    NotAClip,            // the name does not parse as a clip name
    Unusable,            // cannot be opened, shorter than 224 bytes, or not the recorder's layout
    Unclosed,            // RIFF size still the placeholder
    Finished,            // complete header, duration in the name
    FinishedNoDuration,  // complete header, duration field 0
    CutShort,            // finished, but its header or index claims more than the file holds
};

enum class ClipAction {
    Repaired,       // index and header rebuilt (and renamed unless the duration is unchanged)
    DurationAdded,  // renamed with the duration from its header
    LeftAlone,      // nothing to do, or not ours to touch
    Failed,         // could not be handled; see failure
};

// Why a clip could not be handled.
enum class ClipProblem {
    CannotOpen,    // not there, or not to be opened for reading and writing
    CannotRead,    // its size or header could not be read
    TooLarge,      // 4 GiB or larger: beyond AVI 1.0's 32-bit offsets
    NotRebuilt,    // the walk over its frames failed; nothing was written
    WriteFailed,   // a write of the rebuild failed; the clip reads as unclosed
    NameTaken,     // the new name belongs to another file: the old name stays
    CannotRename,  // the rename itself failed
};

struct ClipReport {
    std::string path;  // the file as visited
    std::string name;  // its name without folder
    ClipKind kind = ClipKind::Unusable;
    ClipAction action = ClipAction::LeftAlone;
    std::string note;  // why left alone, or a note on the outcome
    // Why it failed: set with ClipAction::Failed, and only then.
    std::optional<Failure<ClipProblem>> failure;
    std::string newPath;   // the new name's path when renamed (in a dry run: would be)
    bool rebuilt = false;  // index and header written (in a dry run: would be)
    bool renamed = false;  // renamed (in a dry run: would be)
    uint64_t size = 0;
    bool measured = false;  // the fields below are set
    int32_t frames = 0;
    float frameRate = 0.0f;
    int duration = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t indexPosition = 0;  // rebuilt clips: where idx1 begins
    // The repair window's per-file result: 1 when left alone as finished.
    int handlerResult = 0;

    // The failure's text when it failed, else the note.
    const std::string& Reason() const { return failure ? failure->text : note; }
};

struct RepairOptions {
    bool dryRun = false;                   // write nothing, report what would change
    ClipFileSystem* fileSystem = nullptr;  // null: the real file system
    RebuildOptions rebuild;
};

// Progress as the repair window shows it: the overall bar counts files
// visited of N, the file bar the current file's per cent.
struct RepairCallbacks {
    std::function<void(size_t total)> passStarted;
    // Before each file: the overall bar at index (0-based), the file bar at 0.
    std::function<void(size_t index, size_t total, const std::string& name)> fileStarted;
    std::function<void(int percent)> filePercent;
    std::function<void(const ClipReport& report)> fileDone;
};

struct PassReport {
    std::vector<ClipReport> files;
    // The card went away during the pass: it stopped after the last file in
    // `files`, leaving `notVisited` files untouched.
    bool cardRemoved = false;
    size_t notVisited = 0;
    size_t Count(ClipAction action) const;
    bool AllFine() const { return Count(ClipAction::Failed) == 0 && !cardRemoved; }
};

// Repairs the clip `name` in root's video folder; the report's handlerResult
// is the window's 1/0 result for it.
ClipReport RepairClip(const DataRootPath& root, std::string_view name,
                      const RepairOptions& options = {}, const PercentCallback& filePercent = {});

// The same for a clip at any path; it is renamed within its own folder.
ClipReport RepairClipAt(const std::string& path, const RepairOptions& options = {},
                        const PercentCallback& filePercent = {});

// The pass over root's video/*.avi (FindFiles(AllClipsPattern(root))), in
// name order. A missing or empty video folder makes an empty pass. When the
// video folder stops being the one the pass began in (the card was pulled or
// swapped), the pass stops after the file at hand.
PassReport RunRepairPass(const DataRootPath& root, const RepairOptions& options = {},
                         const RepairCallbacks& callbacks = {});

// The same over named files, one by one.
PassReport RepairFiles(const std::vector<std::string>& paths, const RepairOptions& options = {},
                       const RepairCallbacks& callbacks = {});

// "not_a_clip", "unusable", "unclosed", "finished", "finished_no_duration", "cut_short"
const char* ToString(ClipKind kind);
const char* ToString(ClipAction action);  // "repaired", "duration_added", "left_alone", "failed"

}  // namespace tramlet::avifix
