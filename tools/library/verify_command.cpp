// tramlet-library verify: every file of the library hashed again.
#include <csignal>
#include <cstdio>

#include "commands.h"
#include "library/library_verify.h"
#include "progress_line.h"

namespace tramlet::library::tool {
namespace {

std::atomic<bool> stopAsked{false};

void AskToStop(int) {
    stopAsked = true;
}

void PrintReportJson(const ToolOptions& options, const VerifyReport& r, int status) {
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const VerifyFinding& f : r.findings) {
        findings.push_back({{"vehicle", f.file.vehicle},
                            {"path", f.file.path},
                            {"problem", ToString(f.problem)},
                            {"detail", f.detail}});
    }
    PrintJson({{"library", options.library},
               {"checked", r.checked},
               {"findings", findings},
               {"cancelled", r.cancelled},
               {"exit_status", status}});
}

}  // namespace

int RunVerify(const ToolOptions& options) {
    const std::unique_ptr<LibraryIndex> index = OpenExistingIndex(options);
    std::signal(SIGINT, AskToStop);
    std::signal(SIGTERM, AskToStop);
    ProgressLine line(!options.quiet);
    const VerifyReport report = VerifyLibrary(
        *index, options.library,
        [&](const VerifyProgress& p) {
            line.Show(p.filesDone, p.filesTotal, p.bytesDone, p.bytesTotal, p.currentFile);
        },
        &stopAsked);
    line.Clear();
    const int status = report.findings.empty() && !report.cancelled ? 0 : 1;
    if (options.json) {
        PrintReportJson(options, report, status);
        return status;
    }
    for (const VerifyFinding& f : report.findings) {
        std::printf("%s/%s: %s (%s)\n", f.file.vehicle.c_str(), f.file.path.c_str(),
                    ToString(f.problem), f.detail.c_str());
    }
    if (!options.quiet || status != 0) {
        std::printf("%zu files checked: %zu missing or changed%s\n", report.checked,
                    report.findings.size(), report.cancelled ? " (stopped before the end)" : "");
    }
    return status;
}

}  // namespace tramlet::library::tool
