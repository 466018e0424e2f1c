// tramlet-library: every card kept by vehicle in one library folder,
// checked, and found by time and place.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "library/library_layout.h"

namespace {

using namespace tramlet::library;
using namespace tramlet::library::tool;

const char kHelp[] =
    R"(usage: tramlet-library ingest [--vehicle NAME] [--database URL] [--json] [-q] DATA_ROOT LIBRARY
       tramlet-library verify [--database URL] [--json] [-q] LIBRARY
       tramlet-library find [--database URL] [--json] [--vehicle NAME]
                            [--from TIME] [--to TIME] [--near LAT,LON --radius METRES] LIBRARY

A library is a folder with one folder per vehicle, LIBRARY/VEHICLE/video and
LIBRARY/VEHICLE/gps, laid out and named as on the recorder's card, so that
LIBRARY/VEHICLE opens as a data root in Tramlet, tramlet-cardinfo and
tramlet-export. Its index is LIBRARY/library.db (SQLite), or a PostgreSQL
database with PostGIS given by --database postgresql://USER@HOST/DB, which
many workstations can ingest into at once (the files then live in a shared
folder).

ingest   copies the card's clips and GPS logs that the library lacks. Each
         file is written under a temporary name, flushed, checked by SHA-256
         against what was read from the card, renamed, and only then entered
         in the index. The card is only read: a clip the recorder left
         unfinished is repaired in the library and kept under its repaired
         name. A file already there (same name, size and hash) is skipped; a
         name that holds other bytes in the library (a recorder whose clock
         was reset) is never overwritten: the card's file is kept under
         VEHICLE/conflicts/HASH/ and reported. A day's GPS log that grew on
         the card is updated; a log is never shortened. A killed run leaves
         no half-written file, and the next run finishes the job.
         The vehicle is --vehicle, else the name the library remembers for
         the card (known by its file system UUID), else the volume label.
verify   hashes every file the index names and reports each one that is
         missing or changed.
find     lists the recordings of the vehicles (or of --vehicle) within
         --from/--to as tramlet-cardinfo lists a card; with --near and
         --radius, every pass of a vehicle within METRES of the place: a
         stretch of consecutive seconds inside the circle, with its first and
         last second, the closest distance and the recording that covers it.
         TIME is YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS] or YYYYMMDD-HHMMSS, on the
         recorder's clock; a date alone in --to means its end.

options:
  --json     one JSON report on stdout instead of lines
  -q         quiet: no progress line, and only what needs a look is printed
  --help     this text

A progress line goes to stderr when it is a terminal. Ctrl-C stops an ingest
or verify between blocks; a later ingest finishes the job.

exit status: 0 all is well; 1 something needs a look (a file failed or was
             kept as a conflict, verify found a missing or changed file, the
             run was stopped, the index failed); 2 usage error.
)";

}  // namespace

int main(int argc, char** argv) {
    try {
        const ToolOptions options =
            ParseToolOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (options.command == "ingest")
            return RunIngest(options);
        if (options.command == "verify")
            return RunVerify(options);
        return RunFind(options);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tramlet-library: %s\nTry 'tramlet-library --help'.\n", error.what());
        return 2;
    } catch (const IndexError& error) {
        std::fprintf(stderr, "tramlet-library: %s\n", error.what());
        return 1;
    }
}

namespace tramlet::library::tool {

std::unique_ptr<LibraryIndex> OpenExistingIndex(const ToolOptions& options) {
    std::error_code error;
    if (!std::filesystem::is_directory(options.library, error))
        throw UsageError("no library at " + options.library);
    if (options.database.empty() && !std::filesystem::exists(DatabasePath(options.library), error))
        throw UsageError("no library index at " + DatabasePath(options.library));
    return OpenLibraryIndex(options.library, options.database, false);
}

void PrintJson(const nlohmann::ordered_json& json) {
    const std::string text = json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

}  // namespace tramlet::library::tool
