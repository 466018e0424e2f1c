#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "avifix/avi_layout.h"
#include "avifix/clip_io.h"

// Builders for hand-made H.264 units and AVI byte streams, and in-memory file
// systems (plain, and one that loses power after a number of bytes written).
namespace tramlet::avifix::test {

using Bytes = std::vector<uint8_t>;

class BitWriter {
  public:
    void U(uint64_t value, int bits);
    void Bit(bool b) { U(b ? 1 : 0, 1); }
    void Ue(uint64_t value);
    void Se(int64_t value);
    void Trailing();  // rbsp_stop_one_bit and alignment zeros
    Bytes Take();     // the bytes, the last one padded with zeros

  private:
    Bytes bytes_;
    int used_ = 8;  // bits used in the last byte
};

// Emulation prevention: 00 00 followed by 00..03 gets an 03 in between.
Bytes Escape(const Bytes& rbsp);
// Header byte (nal_ref_idc 3 unless given) and escaped payload.
Bytes Nal(int type, const Bytes& rbsp, int refIdc = 3);

struct SpsParams {
    int profile = 66;
    int log2MaxFrameNum = 4;  // log2_max_frame_num_minus4 + 4
    int pocType = 0;
    int log2MaxPocLsb = 6;
    std::vector<int> pocCycle;  // offset_for_ref_frame values (poc type 1)
    int widthMbsMinus1 = 19;
    int heightMapUnitsMinus1 = 14;
    bool frameMbsOnly = true;
    bool scalingMatrix = false;  // high profiles: write all eight lists present
};
Bytes SpsRbsp(const SpsParams& p);

struct SliceParams {
    int nalType = 1;
    int sliceType = 0;  // 0 P, 1 B, 2 I (or +5)
    int frameNum = 0;
    int idrPicId = 0;
    int pocLsb = 0;
    int firstMb = 0;
    size_t bodyBytes = 40;  // pseudo-random slice data behind the header
    uint32_t seed = 1;
};
Bytes SliceRbsp(const SliceParams& s, const SpsParams& sps);

// NAL units behind start codes: 00 00 01, or 00 00 00 01 when fourByte.
Bytes AnnexB(const std::vector<Bytes>& units, bool fourByte = false);

// The recorder's 224-byte header of an unclosed clip: the repair's layout
// with the RIFF and movi sizes 0xFFFFFFFF and the given dwRate.
Header RecorderHeader(uint32_t dwRate = 30000);
// A finished clip's header as the recorder writes it.
Header FinishedHeader(uint32_t totalFrames, uint32_t dwRate);

class AviWriter {
  public:
    explicit AviWriter(const Header& header) : bytes_(header.begin(), header.end()) {}
    // Appends a chunk with its pad byte; returns the chunk header's offset.
    uint64_t Chunk(const char (&id)[5], const Bytes& data, bool pad = true);
    void Raw(const Bytes& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    const Bytes& Data() const { return bytes_; }

  private:
    Bytes bytes_;
};

// A simple stream: SPS + PPS + IDR for key frames (every keyInterval), one P
// slice otherwise; one access unit per returned element.
std::vector<Bytes> SimpleStream(int frames, int keyInterval = 10, bool fourByte = false,
                                uint32_t seed = 7, const SpsParams& sps = {});

// ---- in-memory files --------------------------------------------------------

struct MemoryFileData {
    Bytes bytes;
    uint64_t virtualSize = 0;  // when larger than bytes: the rest reads as zeros
    uint64_t maxReadEnd = 0;   // furthest byte any read asked for
    bool badWrite = false;     // a write began past the end of the file
};

class MemoryFile final : public ClipFile {
  public:
    explicit MemoryFile(std::shared_ptr<MemoryFileData> data) : data_(std::move(data)) {}
    bool Size(uint64_t& size) override;
    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override;
    bool WriteAt(uint64_t offset, const void* data, size_t n) override;
    bool WriteSectorAt(uint64_t offset, const void* data, size_t n) override;
    bool Sync() override { return true; }
    std::string LastError() const override { return error_; }

  private:
    std::shared_ptr<MemoryFileData> data_;
    std::string error_;
};

// Case-blind, it resolves names as FAT and exFAT do: every spelling of a name
// reaches the one file, which keeps the spelling it was made with.
class MemoryFileSystem final : public ClipFileSystem {
  public:
    explicit MemoryFileSystem(bool caseBlind = false) : caseBlind_(caseBlind) {}
    void Put(const std::string& path, const Bytes& bytes);
    void Remove(const std::string& path) { files_.erase(path); }
    // The card is pulled: its folders can no longer be reached.
    void Pull() { pulled_ = true; }
    std::shared_ptr<MemoryFileData> Get(const std::string& path) const;
    std::map<std::string, Bytes> Snapshot() const;
    MemoryFileSystem Clone() const;

    std::vector<std::string> FindFiles(const std::string& pathPattern) override;
    std::unique_ptr<ClipFile> OpenForUpdate(const std::string& path, std::string* error) override;
    bool Exists(const std::string& path) override { return Find(path) != files_.end(); }
    std::optional<uint64_t> SizeOf(const std::string& path) override;
    RenameStatus RenameNoReplace(const std::string& from, const std::string& to,
                                 std::string* error) override;
    void SyncDirectory(const std::string&) override {}
    std::optional<FolderId> IdentifyFolder(const std::string&) override;

  private:
    using Files = std::map<std::string, std::shared_ptr<MemoryFileData>>;
    Files::const_iterator Find(const std::string& path) const;

    Files files_;
    bool caseBlind_ = false;
    bool pulled_ = false;
};

// Loses power after `budget` units: each byte written is one unit, a sector
// write or a rename one more. The write that runs out of units leaves a
// prefix of its bytes (a sector write: none); everything after fails.
class PowerCutFileSystem final : public ClipFileSystem {
  public:
    PowerCutFileSystem(MemoryFileSystem& inner, uint64_t budget) : inner_(inner), budget_(budget) {}
    uint64_t Used() const { return used_; }
    bool Cut() const { return dead_; }

    std::vector<std::string> FindFiles(const std::string& p) override {
        return inner_.FindFiles(p);
    }
    std::unique_ptr<ClipFile> OpenForUpdate(const std::string& path, std::string* error) override;
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::optional<uint64_t> SizeOf(const std::string& path) override { return inner_.SizeOf(path); }
    RenameStatus RenameNoReplace(const std::string& from, const std::string& to,
                                 std::string* error) override;
    void SyncDirectory(const std::string&) override {}
    std::optional<FolderId> IdentifyFolder(const std::string& folder) override {
        return inner_.IdentifyFolder(folder);
    }

    // Takes n units; returns how many were granted.
    uint64_t Take(uint64_t n);
    bool Dead() const { return dead_; }

  private:
    MemoryFileSystem& inner_;
    uint64_t budget_;
    uint64_t used_ = 0;
    bool dead_ = false;
};

}  // namespace tramlet::avifix::test
