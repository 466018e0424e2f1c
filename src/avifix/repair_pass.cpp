#include "avifix/repair_pass.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>

#include "avifix/finished_claims.h"
#include "catalogue/clip_name.h"
#include "catalogue/storage_layout.h"
#include "catalogue/wildcard.h"
#include "common/path_text.h"

namespace tramlet::avifix {
namespace {

using NewPathFn = std::function<std::string(const ClipName& clip, int duration)>;
using ClipFailure = Failure<ClipProblem>;
using MaybeFailure = std::optional<ClipFailure>;

bool IsUnclosed(const Header& h) {
    static const uint8_t marker[12] = {'R',  'I',  'F', 'F', 0xFF, 0xFF,
                                       0xFF, 0xFF, 'A', 'V', 'I',  ' '};
    return std::equal(marker, marker + 12, h.begin());
}

void Report(const PercentCallback& cb, int percent) {
    if (cb)
        cb(percent);
}

ClipReport& Done(ClipReport& r, ClipAction action, std::string note) {
    r.action = action;
    r.note = std::move(note);
    return r;
}

// Ends the report as failed; `outcome`, what became of the clip, goes in
// front of the failure's own text.
ClipReport& Fail(ClipReport& r, ClipFailure failure, std::string_view outcome = {}) {
    failure.text.insert(0, outcome);
    r.action = ClipAction::Failed;
    r.failure = std::move(failure);
    return r;
}

// The card's file systems treat names that differ only in letter case as one
// name: such a clip keeps the name it has.
bool NeedsRename(const std::string& path, const std::string& newPath) {
    return !SameNameIgnoringCase(path, newPath);
}

// Renames the clip, now at `from`, to the name with the new duration (when it
// changes), into the report. Nothing, or why the name stays.
MaybeFailure Rename(ClipFileSystem& fs, const std::string& folder, const std::string& from,
                    const std::string& newPath, bool dryRun, ClipReport& r) {
    if (!NeedsRename(from, newPath))
        return std::nullopt;
    if (dryRun) {
        if (fs.Exists(newPath)) {
            return ClipFailure{ClipProblem::NameTaken, 0,
                               NameOf(newPath) + " already exists, so the old name would stay"};
        }
        r.newPath = newPath;
        r.renamed = true;
        return std::nullopt;
    }
    std::string error;
    switch (fs.RenameNoReplace(from, newPath, &error)) {
        case RenameStatus::Done:
            fs.SyncDirectory(folder);
            r.newPath = newPath;
            r.renamed = true;
            return std::nullopt;
        case RenameStatus::TargetExists:
            return ClipFailure{ClipProblem::NameTaken, 0,
                               NameOf(newPath) + " already exists: kept the name " + NameOf(from)};
        case RenameStatus::Failed:
            break;
    }
    return ClipFailure{ClipProblem::CannotRename, 0,
                       "cannot rename to " + NameOf(newPath) + ": " + error};
}

std::string Measures(const ClipReport& r) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%d frames at %.3f fps, %d s", r.frames,
                  static_cast<double>(r.frameRate), r.duration);
    return buf;
}

// Closes the clip and opens it again, as `path`.
MaybeFailure Reopen(ClipFileSystem& fs, const std::string& path, std::unique_ptr<ClipFile>& file) {
    file.reset();
    std::string error;
    file = fs.OpenForUpdate(path, &error);
    if (!file) {
        return ClipFailure{ClipProblem::CannotOpen, 0,
                           "cannot open " + NameOf(path) + " again: " + error};
    }
    return std::nullopt;
}

struct ClipContext {
    ClipFileSystem& fs;
    const std::string& folder;
    const ClipName& clip;
    const NewPathFn& newPathOf;
    const RepairOptions& options;
    const PercentCallback& percent;
};

// A recorder that renamed a clip before closing it leaves a name that claims
// a duration. It gets back the recorder's "unfinished" duration 0 before
// anything is written, so that a power cut between the commit and the final
// rename leaves a finished clip that the next pass names from its header, as
// this pass would have. The clip is then opened again under that name.
MaybeFailure GiveBackUnfinishedName(ClipContext& c, std::unique_ptr<ClipFile>& file, ClipReport& r,
                                    std::string& current, const std::string& newPath) {
    if (c.clip.duration == 0 || !NeedsRename(current, newPath) || c.fs.Exists(newPath))
        return std::nullopt;
    const std::string unfinished = c.newPathOf(c.clip, 0);
    if (c.fs.Exists(unfinished))
        return std::nullopt;  // no free name to step through: rename once, at the end
    file.reset();
    if (MaybeFailure failed = Rename(c.fs, c.folder, current, unfinished, false, r))
        return failed;
    current = unfinished;
    return Reopen(c.fs, current, file);
}

// Walks the clip's chunks and measures what a rebuild would write, into the
// report. Reads only.
bool Measure(ClipContext& c, IndexRebuild& rebuild, ClipFile& file, const Header& header,
             ClipReport& r) {
    const RebuildResult& result = rebuild.Walk(file, header, r.size, c.percent);
    if (result.failure) {
        Fail(r, {ClipProblem::NotRebuilt, 0, result.failure->text},
             r.kind == ClipKind::Unclosed ? "not rebuilt, left unclosed: "
                                          : "not rebuilt, left as it is: ");
        return false;
    }
    r.measured = true;
    r.frames = result.frameCount;
    // Named from the rate the new header states, the rate the next pass
    // would read if it had to finish the rename.
    r.frameRate = FinishedFrameRate(RateTimesThousand(result.frameRate));
    r.duration = ClipDuration(r.frames, r.frameRate);
    r.width = result.width;
    r.height = result.height;
    r.indexPosition = result.indexPosition;
    return true;
}

// Writes a measured rebuild, then names the clip with its duration. The clip
// is complete and flushed before the rename that names it, so a name never
// claims more than the file holds, and nothing is written after it.
ClipReport& WriteRebuilt(ClipContext c, IndexRebuild& rebuild, std::unique_ptr<ClipFile> file,
                         ClipReport& r) {
    const std::string newPath = c.newPathOf(c.clip, r.duration);
    if (c.options.dryRun) {
        r.rebuilt = true;
        Report(c.percent, 100);
        if (MaybeFailure failed = Rename(c.fs, c.folder, r.path, newPath, true, r))
            return Fail(r, *failed, "would be rebuilt, but ");
        return Done(r, ClipAction::Repaired, Measures(r));
    }
    std::string current = r.path;
    if (MaybeFailure failed = GiveBackUnfinishedName(c, file, r, current, newPath))
        return Fail(r, *failed, "not rebuilt, left unclosed: ");
    // fusefat drops a write that meets bytes written earlier through the same
    // descriptor: each step of the rebuild gets a descriptor of its own.
    for (bool (IndexRebuild::*step)(ClipFile&) :
         {&IndexRebuild::WriteIndex, &IndexRebuild::CloseTornChunk, &IndexRebuild::WriteHeaderBody,
          &IndexRebuild::Commit}) {
        if (step != &IndexRebuild::WriteIndex) {
            if (MaybeFailure failed = Reopen(c.fs, current, file))
                return Fail(r, *failed, "left unclosed: ");
        }
        if (!(rebuild.*step)(*file)) {
            return Fail(r, {ClipProblem::WriteFailed, 0, rebuild.Result().failure->text},
                        "write failed, left unclosed: ");
        }
    }
    r.rebuilt = true;
    file.reset();
    Report(c.percent, 100);
    if (MaybeFailure failed = Rename(c.fs, c.folder, current, newPath, false, r))
        return Fail(r, *failed, "rebuilt, but ");
    std::string note = Measures(r);
    if (!r.renamed)
        note += "; the name already carries it";
    return Done(r, ClipAction::Repaired, note);
}

ClipReport& RepairUnclosed(ClipContext c, std::unique_ptr<ClipFile> file, const Header& header,
                           ClipReport& r) {
    IndexRebuild rebuild(c.options.rebuild);
    if (!Measure(c, rebuild, *file, header, r))
        return r;
    return WriteRebuilt(c, rebuild, std::move(file), r);
}

// A clip cut short with no whole frame left: its bytes stay as they are, and
// a name that claims a duration gets duration 0, so that nothing lists it.
ClipReport& LeaveCutShort(ClipContext c, ClipReport& r, const std::string& claim) {
    const std::string why = "cut short (" + claim + ") and no whole frame remains";
    if (MaybeFailure failed =
            Rename(c.fs, c.folder, r.path, c.newPathOf(c.clip, 0), c.options.dryRun, r)) {
        return Fail(r, *failed, why + "; ");
    }
    return Done(r, ClipAction::LeftAlone,
                r.renamed ? why + (c.options.dryRun ? ": its name would lose its duration"
                                                    : ": its name lost its duration")
                          : why);
}

// A finished clip cut short is rebuilt from what is there, as an unclosed
// one is. Its RIFF size first goes back to the placeholder in one sector
// write, so that a power cut at any later moment leaves an unclosed clip that
// the next pass rebuilds to the same bytes.
ClipReport& RepairCutShort(ClipContext c, std::unique_ptr<ClipFile> file, const Header& header,
                           const std::string& claim, ClipReport& r) {
    IndexRebuild rebuild(c.options.rebuild);
    if (!Measure(c, rebuild, *file, header, r))
        return r;
    if (r.frames == 0) {
        file.reset();
        return LeaveCutShort(c, r, claim);
    }
    if (!c.options.dryRun) {
        uint8_t placeholder[4];
        StoreLe32(placeholder, kPlaceholder);
        if (!file->WriteSectorAt(kRiffSizeOffset, placeholder, 4) || !file->Sync()) {
            return Fail(
                r, {ClipProblem::WriteFailed, 0, "cut short, not rebuilt: " + file->LastError()});
        }
        if (MaybeFailure failed = Reopen(c.fs, r.path, file))
            return Fail(r, *failed, "cut short, left unclosed: ");
    }
    WriteRebuilt(c, rebuild, std::move(file), r);
    std::string& reason = r.failure ? r.failure->text : r.note;
    reason.insert(0, "cut short (" + claim + "): ");
    return r;
}

// A finished clip whose duration field is 0 gets the duration its header
// gives: frame count and rate, with no fallback for dwRate 0.
ClipReport& NameFromHeader(ClipContext c, const Header& header, ClipReport& r) {
    const uint32_t frames = LoadLe32(header.data() + kTotalFramesOffset);
    if (frames > static_cast<uint32_t>(INT32_MAX)) {
        return Done(r, ClipAction::LeftAlone,
                    "finished clip whose header counts " + std::to_string(frames) +
                        " frames, which no clip holds: the name stays");
    }
    r.measured = true;
    r.frames = static_cast<int32_t>(frames);
    r.frameRate = FinishedFrameRate(LoadLe32(header.data() + kRateOffset));
    r.duration = ClipDuration(r.frames, r.frameRate);
    Report(c.percent, 100);
    const std::string newPath = c.newPathOf(c.clip, r.duration);
    if (!NeedsRename(r.path, newPath)) {
        return Done(r, ClipAction::LeftAlone,
                    "finished clip whose duration comes to " + std::to_string(r.duration) +
                        " s: the name stays (" + Measures(r) + ")");
    }
    if (MaybeFailure failed = Rename(c.fs, c.folder, r.path, newPath, c.options.dryRun, r))
        return Fail(r, *failed);
    return Done(r, ClipAction::DurationAdded, Measures(r));
}

// Opens the clip and reads its header; null, with `r` done, when the file
// cannot be read or holds no header of the recorder's layout.
std::unique_ptr<ClipFile> OpenWithHeader(ClipFileSystem& fs, ClipReport& r, Header& header) {
    std::string error;
    std::unique_ptr<ClipFile> file = fs.OpenForUpdate(r.path, &error);
    r.kind = ClipKind::Unusable;
    if (!file) {
        Fail(r, {ClipProblem::CannotOpen, 0, "cannot open for reading and writing: " + error});
        return nullptr;
    }
    if (!file->Size(r.size)) {
        Fail(r, {ClipProblem::CannotRead, 0, "cannot read: " + file->LastError()});
        return nullptr;
    }
    // Never asks for bytes past the end: a short file reads short here.
    const int64_t got = file->ReadAt(0, header.data(),
                                     static_cast<size_t>(std::min<uint64_t>(r.size, kHeaderSize)));
    if (got < 0) {
        Fail(r, {ClipProblem::CannotRead, 0, "cannot read: " + file->LastError()});
        return nullptr;
    }
    if (got < static_cast<int64_t>(kHeaderSize)) {
        Done(r, ClipAction::LeftAlone, "shorter than the 224-byte header");
        return nullptr;
    }
    if (!HasFourCc(header.data() + kMoviTypeOffset, "movi")) {
        Done(r, ClipAction::LeftAlone, "not the recorder's header layout (no \"movi\" at 220)");
        return nullptr;
    }
    return file;
}

// What a clip with the recorder's header is, and what becomes of it.
ClipReport& Classify(ClipContext c, std::unique_ptr<ClipFile> file, const Header& header,
                     ClipReport& r) {
    const bool unclosed = IsUnclosed(header);
    r.kind = unclosed               ? ClipKind::Unclosed
             : c.clip.duration != 0 ? ClipKind::Finished
                                    : ClipKind::FinishedNoDuration;
    // Every finished clip's header is checked against the file, which costs
    // no read; the index only of a clip about to be named from its header.
    std::string claim = unclosed ? std::string() : HeaderClaimBeyondFile(header, r.size);
    if (claim.empty() && r.kind == ClipKind::FinishedNoDuration)
        claim = IndexClaimBeyondFile(*file, header, r.size);
    if (!claim.empty()) {
        r.kind = ClipKind::CutShort;
        return RepairCutShort(c, std::move(file), header, claim, r);
    }
    if (r.kind == ClipKind::Finished) {
        r.handlerResult = 1;
        return Done(r, ClipAction::LeftAlone, "finished clip, named with its duration");
    }
    if (r.size >= kFourGiB) {
        return Fail(r, {ClipProblem::TooLarge, 0,
                        "4 GiB or larger: beyond AVI 1.0's 32-bit offsets, left untouched"});
    }
    if (!unclosed) {
        file.reset();
        return NameFromHeader(c, header, r);
    }
    return RepairUnclosed(c, std::move(file), header, r);
}

ClipReport RepairOne(ClipFileSystem& fs, const std::string& folder, const std::string& name,
                     const NewPathFn& newPathOf, const RepairOptions& options,
                     const PercentCallback& percent) {
    ClipReport r;
    r.path = folder + name;
    r.name = name;
    if (!fs.Exists(r.path)) {
        r.kind = ClipKind::Unusable;
        return Fail(r, {ClipProblem::CannotOpen, ENOENT,
                        "cannot open for reading and writing: No such file or directory"});
    }
    const std::optional<ClipName> clip = ParseClipName(name);
    if (!clip) {
        r.kind = ClipKind::NotAClip;
        r.size = fs.SizeOf(r.path).value_or(0);
        return Done(r, ClipAction::LeftAlone, "not a clip name (YYYYMMDD-HHMMSS-C-D.avi)");
    }
    Header header{};
    std::unique_ptr<ClipFile> file = OpenWithHeader(fs, r, header);
    if (!file)
        return r;
    // The header's share of the file, in unsigned integer division.
    Report(percent, static_cast<int>(uint64_t{22400} / r.size));
    return Classify({fs, folder, *clip, newPathOf, options, percent}, std::move(file), header, r);
}

using StillThereFn = std::function<bool()>;

// Visits the files one by one. A pass whose card is pulled stops after the
// file at hand: nothing else is touched, and that file's failure says why.
PassReport Visit(const std::vector<std::string>& names,
                 const std::function<ClipReport(const std::string&, const PercentCallback&)>& one,
                 const RepairCallbacks& cb, const StillThereFn& stillThere = {}) {
    PassReport pass;
    if (cb.passStarted)
        cb.passStarted(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (cb.fileStarted)
            cb.fileStarted(i, names.size(), names[i]);
        pass.files.push_back(one(names[i], cb.filePercent));
        ClipReport& r = pass.files.back();
        if (stillThere && !stillThere()) {
            pass.cardRemoved = true;
            pass.notVisited = names.size() - i - 1;
            if (r.failure)
                r.failure->text.insert(0, "the card was removed: ");
        }
        if (cb.fileDone)
            cb.fileDone(r);
        if (pass.cardRemoved)
            break;
    }
    return pass;
}

ClipFileSystem& FileSystemOf(const RepairOptions& options) {
    return options.fileSystem ? *options.fileSystem : PosixFileSystem();
}

}  // namespace

size_t PassReport::Count(ClipAction action) const {
    return static_cast<size_t>(std::count_if(
        files.begin(), files.end(), [action](const ClipReport& r) { return r.action == action; }));
}

ClipReport RepairClip(const DataRootPath& root, std::string_view name, const RepairOptions& options,
                      const PercentCallback& filePercent) {
    const std::string folder = VideoFolder(root) + "/";
    NewPathFn newPathOf = [&root](const ClipName& c, int duration) {
        return RepairedClipPath(root, c.year, c.month, c.day, c.hour, c.minute, c.second, c.channel,
                                duration);
    };
    return RepairOne(FileSystemOf(options), folder, std::string(name), newPathOf, options,
                     filePercent);
}

ClipReport RepairClipAt(const std::string& path, const RepairOptions& options,
                        const PercentCallback& filePercent) {
    const std::string folder = FolderOf(path);
    NewPathFn newPathOf = [&folder](const ClipName& c, int duration) {
        ClipName renamed = c;
        renamed.duration = duration;
        return folder + renamed.FileName();
    };
    return RepairOne(FileSystemOf(options), folder, NameOf(path), newPathOf, options, filePercent);
}

PassReport RunRepairPass(const DataRootPath& root, const RepairOptions& options,
                         const RepairCallbacks& callbacks) {
    ClipFileSystem& fs = FileSystemOf(options);
    const std::string folder = VideoFolder(root);
    const std::optional<FolderId> card = fs.IdentifyFolder(folder);
    std::vector<std::string> names = fs.FindFiles(AllClipsPattern(root));
    std::sort(names.begin(), names.end());
    return Visit(
        names,
        [&](const std::string& name, const PercentCallback& percent) {
            return RepairClip(root, name, options, percent);
        },
        callbacks, [&] { return fs.IdentifyFolder(folder) == card; });
}

PassReport RepairFiles(const std::vector<std::string>& paths, const RepairOptions& options,
                       const RepairCallbacks& callbacks) {
    return Visit(
        paths,
        [&](const std::string& path, const PercentCallback& percent) {
            return RepairClipAt(path, options, percent);
        },
        callbacks);
}

const char* ToString(ClipKind kind) {
    switch (kind) {
        case ClipKind::NotAClip:
            return "not_a_clip";
        case ClipKind::Unusable:
            return "unusable";
        case ClipKind::Unclosed:
            return "unclosed";
        case ClipKind::Finished:
            return "finished";
        case ClipKind::FinishedNoDuration:
            return "finished_no_duration";
        case ClipKind::CutShort:
            return "cut_short";
    }
    return "unusable";
}

const char* ToString(ClipAction action) {
    switch (action) {
        case ClipAction::Repaired:
            return "repaired";
        case ClipAction::DurationAdded:
            return "duration_added";
        case ClipAction::LeftAlone:
            return "left_alone";
        case ClipAction::Failed:
            return "failed";
    }
    return "failed";
}

}  // namespace tramlet::avifix
