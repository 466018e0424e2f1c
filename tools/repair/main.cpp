// tramlet-repair: the AVI repair pass of the program from the
// command line, over a data root's video/*.avi or over named clips.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "avifix/repair_pass.h"
#include "command_line.h"
#include "common/data_root_path.h"
#include "common/json_text.h"

namespace {

using namespace tramlet;
using namespace tramlet::avifix;

const char kHelp[] =
    R"(usage: tramlet-repair [--dry-run] [--json] [-q] DATA_ROOT
       tramlet-repair [--dry-run] [--json] [-q] FILE.avi...

Runs the repair pass of Tramlet over a memory card: every DATA_ROOT/video/*.avi,
or the named clips one by one. An unclosed clip (the recorder never finished
it: no index, placeholder sizes) gets its idx1 index and 224-byte header
rebuilt in place and is renamed YYYYMMDD-HHMMSS-C-D.avi with its duration D
in seconds; a finished clip whose duration field is 0 is renamed with the
duration from its header. A finished clip whose header or index claims more
than the file holds (cut short after it was finished) is rebuilt from what is
there, as an unclosed clip is; when no whole frame remains it is left as it
is, and a name that claims a duration gets 0 (the player then leaves it out).
Frame data is never rewritten, files are never
truncated, a rename never replaces an existing file, and a power cut at any
moment leaves a file that the next run repairs to the same result.
Left alone: finished clips named with their duration, names that are not clip
names, files shorter than 224 bytes or of another header layout.
Files of 4 GiB or more are left untouched (reported as failed if they need work).

options:
  --dry-run  write and rename nothing; report what would change
  --json     print one JSON report (below) on stdout instead of lines
  -q         quiet: no progress bar, and only failures are printed
  -h, --help this text

Each file gets one line on stdout: repaired and renamed to X / duration
added / left alone: why / failed: why; then a summary. A progress bar goes
to stderr when stderr is a terminal.

A named file or data root that does not exist is an error on stderr; the
other files are still repaired.

exit status: 0 every file is fine (repaired, renamed or rightly left alone),
             1 some file could not be handled (see "failed"), a named file
               does not exist, or the card went away during the run,
             2 usage error.

--json report:
{
  "dry_run": false,
  "root": "/media/card/" | null,        (null when files were named)
  "files": [ {
      "path": ".../video/20120305-142233-1-0.avi",   (as visited)
      "name": "20120305-142233-1-0.avi",
      "class": "unclosed" | "finished" | "finished_no_duration" | "cut_short" |
               "unusable" | "not_a_clip",
      "action": "repaired" | "duration_added" | "left_alone" | "failed",
      "reason": "...",                   (why left alone or failed, or a note)
      "renamed_to": ".../20120305-142233-1-60.avi" | null,
      "rebuilt": true,                   (index and header written)
      "size": 12345678,                  (bytes, before the repair)
      "frames": 1800 | null, "frame_rate": 30 | null, "duration": 60 | null,
      "width": 1920 | null, "height": 1088 | null,   (unclosed and cut-short clips only)
      "index_offset": 12345000 | null    (rebuilt clips: where idx1 begins)
  } ... ],
  "summary": { "files": 4, "repaired": 1, "duration_added": 1,
               "left_alone": 1, "failed": 1,
               "card_removed": false, "not_visited": 0 },
                                         (the card went away: the run stopped
                                          and left the other files untouched)
  "exit_status": 1
}
In a dry run "renamed_to" and "rebuilt" tell what would happen.
)";

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// ---- JSON -------------------------------------------------------------------

std::string JsonFloat(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", static_cast<double>(f));
    return buf;
}

std::string JsonOrNull(bool known, const std::string& json) {
    return known ? json : std::string("null");
}

// One clip's object, on one line. Sizes and the index's place are known only
// for the clips whose index was rebuilt.
std::string FileJson(const ClipReport& r) {
    const bool rebuiltClip =
        r.measured && (r.kind == ClipKind::Unclosed || r.kind == ClipKind::CutShort);
    std::string o = "{\"path\": " + JsonString(r.path);
    o += ", \"name\": " + JsonString(r.name);
    o += ", \"class\": \"" + std::string(ToString(r.kind)) + "\"";
    o += ", \"action\": \"" + std::string(ToString(r.action)) + "\"";
    o += ", \"reason\": " + JsonString(r.Reason());
    o += ", \"renamed_to\": " + JsonOrNull(r.renamed, JsonString(r.newPath));
    o += ", \"rebuilt\": " + std::string(r.rebuilt ? "true" : "false");
    o += ", \"size\": " + std::to_string(r.size);
    o += ", \"frames\": " + JsonOrNull(r.measured, std::to_string(r.frames));
    o += ", \"frame_rate\": " + JsonOrNull(r.measured, JsonFloat(r.frameRate));
    o += ", \"duration\": " + JsonOrNull(r.measured, std::to_string(r.duration));
    o += ", \"width\": " + JsonOrNull(rebuiltClip, std::to_string(r.width));
    o += ", \"height\": " + JsonOrNull(rebuiltClip, std::to_string(r.height));
    o += ", \"index_offset\": " + JsonOrNull(rebuiltClip, std::to_string(r.indexPosition));
    return o + "}";
}

std::string SummaryJson(const PassReport& pass) {
    return "{\"files\": " + std::to_string(pass.files.size()) +
           ", \"repaired\": " + std::to_string(pass.Count(ClipAction::Repaired)) +
           ", \"duration_added\": " + std::to_string(pass.Count(ClipAction::DurationAdded)) +
           ", \"left_alone\": " + std::to_string(pass.Count(ClipAction::LeftAlone)) +
           ", \"failed\": " + std::to_string(pass.Count(ClipAction::Failed)) +
           ", \"card_removed\": " + (pass.cardRemoved ? "true" : "false") +
           ", \"not_visited\": " + std::to_string(pass.notVisited) + "}";
}

void PrintJson(const PassReport& pass, const std::string* root, bool dryRun, int status) {
    std::string o = "{\n";
    o += "  \"dry_run\": " + std::string(dryRun ? "true" : "false") + ",\n";
    o += "  \"root\": " + (root ? JsonString(*root) : std::string("null")) + ",\n";
    o += "  \"files\": [";
    for (size_t i = 0; i < pass.files.size(); ++i)
        o += (i ? ",\n    " : "\n    ") + FileJson(pass.files[i]);
    o += pass.files.empty() ? "],\n" : "\n  ],\n";
    o += "  \"summary\": " + SummaryJson(pass) + ",\n";
    o += "  \"exit_status\": " + std::to_string(status) + "\n}\n";
    std::fputs(o.c_str(), stdout);
}

// ---- lines and the progress bar ------------------------------------------------

std::string Line(const ClipReport& r, bool dryRun, bool showPath) {
    const std::string who = showPath ? r.path : r.name;
    const std::string to = r.renamed ? r.newPath.substr(r.newPath.rfind('/') + 1) : std::string();
    switch (r.action) {
        case ClipAction::Repaired:
            if (r.renamed)
                return who + ": " +
                       (dryRun ? "would be repaired and renamed to " : "repaired and renamed to ") +
                       to + " (" + r.note + ")";
            return who + ": " +
                   (dryRun ? "would be repaired, name kept (" : "repaired, name kept (") + r.note +
                   ")";
        case ClipAction::DurationAdded:
            return who + ": " +
                   (dryRun ? "duration would be added: renamed to "
                           : "duration added: renamed to ") +
                   to + " (" + r.note + ")";
        case ClipAction::LeftAlone:
            return who + ": left alone: " + r.note +
                   (r.renamed ? (dryRun ? "; would be renamed to " : "; renamed to ") + to : "");
        case ClipAction::Failed:
            return who + ": failed: " + r.Reason();
    }
    return who;
}

class ProgressBar {
  public:
    explicit ProgressBar(bool on) : on_(on) {}
    void File(size_t index, size_t total, const std::string& name) {
        index_ = index;
        total_ = total;
        name_ = name;
        percent_ = 0;
        Draw();
    }
    void Percent(int percent) {
        if (percent == percent_)
            return;
        percent_ = percent;
        Draw();
    }
    void Clear() {
        if (on_ && drawn_)
            std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }
    void Redraw() { Draw(); }

  private:
    void Draw() {
        if (!on_ || total_ == 0)
            return;
        const int width = 30;
        const int filled = static_cast<int>(index_ * width / total_);
        char bar[width + 1];
        for (int i = 0; i < width; ++i)
            bar[i] = i < filled ? '#' : '.';
        bar[width] = 0;
        std::string name = name_.size() > 34 ? "..." + name_.substr(name_.size() - 31) : name_;
        std::fprintf(stderr, "\r\033[K[%s] %zu/%zu %s %3d%%", bar, index_ + 1, total_, name.c_str(),
                     percent_);
        std::fflush(stderr);
        drawn_ = true;
    }

    bool on_;
    bool drawn_ = false;
    size_t index_ = 0;
    size_t total_ = 0;
    std::string name_;
    int percent_ = 0;
};

// What the command line names: one data root, or clip files that exist.
struct Operands {
    std::vector<std::string> paths;
    bool rootMode = false;  // the one path is a data root, `root`
    DataRootPath root;
    bool missing = false;  // some were not there (named on stderr)
};

// The operands, or the exit status to end with at once.
std::optional<int> ReadOperands(const tramlet::tools::CommandLine& line, Operands& out) {
    if (line.Operands().empty())
        return line.UsageError("name a data root or clip files");
    out.rootMode = IsDirectory(line.Operands()[0]);
    for (const std::string& path : line.Operands()) {
        if (line.Operands().size() > 1 && IsDirectory(path))
            return line.UsageError("give one data root, or clip files, not both");
    }
    for (const std::string& path : line.Operands()) {
        if (Exists(path)) {
            out.paths.push_back(path);
        } else {
            out.missing = true;
            line.Error(path + ": no such file or folder");
        }
    }
    if (out.paths.empty())
        return 1;
    if (out.rootMode)
        out.root = DataRootPath(out.paths[0]);
    return std::nullopt;
}

void PrintSummary(const PassReport& pass, const Operands& operands, bool dryRun) {
    if (operands.rootMode && pass.files.empty())
        std::printf("No clips in %svideo\n", operands.root.Text().c_str());
    std::printf("%zu file%s: %zu repaired, %zu duration added, %zu left alone, %zu failed%s\n",
                pass.files.size(), pass.files.size() == 1 ? "" : "s",
                pass.Count(ClipAction::Repaired), pass.Count(ClipAction::DurationAdded),
                pass.Count(ClipAction::LeftAlone), pass.Count(ClipAction::Failed),
                dryRun ? " (dry run: nothing written)" : "");
    if (pass.cardRemoved) {
        std::printf("Stopped: the card was removed; %zu file%s not visited\n", pass.notVisited,
                    pass.notVisited == 1 ? "" : "s");
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool dryRun = false, json = false, quiet = false;
    tramlet::tools::CommandLine line("tramlet-repair", kHelp);
    line.Flag({"--dry-run"}, dryRun).Flag({"--json"}, json).Flag({"-q", "--quiet"}, quiet);
    if (const auto exit = line.Parse(argc, argv))
        return *exit;
    Operands operands;
    if (const auto exit = ReadOperands(line, operands))
        return *exit;
    const bool rootMode = operands.rootMode;

    RepairOptions options;
    options.dryRun = dryRun;
    ProgressBar bar(!quiet && isatty(STDERR_FILENO));
    RepairCallbacks callbacks;
    callbacks.fileStarted = [&](size_t index, size_t total, const std::string& name) {
        bar.File(index, total, name);
    };
    callbacks.filePercent = [&](int percent) { bar.Percent(percent); };
    callbacks.fileDone = [&](const ClipReport& r) {
        if (json || (quiet && r.action != ClipAction::Failed))
            return;
        bar.Clear();
        std::printf("%s\n", Line(r, dryRun, !rootMode).c_str());
        std::fflush(stdout);
        bar.Redraw();
    };
    const PassReport pass = rootMode ? RunRepairPass(operands.root, options, callbacks)
                                     : RepairFiles(operands.paths, options, callbacks);
    bar.Clear();
    const int status = pass.AllFine() && !operands.missing ? 0 : 1;
    if (json)
        PrintJson(pass, rootMode ? &operands.root.Text() : nullptr, dryRun, status);
    else if (!quiet)
        PrintSummary(pass, operands, dryRun);
    return status;
}
