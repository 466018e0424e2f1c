#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/data_root_path.h"
#include "library/card_identity.h"
#include "library/library_index.h"

namespace tramlet::library {

enum class IngestAction {
    kCopied,      // new in the library
    kRepaired,    // left unfinished by the recorder: copied, repaired, kept under its new name
    kSkipped,     // the library already holds these bytes
    kGrown,       // a day's GPS log that grew on the card: the library's copy was updated
    kKeptLonger,  // the library's log of that day is longer: it is never shortened
    kConflict,    // the name was taken by other bytes: kept under conflicts/
    kFailed,
};
const char* ToString(IngestAction action);  // "copied", "repaired", "skipped", ...

struct IngestedFile {
    std::string cardName;  // "video/NAME" or "gps/NAME" as on the card
    IngestAction action = IngestAction::kFailed;
    std::string libraryPath;  // relative to the vehicle's folder; empty when failed
    std::string note;         // why it failed, or what else is worth saying
};

struct IngestProgress {
    std::size_t filesDone = 0;
    std::size_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::string currentFile;
};

struct IngestReport {
    std::string vehicle;
    std::string card;  // the card's identity
    std::vector<IngestedFile> files;
    bool cancelled = false;
    // The ingest could not start or go on (no vehicle name, no card, the
    // index failed); the files before it are in the library.
    std::string error;
    // The error lies in what was asked (no such card, no name): a usage error.
    bool badRequest = false;

    std::size_t Count(IngestAction action) const;
    // Every file of the card is kept, and nothing needs a look.
    bool AllFine() const;
};

struct IngestRequest {
    DataRootPath dataRoot;
    std::string library;
    // Empty: the name remembered for the card, else the card's volume label.
    std::string vehicle;
    // Called on the ingest's thread after each block and file.
    std::function<void(const IngestProgress&)> progress;
    std::function<void(const IngestedFile&)> fileDone;
    // Looked at between blocks: the file at hand is dropped, and a later
    // ingest finishes the job.
    const std::atomic<bool>* cancel = nullptr;
    // Who the card is; found from the mounts when not given.
    std::optional<CardIdentity> card;
};

// Copies a card's clips and GPS logs that the library lacks into
// LIBRARY/VEHICLE, as the card lays them out, and enters each in the index.
// The card is only read. Each file is written under a temporary name in a
// staging folder, flushed, checked by SHA-256 against what was read from the
// card (a clip the recorder left unfinished is then repaired there by the
// repair pass), put in place by a rename that never replaces a file, and
// only then entered in the index. A run that is killed leaves nothing
// half-written in place; the next run removes its staging folder and ends
// where one uninterrupted run would have. Runs any thread.
IngestReport IngestCard(LibraryIndex& index, const IngestRequest& request);

}  // namespace tramlet::library
