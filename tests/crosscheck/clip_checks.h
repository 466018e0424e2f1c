#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tramlet::test {

inline constexpr std::uint32_t kAviHeaderSize = 224;

struct Chunk {
    std::uint32_t offset = 0;  // of the chunk header
    std::uint32_t size = 0;
    bool key = false;
};

// One clip of a tramlet-simcard manifest: what its chunks really hold.
struct ClipManifest {
    std::string name;
    int rateMilli = 0;
    bool unclosed = false;
    std::vector<Chunk> frames;
    std::string tailId;  // id of a torn or foreign last chunk; empty for none
};

std::vector<ClipManifest> ReadManifest(const std::filesystem::path& path);
std::string ReadFile(const std::filesystem::path& path);
std::uint32_t U32(const std::string& bytes, size_t at);

bool FfmpegInstalled();

// The 224-byte header and the idx1 index of a closed clip against what the
// simulator wrote: one entry per frame chunk, at the chunk, of its size,
// flagged as a key frame exactly when the encoder made one.
void ExpectIndexMatches(const std::string& clip, const ClipManifest& manifest);

// FFmpeg's reading of a closed clip: one packet per frame chunk with its
// size and key flag, the picture size, and a decode without a single error.
void ExpectFfmpegReadsAsWritten(const std::string& path, const ClipManifest& manifest, int width,
                                int height);

}  // namespace tramlet::test
