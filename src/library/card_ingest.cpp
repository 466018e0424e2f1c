#include "library/card_ingest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "avifix/repair_pass.h"
#include "backup/block_io.h"
#include "backup/sha256.h"
#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "common/path_text.h"
#include "library/durable_copy.h"
#include "library/file_placer.h"
#include "library/gps_fixes.h"
#include "library/library_layout.h"
#include "library/staging_area.h"

namespace tramlet::library {
namespace {

// A day's log of one line a second is a few megabytes; anything far larger
// is no log the recorder wrote.
constexpr std::uint64_t kLargestLog = 64 << 20;

struct CardFile {
    std::string name;  // "video/NAME" or "gps/NAME"
    bool isLog = false;
};

// The day logs first, so that the places are searchable early, then the
// clips, each in name order. Names that are no clip or log are not ours.
std::vector<CardFile> ListCard(const DataRootPath& root) {
    std::vector<CardFile> files;
    std::vector<std::string> logs = FindFiles(GpsFolder(root) + "/*.gps");
    std::sort(logs.begin(), logs.end());
    for (const std::string& name : logs) {
        if (GpsLogDate(name))
            files.push_back({"gps/" + name, true});
    }
    std::vector<std::string> clips = FindFiles(AllClipsPattern(root));
    std::sort(clips.begin(), clips.end());
    for (const std::string& name : clips) {
        if (ParseClipName(name))
            files.push_back({"video/" + name, false});
    }
    return files;
}

std::string HashOfBytes(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.HexDigest();
}

// A whole small file; false with `error` set when it cannot be read.
bool ReadSmallFile(const SourceFile& file, const std::string& path, std::string& bytes,
                   std::string& error) {
    if (file.Fd() < 0 || file.Stat().st_size > static_cast<off_t>(kLargestLog)) {
        error = file.Fd() < 0 ? "cannot read " + path + ": " + std::strerror(file.Error())
                              : path + " is too large for a day's GPS log";
        return false;
    }
    bytes.resize(static_cast<size_t>(file.Stat().st_size));
    const ssize_t got = ReadFull(file.Fd(), bytes.data(), bytes.size());
    if (got < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.resize(static_cast<size_t>(got));
    return true;
}

std::optional<ClipEntry> ClipRow(const std::string& vehicle, const std::string& path) {
    const std::optional<ClipName> clip = ParseClipName(NameOf(path));
    if (!clip || !clip->HasValidChannel())
        return std::nullopt;
    const std::optional<RecorderSeconds> start = ClipStart(*clip);
    if (!start)
        return std::nullopt;
    return ClipEntry{vehicle, path, *start, clip->channel, clip->duration};
}

// A staged clip after the repair pass: where it is now and what it holds.
struct StagedClip {
    std::string path;
    std::string sha256;
    std::uint64_t size = 0;
    bool repaired = false;
    std::string note;
    std::string error;
};

StagedClip RepairStaged(const std::string& staged, const CopyOutcome& copy) {
    const avifix::ClipReport repair = avifix::RepairClipAt(staged);
    StagedClip clip;
    clip.path = repair.renamed ? repair.newPath : staged;
    clip.sha256 = copy.sha256;
    clip.size = copy.size;
    clip.repaired = repair.action == avifix::ClipAction::Repaired ||
                    repair.action == avifix::ClipAction::DurationAdded;
    if (repair.failure)
        clip.note = "kept as the recorder left it: " + repair.failure->text;
    if (repair.rebuilt) {
        const auto hash = HashFile(clip.path);
        clip.sha256 = hash.value_or("");
        if (!hash)
            clip.error = hash.error().text;
        struct stat st {};
        clip.size =
            ::stat(clip.path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    return clip;
}

}  // namespace

class CardIngest {
  public:
    CardIngest(LibraryIndex& index, const IngestRequest& request, IngestReport& report)
        : index_(index), request_(request), report_(report), root_(request.dataRoot) {}

    void Run();

  private:
    bool Prepare();
    bool ChooseVehicle(const CardIdentity& card);
    void IngestFile(const CardFile& file);
    void IngestClip(const CardFile& file, const SourceFile& source, IngestedFile& result);
    void IngestLog(const CardFile& file, const SourceFile& source, IngestedFile& result);
    void UpdateLog(const CardFile& file, const std::string& text, const std::string& sha256,
                   IngestedFile& result);
    std::optional<std::string> KeptAlready(const CardFile& file, std::uint64_t size,
                                           const std::function<std::string()>& cardHash);
    void RecordFile(const std::string& path, std::uint64_t size, const std::string& sha256,
                    const CardSource& source, const std::string* logText);
    void BlockDone(std::uint64_t bytes);
    void Fail(IngestedFile& result, std::string why) {
        result.action = IngestAction::kFailed;
        result.note = std::move(why);
    }
    bool Cancelled() const { return request_.cancel && request_.cancel->load(); }
    std::string Staged(const CardFile& file) const {
        return staging_->Folder() + NameOf(file.name);
    }

    LibraryIndex& index_;
    const IngestRequest& request_;
    IngestReport& report_;
    DataRootPath root_;
    std::string vehicleRoot_;
    std::unique_ptr<StagingArea> staging_;
    std::unique_ptr<FilePlacer> placer_;
    DurableCopier copier_;
    std::unique_ptr<GpsTable> table_;
    IngestProgress progress_;
    std::uint64_t fileStart_ = 0;  // bytesDone before the file at hand
    std::uint64_t fileSize_ = 0;
};

void CardIngest::Run() {
    if (!Prepare())
        return;
    const std::vector<CardFile> files = ListCard(root_);
    progress_.filesTotal = files.size();
    for (const CardFile& file : files) {
        struct stat st {};
        if (::stat(root_.Below(file.name).c_str(), &st) == 0)
            progress_.bytesTotal += static_cast<std::uint64_t>(st.st_size);
    }
    for (const CardFile& file : files) {
        if (Cancelled())
            report_.cancelled = true;
        if (report_.cancelled)
            break;
        IngestFile(file);
    }
}

bool CardIngest::Prepare() {
    std::error_code ignored;
    if (!std::filesystem::is_directory(VideoFolder(root_), ignored) &&
        !std::filesystem::is_directory(GpsFolder(root_), ignored)) {
        report_.error = "no video or gps folder below " + root_.Text() + ": not a card";
        report_.badRequest = true;
        return false;
    }
    const CardIdentity card = request_.card ? *request_.card : IdentifyCard(root_);
    report_.card = card.id;
    if (!ChooseVehicle(card))
        return false;
    const std::string library = LibraryFolder(request_.library);
    std::filesystem::create_directories(library, ignored);
    vehicleRoot_ = VehicleRoot(library, report_.vehicle);
    std::string error;
    if (!MakeFolders(library, report_.vehicle + "/video/", error) ||
        !MakeFolders(library, report_.vehicle + "/gps/", error)) {
        report_.error = error;
        return false;
    }
    index_.RememberCard(card.id, report_.vehicle);
    StagingArea::RemoveAbandoned(library);
    staging_ = std::make_unique<StagingArea>(vehicleRoot_);
    if (!staging_->Error().empty()) {
        report_.error = staging_->Error();
        return false;
    }
    placer_ = std::make_unique<FilePlacer>(index_, report_.vehicle, vehicleRoot_);
    return true;
}

bool CardIngest::ChooseVehicle(const CardIdentity& card) {
    std::string vehicle = request_.vehicle;
    if (vehicle.empty())
        vehicle = index_.RememberedVehicle(card.id).value_or(card.label);
    if (vehicle.empty()) {
        report_.error =
            "the library does not know this card and it has no volume label: name the vehicle";
        report_.badRequest = true;
        return false;
    }
    if (const auto problem = VehicleNameProblem(vehicle)) {
        report_.error = *problem + ": " + vehicle;
        report_.badRequest = true;
        return false;
    }
    report_.vehicle = vehicle;
    return true;
}

void CardIngest::BlockDone(std::uint64_t bytes) {
    progress_.bytesDone = std::min(progress_.bytesDone + bytes, fileStart_ + fileSize_);
    if (request_.progress)
        request_.progress(progress_);
}

void CardIngest::IngestFile(const CardFile& file) {
    const SourceFile source(root_.Below(file.name));
    fileStart_ = progress_.bytesDone;
    fileSize_ = source.Fd() < 0 ? 0 : static_cast<std::uint64_t>(source.Stat().st_size);
    progress_.currentFile = file.name;
    BlockDone(0);
    IngestedFile result;
    result.cardName = file.name;
    if (source.Fd() < 0) {
        Fail(result, source.Error()
                         ? "cannot read it: " + std::string(std::strerror(source.Error()))
                         : "not a regular file");
    } else if (file.isLog) {
        IngestLog(file, source, result);
    } else {
        IngestClip(file, source, result);
    }
    if (report_.cancelled)
        return;
    ++progress_.filesDone;
    progress_.bytesDone = fileStart_ + fileSize_;
    BlockDone(0);
    report_.files.push_back(result);
    if (request_.fileDone)
        request_.fileDone(result);
}

// Where the library keeps these bytes of the card file already, if it does:
// known by the card name, size and hash (under its own name, or repaired
// or in conflicts/ under another) and still there. The card is hashed only
// when the index knows a file of that name and size.
std::optional<std::string> CardIngest::KeptAlready(const CardFile& file, std::uint64_t size,
                                                   const std::function<std::string()>& cardHash) {
    std::vector<CardSource> known = index_.Sources(report_.vehicle, file.name);
    const size_t sources = known.size();
    if (const auto same = index_.File(report_.vehicle, file.name))
        known.push_back({file.name, same->size, same->sha256, file.name});
    const auto sized = [size](const CardSource& s) { return s.size == size; };
    if (std::none_of(known.begin(), known.end(), sized))
        return std::nullopt;
    const std::string sha256 = cardHash();
    for (size_t i = 0; i < known.size(); ++i) {
        if (!sized(known[i]) || known[i].sha256 != sha256 || !placer_->Holds(known[i].path))
            continue;
        if (i >= sources)  // known by its name only: remember the card's file too
            RecordFile(file.name, size, sha256, known[i], nullptr);
        return known[i].path;
    }
    return std::nullopt;
}

// The file's row with the card file it came from, and what it adds to the
// search: a clip's recording, a day log's fixes (`logText`, when they are
// not in the index yet). Files kept as conflicts add nothing to the search.
void CardIngest::RecordFile(const std::string& path, std::uint64_t size, const std::string& sha256,
                            const CardSource& source, const std::string* logText) {
    FileEntry entry;
    entry.file = {report_.vehicle, path, size, sha256};
    entry.source = source;
    if (path.starts_with("video/")) {
        entry.clip = ClipRow(report_.vehicle, path);
    } else if (logText && path.starts_with("gps/")) {
        if (!table_)
            table_ = std::make_unique<GpsTable>();
        entry.fixes = FixesOfLog(*logText, *GpsLogDate(NameOf(path)), *table_);
    }
    index_.Record(entry);
}

void CardIngest::IngestClip(const CardFile& file, const SourceFile& source, IngestedFile& result) {
    const std::string cardPath = root_.Below(file.name);
    const auto cardHash = [&] {
        return HashFile(cardPath, [this](std::uint64_t n) { BlockDone(n); }).value_or("");
    };
    if (const auto kept = KeptAlready(file, fileSize_, cardHash)) {
        result = {file.name, IngestAction::kSkipped, *kept, {}};
        return;
    }
    progress_.bytesDone = fileStart_;
    const CopyOutcome copy = copier_.Copy(
        source.Fd(), Staged(file), [this](std::uint64_t n) { BlockDone(n); }, request_.cancel);
    if (copy.cancelled) {
        report_.cancelled = true;
        return;
    }
    if (!copy.ok)
        return Fail(result, copy.error);
    const StagedClip clip = RepairStaged(Staged(file), copy);
    if (!clip.error.empty())
        return Fail(result, clip.error);
    const Placement placed = placer_->Place(clip.path, "video/" + NameOf(clip.path), clip.sha256);
    if (placed.kind == Placement::kFailed)
        return Fail(result, placed.error);
    RecordFile(placed.path, clip.size, clip.sha256,
               {file.name, copy.size, copy.sha256, placed.path}, nullptr);
    result.libraryPath = placed.path;
    result.note = clip.note;
    switch (placed.kind) {
        case Placement::kPlaced:
            result.action = clip.repaired ? IngestAction::kRepaired : IngestAction::kCopied;
            break;
        case Placement::kIdentical:
            result.action = IngestAction::kSkipped;
            break;
        default:
            result.action = IngestAction::kConflict;
            result.note = "video/" + NameOf(clip.path) + " in the library holds other bytes";
    }
}

void CardIngest::IngestLog(const CardFile& file, const SourceFile& source, IngestedFile& result) {
    std::string text, error;
    if (!ReadSmallFile(source, file.name, text, error))
        return Fail(result, error);
    const std::string sha256 = HashOfBytes(text);
    if (const auto kept = KeptAlready(file, text.size(), [&] { return sha256; })) {
        result = {file.name, IngestAction::kSkipped, *kept, {}};
        return;
    }
    std::error_code absent;
    if (!std::filesystem::exists(vehicleRoot_ + file.name, absent)) {
        const CopyOutcome copy = copier_.Write(text, Staged(file));
        if (!copy.ok)
            return Fail(result, copy.error);
        const Placement placed = placer_->PlaceIfFree(Staged(file), file.name);
        if (placed.kind == Placement::kFailed)
            return Fail(result, placed.error);
        if (placed.kind == Placement::kPlaced) {
            RecordFile(file.name, text.size(), sha256, {file.name, text.size(), sha256, file.name},
                       &text);
            result = {file.name, IngestAction::kCopied, file.name, {}};
            return;
        }
        ::unlink(Staged(file).c_str());  // another ingest put the day's log there meanwhile
    }
    index_.Exclusively("gps:" + report_.vehicle + "/" + file.name,
                       [&] { UpdateLog(file, text, sha256, result); });
}

// The library holds a log of that day: the same, shorter (the card's grew:
// replace it), longer (never shortened) or another (kept as a conflict).
// Runs in the index's exclusive transaction for the log, so that two ingests
// never replace one log at once.
void CardIngest::UpdateLog(const CardFile& file, const std::string& text, const std::string& sha256,
                           IngestedFile& result) {
    ::unlink(Staged(file).c_str());  // from a transaction run again
    std::string kept, error;
    if (!ReadSmallFile(SourceFile(vehicleRoot_ + file.name), file.name, kept, error))
        return Fail(result, error);
    const CardSource source{file.name, text.size(), sha256, file.name};
    const std::string keptSha256 = HashOfBytes(kept);
    const auto stored = index_.File(report_.vehicle, file.name);
    // A run killed between the rename and its index rows left the fixes out.
    const std::string* unindexed = stored && stored->sha256 == keptSha256 ? nullptr : &kept;
    if (kept == text) {
        RecordFile(file.name, kept.size(), keptSha256, source, unindexed);
        result = {file.name, IngestAction::kSkipped, file.name, {}};
    } else if (kept.starts_with(text)) {
        RecordFile(file.name, kept.size(), keptSha256, source, unindexed);
        result = {file.name, IngestAction::kKeptLonger, file.name,
                  "the library's log of that day is longer, and a log is never shortened"};
    } else {
        const CopyOutcome copy = copier_.Write(text, Staged(file));
        if (!copy.ok)
            return Fail(result, copy.error);
        const bool grown = text.starts_with(kept);
        const Placement placed = grown ? placer_->Replace(Staged(file), file.name)
                                       : placer_->KeepAsConflict(Staged(file), file.name, sha256);
        if (placed.kind == Placement::kFailed)
            return Fail(result, placed.error);
        RecordFile(placed.path, text.size(), sha256, {file.name, text.size(), sha256, placed.path},
                   grown ? &text : nullptr);
        result = {file.name, grown ? IngestAction::kGrown : IngestAction::kConflict, placed.path,
                  grown ? std::string() : file.name + " in the library holds another log"};
    }
}

const char* ToString(IngestAction action) {
    switch (action) {
        case IngestAction::kCopied:
            return "copied";
        case IngestAction::kRepaired:
            return "repaired";
        case IngestAction::kSkipped:
            return "skipped";
        case IngestAction::kGrown:
            return "grown";
        case IngestAction::kKeptLonger:
            return "kept_longer";
        case IngestAction::kConflict:
            return "conflict";
        case IngestAction::kFailed:
            return "failed";
    }
    return "failed";
}

std::size_t IngestReport::Count(IngestAction action) const {
    return static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(),
                      [action](const IngestedFile& f) { return f.action == action; }));
}

bool IngestReport::AllFine() const {
    return error.empty() && !cancelled && Count(IngestAction::kFailed) == 0 &&
           Count(IngestAction::kConflict) == 0;
}

IngestReport IngestCard(LibraryIndex& index, const IngestRequest& request) {
    IngestReport report;
    CardIngest ingest(index, request, report);
    try {
        ingest.Run();
    } catch (const IndexError& failure) {
        report.error = failure.what();
    }
    return report;
}

}  // namespace tramlet::library
