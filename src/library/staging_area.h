#pragma once

#include <string>

namespace tramlet::library {

// A folder of one ingest's own inside a vehicle's folder, on the same file
// system as its video/ and gps/: each file is written there under its card
// name, flushed, checked and (a clip the recorder left unfinished) repaired,
// before one rename puts it in place. The folder's name says which process
// on which machine owns it, so that a later run, on this machine or another
// one sharing the folder, removes it only once its owner is gone.
class StagingArea {
  public:
    explicit StagingArea(std::string vehicleRoot);
    // Removes the folder with whatever is left in it.
    ~StagingArea();
    StagingArea(const StagingArea&) = delete;
    StagingArea& operator=(const StagingArea&) = delete;

    // Empty when the folder was made; else why not.
    const std::string& Error() const { return error_; }
    const std::string& Folder() const { return folder_; }  // ends in '/'

    // Removes the staging folders left by ingests that are gone: on this
    // machine, once their process has ended; from other machines, once
    // untouched for a day. Looks into every vehicle folder of the library.
    // Returns how many were removed.
    static int RemoveAbandoned(const std::string& library);

  private:
    std::string folder_;
    std::string error_;
};

}  // namespace tramlet::library
