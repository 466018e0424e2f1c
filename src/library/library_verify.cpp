#include "library/library_verify.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "library/durable_copy.h"
#include "library/library_layout.h"

namespace tramlet::library {

const char* ToString(VerifyProblem problem) {
    return problem == VerifyProblem::kMissing ? "missing" : "changed";
}

VerifyReport VerifyLibrary(LibraryIndex& index, const std::string& library,
                           const std::function<void(const VerifyProgress&)>& progress,
                           const std::atomic<bool>* cancel) {
    const std::vector<StoredFile> files = index.Files();
    VerifyProgress state;
    state.filesTotal = files.size();
    for (const StoredFile& file : files)
        state.bytesTotal += file.size;
    const auto report = [&] {
        if (progress)
            progress(state);
    };
    VerifyReport result;
    for (const StoredFile& file : files) {
        if (cancel && cancel->load()) {
            result.cancelled = true;
            break;
        }
        const std::string path = VehicleRoot(library, file.vehicle) + file.path;
        state.currentFile = file.vehicle + "/" + file.path;
        report();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            result.findings.push_back({file, VerifyProblem::kMissing, std::strerror(errno)});
        } else if (static_cast<std::uint64_t>(st.st_size) != file.size) {
            result.findings.push_back({file, VerifyProblem::kChanged,
                                       std::to_string(st.st_size) + " bytes, the index says " +
                                           std::to_string(file.size)});
        } else {
            const std::uint64_t before = state.bytesDone;
            const auto hash = HashFile(
                path,
                [&](std::uint64_t n) {
                    state.bytesDone += n;
                    report();
                },
                cancel);
            state.bytesDone = before;
            if (!hash && hash.error().kind == HashProblem::kCancelled) {
                result.cancelled = true;
                break;
            }
            if (!hash || *hash != file.sha256) {
                result.findings.push_back({file, VerifyProblem::kChanged,
                                           hash ? "other bytes than ingested" : hash.error().text});
            }
        }
        ++result.checked;
        ++state.filesDone;
        state.bytesDone += file.size;
    }
    report();
    return result;
}

}  // namespace tramlet::library
