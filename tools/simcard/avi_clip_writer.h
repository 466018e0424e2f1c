#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "avi_header.h"

namespace tramlet::simcard {

// Where one frame's chunk lies: the offset of its chunk header and the size
// that header gives.
struct ChunkRecord {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    bool key = false;
};

// Writes one clip the way the recorder does: the header with placeholder
// sizes first, then one 00dc chunk per frame; only a clip that is closed
// properly gets its idx1 index and a header with the true sizes.
class AviClipWriter {
  public:
    // Refuses to replace an existing file.
    AviClipWriter(std::string path, std::uint32_t width, std::uint32_t height,
                  std::uint32_t rateMilli);
    // A clip neither finished nor left unclosed was not written whole, and
    // is removed.
    ~AviClipWriter();
    AviClipWriter(const AviClipWriter&) = delete;
    AviClipWriter& operator=(const AviClipWriter&) = delete;

    void WriteFrame(const std::vector<std::uint8_t>& frame, bool key);
    // What a power cut leaves: a chunk header announcing the whole frame and
    // only the first `kept` bytes of it. Returns the chunk's offset.
    std::uint32_t WriteTornFrame(const std::vector<std::uint8_t>& frame, std::uint32_t kept);
    // A chunk of zeros under another id. Returns its offset.
    std::uint32_t WriteForeignChunk(const std::string& fourcc, std::uint32_t size);

    void Finish();
    void LeaveUnclosed();

    const std::vector<ChunkRecord>& Frames() const { return frames_; }

  private:
    void WriteChunk(const char* id, const std::uint8_t* data, std::uint32_t size,
                    std::uint32_t announced);
    void Write(const void* data, size_t size);
    void WriteU32(std::uint32_t value);
    void Close();
    [[noreturn]] void Fail(const char* what) const;

    std::string path_;
    std::FILE* file_ = nullptr;
    std::uint64_t position_ = 0;
    AviHeaderFields header_;
    std::vector<ChunkRecord> frames_;
};

}  // namespace tramlet::simcard
