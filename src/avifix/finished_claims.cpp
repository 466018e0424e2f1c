#include "avifix/finished_claims.h"

namespace tramlet::avifix {
namespace {

constexpr uint32_t kMoviSizeOffset = 216;

std::string Claim(const char* what, uint64_t claimed, uint64_t fileSize) {
    return std::string(what) + " claims " + std::to_string(claimed) + " bytes, the file holds " +
           std::to_string(fileSize);
}

// Where the movi list ends: where the index begins.
uint64_t MoviEnd(const Header& header) {
    return kMoviTypeOffset + uint64_t{LoadLe32(header.data() + kMoviSizeOffset)};
}

}  // namespace

std::string HeaderClaimBeyondFile(const Header& header, uint64_t fileSize) {
    const uint64_t riffEnd = uint64_t{LoadLe32(header.data() + kRiffSizeOffset)} + 8;
    if (riffEnd > fileSize)
        return Claim("its header", riffEnd, fileSize);
    if (MoviEnd(header) > fileSize)
        return Claim("its movi list", MoviEnd(header), fileSize);
    return {};
}

std::string IndexClaimBeyondFile(ClipFile& file, const Header& header, uint64_t fileSize) {
    const uint64_t at = MoviEnd(header);
    uint8_t chunk[8];
    if (fileSize < 8 || at > fileSize - 8 || file.ReadAt(at, chunk, 8) != 8 ||
        !HasFourCc(chunk, "idx1")) {
        return {};
    }
    const uint64_t indexEnd = at + 8 + LoadLe32(chunk + 4);
    if (indexEnd > fileSize)
        return Claim("its index", indexEnd, fileSize);
    const uint64_t entries = LoadLe32(chunk + 4) / kIndexEntrySize;
    const uint32_t frames = LoadLe32(header.data() + kTotalFramesOffset);
    if (frames > entries) {
        return "its header counts " + std::to_string(frames) + " frames, its index holds " +
               std::to_string(entries);
    }
    return {};
}

}  // namespace tramlet::avifix
