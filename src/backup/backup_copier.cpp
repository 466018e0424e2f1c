#include "backup/backup_copier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "backup/block_io.h"
#include "backup/file_hash.h"
#include "backup/hash_thread.h"
#include "backup/sha256_sums.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "common/atomic_file.h"
#include "common/path_text.h"
#include "gps/gpx_writer.h"
#include "platform/folder_id.h"

namespace tramlet {
namespace {

constexpr size_t kBlockSize = 1 << 20;

Failure<BackupProblem> Why(BackupProblem problem, int error = 0) {
    return {problem, error, {}};
}

// Removes the copies that a killed run left half-written in a folder.
void RemoveTemporaries(const std::string& folder) {
    const FolderListing listing = FolderListing::Read(folder);
    for (const std::string& name : listing.Names()) {
        if (AtomicFile::IsTemporaryName(name))
            ::unlink((folder + name).c_str());
    }
}

// The card as the backup starts: which of the plan's files it holds, and
// which folders they lie in, so that a pulled card can be told from a
// missing file.
class CardAtStart {
  public:
    explicit CardAtStart(const std::vector<BackupItem>& plan) {
        for (const BackupItem& item : plan) {
            struct stat st {};
            held_.push_back(::stat(item.source.c_str(), &st) == 0);
            bytes_ += held_.back() ? static_cast<std::uint64_t>(st.st_size) : 0;
            const std::string folder = FolderOf(item.source);
            if (!folders_.contains(folder))
                folders_[folder] = IdentifyFolder(folder);
        }
    }
    std::uint64_t Bytes() const { return bytes_; }
    bool Held(size_t index) const { return held_[index]; }
    bool Removed(const BackupItem& item) const {
        const std::string folder = FolderOf(item.source);
        return IdentifyFolder(folder) != folders_.at(folder);
    }

  private:
    std::vector<bool> held_;
    std::uint64_t bytes_ = 0;
    std::map<std::string, std::optional<FolderId>> folders_;
};

// The day of a plan item that is a day's GPS log, and the data root it
// comes from; nothing for a clip.
std::optional<GpxRequest> DayLogRequest(const BackupItem& item) {
    GpxRequest request;
    CalendarDate& date = request.date;
    const std::string& relative = item.relativeDestination;
    if (std::sscanf(relative.c_str(), "gps/%4d%2d%2d.gps", &date.year, &date.month, &date.day) !=
            3 ||
        RelativeGpsLogPath(date.year, date.month, date.day) != relative ||
        !item.source.ends_with(relative)) {
        return std::nullopt;
    }
    // The root's text is in front of the relative path; the "." of a plan made
    // with no root stays no root.
    const std::string_view root(item.source.data(), item.source.size() - relative.size());
    request.dataRoot = root == DataRootPath().Text() ? DataRootPath() : DataRootPath(root);
    return request;
}

// A copied day log gets its track as GPX beside it, so the backup opens in
// any GPS tool. It is made from the card's log and the card's recordings of
// the day (the backup may hold only some of them); a day without a fix gets
// none.
void AddDayTrack(const BackupItem& item, const std::string& backupDir, BackupReport& result,
                 Sha256Sums& sums) {
    std::optional<GpxRequest> request = DayLogRequest(item);
    if (!request)
        return;
    const std::string relative =
        item.relativeDestination.substr(0, item.relativeDestination.size() - 4) + ".gpx";
    request->output = backupDir + relative;
    const GpxResult written = WriteDayGpx(*request);
    if (written) {
        if (const auto hash = HashFile(request->output))
            sums.Set(relative, *hash);
    } else if (written.error().kind == GpxError::kWriteFailed) {
        result.failures.push_back(
            {relative, Why(BackupProblem::kCopyFailed, written.error().error)});
    }
}

}  // namespace

// Two blocks take turns: one is read and written while the other is hashed.
struct BackupCopier::Pipeline {
    std::vector<char> blocks[2] = {std::vector<char>(kBlockSize), std::vector<char>(kBlockSize)};
    HashThread hasher;  // declared last: stops before the blocks go
};

BackupCopier::BackupCopier(std::string backupDir)
    : backupDir_(WithSlash(std::move(backupDir))),
      write_([](int fd, const void* data, size_t size) { return ::write(fd, data, size); }),
      flush_(::fsync) {}

BackupCopier::~BackupCopier() = default;

void BackupCopier::PrepareFolders() {
    folderErrors_.clear();
    RemoveTemporaries(backupDir_);  // of SHA256SUMS
    for (const char* folder : {"video", "gps"}) {
        const std::string path = backupDir_ + folder;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
            folderErrors_[folder] = errno;
        else
            RemoveTemporaries(path + "/");
    }
}

// A rename lasts once its folder is flushed: a stick pulled right after the
// report must hold every file the report names.
void BackupCopier::FlushFolders(BackupReport& result) const {
    for (const std::string folder : {"video/", "gps/", ""}) {
        const int fd = ::open((backupDir_ + folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;  // never made, so nothing was put in it
        if (flush_(fd) != 0) {
            result.failures.push_back(
                {folder.empty() ? "SHA256SUMS" : folder, Why(BackupProblem::kCopyFailed, errno)});
        }
        ::close(fd);
    }
}

BackupReport BackupCopier::Run(const std::vector<BackupItem>& plan, const ProgressCallback& report,
                               const std::atomic<bool>& cancel) {
    PrepareFolders();
    const CardAtStart card(plan);
    BackupProgress progress;
    progress.filesTotal = static_cast<int>(plan.size());
    progress.bytesTotal = card.Bytes();

    BackupReport result;
    Sha256Sums sums(backupDir_ + "SHA256SUMS");
    pipeline_ = std::make_unique<Pipeline>();
    for (size_t i = 0; i < plan.size(); ++i) {
        const BackupItem& item = plan[i];
        if (cancel.load()) {
            result.cancelled = true;
            break;
        }
        progress.currentFile = item.relativeDestination;
        if (report)
            report(progress);
        std::string hash;
        const auto outcome = CopyFile(item, progress, report, cancel, hash);
        if (outcome && *outcome == Outcome::kCancelled) {
            result.cancelled = true;
            break;
        }
        const bool offTheCard = outcome
                                    ? *outcome == Outcome::kAbsent
                                    : outcome.error().kind == BackupProblem::kSourceMissing ||
                                          outcome.error().kind == BackupProblem::kSourceUnreadable;
        if (offTheCard && card.Removed(item)) {
            // Nothing more can come off the card: name what stays uncopied.
            for (size_t j = i; j < plan.size(); ++j) {
                if (card.Held(j) || !plan[j].mayBeMissing)
                    result.failures.push_back(
                        {plan[j].relativeDestination, Why(BackupProblem::kCardRemoved)});
            }
            break;
        }
        if (!outcome) {
            result.failures.push_back({item.relativeDestination, outcome.error()});
        } else if (*outcome == Outcome::kCopied) {
            result.copied.push_back(item.relativeDestination);
            sums.Set(item.relativeDestination, hash);
            AddDayTrack(item, backupDir_, result, sums);
        }
        ++progress.filesDone;
    }
    if (!result.copied.empty()) {
        if (const int error = sums.Save(); error != 0)
            result.failures.push_back(
                {"SHA256SUMS", Why(BackupProblem::kChecksumsNotSaved, error)});
        FlushFolders(result);
    }
    pipeline_.reset();
    if (report)
        report(progress);
    return result;
}

Expected<BackupCopier::Outcome, Failure<BackupProblem>> BackupCopier::CopyFile(
    const BackupItem& item, BackupProgress& progress, const ProgressCallback& report,
    const std::atomic<bool>& cancel, std::string& hash) {
    const auto fail = [](BackupProblem problem, int error) {
        return Unexpected(Why(problem, error));
    };
    const SourceFile source(item.source);
    if (source.Fd() < 0) {
        if (source.Error() == ENOENT && item.mayBeMissing)
            return Outcome::kAbsent;
        if (source.Error() == ENOENT)
            return fail(BackupProblem::kSourceMissing, 0);
        if (source.Error() == 0 || source.Error() == ELOOP)
            return fail(BackupProblem::kSourceNotRegular, 0);
        return fail(BackupProblem::kSourceUnreadable, source.Error());
    }
    const std::string folder =
        item.relativeDestination.substr(0, item.relativeDestination.find('/'));
    if (const auto made = folderErrors_.find(folder); made != folderErrors_.end())
        return fail(BackupProblem::kFolderNotMade, made->second);

    const std::string destination = backupDir_ + item.relativeDestination;
    AtomicFile temp(destination);
    if (!temp.Ok())
        return fail(BackupProblem::kCopyFailed, temp.Error());

    // Reading ahead in large steps and starting the write-back of each block
    // at once leave less for the final flush to wait for.
    ::posix_fadvise(source.Fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    HashThread& hasher = pipeline_->hasher;
    hasher.Reset();
    off_t written = 0;
    for (int turn = 0;; turn ^= 1) {
        if (cancel.load())
            return Outcome::kCancelled;
        std::vector<char>& block = pipeline_->blocks[turn];
        const ssize_t got = ReadFull(source.Fd(), block.data(), block.size());
        if (got < 0)
            return fail(BackupProblem::kSourceUnreadable, errno);
        if (got == 0)
            break;
        if (!WriteAll(temp.Fd(), block.data(), static_cast<size_t>(got)))
            return fail(BackupProblem::kCopyFailed, errno);
        ::sync_file_range(temp.Fd(), written, got, SYNC_FILE_RANGE_WRITE);
        written += got;
        hasher.Submit(block.data(), static_cast<size_t>(got));
        progress.bytesDone += static_cast<std::uint64_t>(got);
        if (report)
            report(progress);
    }
    const struct timespec times[2] = {source.Stat().st_atim, source.Stat().st_mtim};
    ::futimens(temp.Fd(), times);
    ::fchmod(temp.Fd(), source.Stat().st_mode & 0777);
    // The folders are flushed once at the end, for all their files.
    if (const int error = temp.Commit(AtomicFile::FolderFlush::kLater, flush_); error != 0)
        return fail(BackupProblem::kCopyFailed, error);
    hash = hasher.Finish();
    return Outcome::kCopied;
}

bool BackupCopier::WriteAll(int fd, const char* data, size_t size) {
    return tramlet::WriteAll(fd, data, size, write_);
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool LiesWithinFolder(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty())
        return false;
    for (std::filesystem::path p = std::filesystem::path(path).lexically_normal();;
         p = p.parent_path()) {
        if (IsSameFolder(p.string(), folder))
            return true;
        if (p == p.parent_path() || p.parent_path().empty())
            return false;
    }
}

bool WouldCopyOntoDataRoot(const std::string& backupDir, const DataRootPath& dataRoot) {
    const std::string backup = WithSlash(backupDir);
    // No root, ".", is compared as the working folder, as it always was.
    const std::string root = WithSlash(dataRoot.Text());
    return IsSameFolder(backup, root) || IsSameFolder(backup + "video", root + "video") ||
           IsSameFolder(backup + "gps", root + "gps");
}

}  // namespace tramlet
