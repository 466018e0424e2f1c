// tramlet-library ingest: one card into the library.
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "common/data_root_path.h"
#include "library/card_ingest.h"
#include "progress_line.h"

namespace tramlet::library::tool {
namespace {

std::atomic<bool> stopAsked{false};

void AskToStop(int) {
    stopAsked = true;
}

// What a user needs to read about a file; skipped files go unmentioned.
std::string Line(const IngestedFile& f) {
    switch (f.action) {
        case IngestAction::kCopied:
            return f.cardName + ": copied";
        case IngestAction::kRepaired:
            return f.cardName + ": repaired, kept as " + f.libraryPath;
        case IngestAction::kGrown:
            return f.cardName + ": grown on the card, updated";
        case IngestAction::kKeptLonger:
            return f.cardName + ": " + f.note;
        case IngestAction::kConflict:
            return f.cardName + ": conflict, kept as " + f.libraryPath + " (" + f.note + ")";
        case IngestAction::kFailed:
            return f.cardName + ": failed: " + f.note;
        case IngestAction::kSkipped:
            break;
    }
    return {};
}

bool NeedsALook(IngestAction action) {
    return action == IngestAction::kConflict || action == IngestAction::kFailed;
}

void PrintReportJson(const ToolOptions& options, const IngestReport& r, int status) {
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const IngestedFile& f : r.files) {
        files.push_back({{"card_name", f.cardName},
                         {"action", ToString(f.action)},
                         {"library_path",
                          f.libraryPath.empty() ? nullptr : nlohmann::ordered_json(f.libraryPath)},
                         {"note", f.note}});
    }
    nlohmann::ordered_json summary = {{"files", r.files.size()}};
    for (IngestAction a : {IngestAction::kCopied, IngestAction::kRepaired, IngestAction::kSkipped,
                           IngestAction::kGrown, IngestAction::kKeptLonger, IngestAction::kConflict,
                           IngestAction::kFailed})
        summary[ToString(a)] = r.Count(a);
    PrintJson({{"library", options.library},
               {"vehicle", r.vehicle},
               {"card", r.card},
               {"files", files},
               {"summary", summary},
               {"cancelled", r.cancelled},
               {"error", r.error.empty() ? nullptr : nlohmann::ordered_json(r.error)},
               {"exit_status", status}});
}

void PrintSummary(const IngestReport& r) {
    if (!r.vehicle.empty()) {
        std::printf(
            "%s: %zu files: %zu copied, %zu repaired, %zu skipped, %zu grown, "
            "%zu kept longer, %zu conflicts, %zu failed\n",
            r.vehicle.c_str(), r.files.size(), r.Count(IngestAction::kCopied),
            r.Count(IngestAction::kRepaired), r.Count(IngestAction::kSkipped),
            r.Count(IngestAction::kGrown), r.Count(IngestAction::kKeptLonger),
            r.Count(IngestAction::kConflict), r.Count(IngestAction::kFailed));
    }
    if (r.cancelled)
        std::printf("Stopped before the end; the next ingest finishes the job\n");
}

}  // namespace

int RunIngest(const ToolOptions& options) {
    std::error_code error;
    if (!std::filesystem::is_directory(options.dataRoot, error))
        throw UsageError("no such data root: " + options.dataRoot);
    std::filesystem::create_directories(options.library, error);
    if (!std::filesystem::is_directory(options.library, error))
        throw UsageError("cannot make the library folder " + options.library);
    const std::unique_ptr<LibraryIndex> index =
        OpenLibraryIndex(options.library, options.database, true);

    std::signal(SIGINT, AskToStop);
    std::signal(SIGTERM, AskToStop);
    ProgressLine line(!options.quiet);
    IngestRequest request;
    request.dataRoot = DataRootPath(options.dataRoot);
    request.library = options.library;
    request.vehicle = options.vehicle;
    request.cancel = &stopAsked;
    request.progress = [&](const IngestProgress& p) {
        line.Show(p.filesDone, p.filesTotal, p.bytesDone, p.bytesTotal, p.currentFile);
    };
    request.fileDone = [&](const IngestedFile& f) {
        if (options.json || f.action == IngestAction::kSkipped ||
            (options.quiet && !NeedsALook(f.action)))
            return;
        line.Clear();
        std::printf("%s\n", Line(f).c_str());
        std::fflush(stdout);
    };
    const IngestReport report = IngestCard(*index, request);
    line.Clear();
    const int status = report.badRequest ? 2 : report.AllFine() ? 0 : 1;
    if (options.json)
        PrintReportJson(options, report, status);
    else if (!options.quiet || status != 0)
        PrintSummary(report);
    if (!report.error.empty())
        std::fprintf(stderr, "tramlet-library: %s\n", report.error.c_str());
    return status;
}

}  // namespace tramlet::library::tool
