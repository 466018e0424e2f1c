#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "export/av_ptr.h"
#include "export/export_request.h"

namespace tramlet::exporter {

// An MP4 file written under a temporary name beside its destination and put
// in place only once complete: until Finish succeeds, and whatever happens,
// the destination is untouched and the temporary file is removed.
class Mp4Output {
  public:
    Mp4Output() = default;
    Mp4Output(const Mp4Output&) = delete;
    Mp4Output& operator=(const Mp4Output&) = delete;
    ~Mp4Output();

    // A set `cancel` also stops the writing FFmpeg does on its own, such as
    // the pass that moves the index to the front when finishing.
    std::optional<ExportFailure> Open(const std::filesystem::path& destination, bool overwrite,
                                      const std::atomic<bool>* cancel);
    AVStream* AddStream(const AVCodecParameters* parameters, AVRational timeBase);
    void SetMetadata(const char* key, const std::string& value);
    std::optional<ExportFailure> WriteHeader();
    // After the header: MP4 chapters added then are written with the index.
    void AddChapter(const std::string& title, std::int64_t start, std::int64_t end,
                    AVRational timeBase);
    // Takes the packet's data; its timestamps are in `from` and rescaled here.
    std::optional<ExportFailure> Write(AVPacket* packet, AVRational from);
    std::optional<ExportFailure> Finish();

  private:
    ExportFailure WriteFailure(int code, const char* what) const;
    void Discard();
    static int Interrupted(void* self);

    AVFormatContext* context_ = nullptr;
    std::filesystem::path destination_;
    std::unique_ptr<AtomicFile> file_;  // the temporary the context writes
    bool overwrite_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
};

// The kind of failure an error code from writing a file stands for.
ExportError WriteErrorKind(int code);

}  // namespace tramlet::exporter
