#include "avifix_support.h"

#include <algorithm>
#include <cstring>

#include "catalogue/wildcard.h"

namespace tramlet::avifix::test {

void BitWriter::U(uint64_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        if (used_ == 8) {
            bytes_.push_back(0);
            used_ = 0;
        }
        if ((value >> i) & 1)
            bytes_.back() |= static_cast<uint8_t>(0x80 >> used_);
        ++used_;
    }
}

void BitWriter::Ue(uint64_t value) {
    const uint64_t code = value + 1;
    int bits = 0;
    while ((code >> bits) > 1)
        ++bits;
    U(0, bits);
    U(code, bits + 1);
}

void BitWriter::Se(int64_t value) {
    Ue(value > 0 ? static_cast<uint64_t>(2 * value - 1) : static_cast<uint64_t>(-2 * value));
}

void BitWriter::Trailing() {
    Bit(true);
    while (used_ != 8)
        Bit(false);
}

Bytes BitWriter::Take() {
    Bytes out;
    out.swap(bytes_);
    used_ = 8;
    return out;
}

Bytes Escape(const Bytes& rbsp) {
    Bytes out;
    int zeros = 0;
    for (uint8_t b : rbsp) {
        if (zeros >= 2 && b <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        out.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
}

Bytes Nal(int type, const Bytes& rbsp, int refIdc) {
    Bytes out{static_cast<uint8_t>((refIdc & 3) << 5 | (type & 0x1F))};
    const Bytes escaped = Escape(rbsp);
    out.insert(out.end(), escaped.begin(), escaped.end());
    return out;
}

Bytes SpsRbsp(const SpsParams& p) {
    BitWriter w;
    w.U(static_cast<uint64_t>(p.profile), 8);
    w.U(0, 8);   // constraint flags
    w.U(40, 8);  // level_idc
    w.Ue(0);     // seq_parameter_set_id
    if (p.profile >= 100) {
        w.Ue(1);
        w.Ue(0);
        w.Ue(0);
        w.Bit(false);
        w.Bit(p.scalingMatrix);
        if (p.scalingMatrix) {
            for (int i = 0; i < 8; ++i) {
                w.Bit(true);
                const int size = i < 6 ? 16 : 64;
                if (i % 2 == 0) {
                    w.Se(-8);  // last becomes 0: the list stops at once
                } else {
                    for (int k = 0; k < size; ++k)
                        w.Se(k % 3 == 0 ? 3 : -1);
                }
            }
        }
    }
    w.Ue(static_cast<uint64_t>(p.log2MaxFrameNum - 4));
    w.Ue(static_cast<uint64_t>(p.pocType));
    if (p.pocType == 0)
        w.Ue(static_cast<uint64_t>(p.log2MaxPocLsb - 4));
    if (p.pocType == 1) {
        w.Bit(false);
        w.Se(-2);
        w.Se(1);
        w.Ue(p.pocCycle.size());
        for (int v : p.pocCycle)
            w.Se(v);
    }
    w.Ue(1);  // max_num_ref_frames
    w.Bit(false);
    w.Ue(static_cast<uint64_t>(p.widthMbsMinus1));
    w.Ue(static_cast<uint64_t>(p.heightMapUnitsMinus1));
    w.Bit(p.frameMbsOnly);
    if (!p.frameMbsOnly)
        w.Bit(false);
    w.Bit(true);   // direct_8x8_inference_flag
    w.Bit(false);  // frame_cropping_flag
    w.Bit(false);  // vui_parameters_present_flag
    w.Trailing();
    return w.Take();
}

Bytes SliceRbsp(const SliceParams& s, const SpsParams& sps) {
    BitWriter w;
    w.Ue(static_cast<uint64_t>(s.firstMb));
    w.Ue(static_cast<uint64_t>(s.sliceType));
    w.Ue(0);
    w.U(static_cast<uint64_t>(s.frameNum), sps.log2MaxFrameNum);
    if (s.nalType == 5)
        w.Ue(static_cast<uint64_t>(s.idrPicId));
    if (sps.pocType == 0)
        w.U(static_cast<uint64_t>(s.pocLsb), sps.log2MaxPocLsb);
    uint32_t x = s.seed * 2654435761u + 12345u;
    for (size_t i = 0; i < s.bodyBytes; ++i) {
        x = x * 1664525u + 1013904223u;
        const uint8_t b = static_cast<uint8_t>(x >> 24);
        w.U(b < 24 ? 0 : b, 8);  // plenty of zeros, so escapes and near start codes occur
    }
    w.Trailing();
    return w.Take();
}

Bytes AnnexB(const std::vector<Bytes>& units, bool fourByte) {
    Bytes out;
    for (const Bytes& u : units) {
        if (fourByte)
            out.push_back(0);
        out.insert(out.end(), {0, 0, 1});
        out.insert(out.end(), u.begin(), u.end());
    }
    return out;
}

Header RecorderHeader(uint32_t dwRate) {
    HeaderValues v;
    v.frameRate = 30.0f;
    Header h = BuildHeader(v);
    StoreLe32(h.data() + kRateOffset, dwRate);
    StoreLe32(h.data() + kTotalFramesOffset, 0);
    return h;
}

Header FinishedHeader(uint32_t totalFrames, uint32_t dwRate) {
    HeaderValues v;
    v.frameCount = totalFrames;
    v.indexPosition = 1000;
    v.fileEnd = 2000;
    Header h = BuildHeader(v);
    StoreLe32(h.data() + kRateOffset, dwRate);
    return h;
}

uint64_t AviWriter::Chunk(const char (&id)[5], const Bytes& data, bool pad) {
    const uint64_t at = bytes_.size();
    bytes_.insert(bytes_.end(), id, id + 4);
    uint8_t size[4];
    StoreLe32(size, static_cast<uint32_t>(data.size()));
    bytes_.insert(bytes_.end(), size, size + 4);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    if (pad && (data.size() & 1))
        bytes_.push_back(0);
    return at;
}

std::vector<Bytes> SimpleStream(int frames, int keyInterval, bool fourByte, uint32_t seed,
                                const SpsParams& sps) {
    std::vector<Bytes> out;
    const Bytes spsNal = Nal(7, SpsRbsp(sps));
    const Bytes ppsNal = Nal(8, {0xCE, 0x38, 0x80});
    for (int f = 0; f < frames; ++f) {
        const int inGop = f % keyInterval;
        SliceParams s;
        s.seed = seed * 7919u + static_cast<uint32_t>(f);
        s.bodyBytes = 20 + (s.seed * 37u) % 181u;
        s.frameNum = inGop % (1 << sps.log2MaxFrameNum);
        s.pocLsb = (2 * inGop) % (1 << sps.log2MaxPocLsb);
        std::vector<Bytes> units;
        if (inGop == 0) {
            s.nalType = 5;
            s.sliceType = 7;
            s.idrPicId = (f / keyInterval) & 1;
            units = {spsNal, ppsNal, Nal(5, SliceRbsp(s, sps))};
        } else {
            s.nalType = 1;
            s.sliceType = 5;
            units = {Nal(1, SliceRbsp(s, sps), 2)};
        }
        out.push_back(AnnexB(units, fourByte));
    }
    return out;
}

// ---- in-memory files --------------------------------------------------------

bool MemoryFile::Size(uint64_t& size) {
    size = std::max<uint64_t>(data_->bytes.size(), data_->virtualSize);
    return true;
}

int64_t MemoryFile::ReadAt(uint64_t offset, void* buffer, size_t n) {
    data_->maxReadEnd = std::max(data_->maxReadEnd, offset + n);
    uint64_t size = 0;
    Size(size);
    if (offset >= size)
        return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, size - offset));
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = offset + i;
        out[i] = at < data_->bytes.size() ? data_->bytes[at] : 0;
    }
    return static_cast<int64_t>(count);
}

bool MemoryFile::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (offset > data_->bytes.size()) {
        data_->badWrite = true;
        error_ = "write past the end";
        return false;
    }
    if (offset + n > data_->bytes.size())
        data_->bytes.resize(offset + n);
    std::memcpy(data_->bytes.data() + offset, data, n);
    return true;
}

bool MemoryFile::WriteSectorAt(uint64_t offset, const void* data, size_t n) {
    if (n == 0 || offset / 512 != (offset + n - 1) / 512) {
        error_ = "not inside one sector";
        return false;
    }
    return WriteAt(offset, data, n);
}

void MemoryFileSystem::Put(const std::string& path, const Bytes& bytes) {
    auto data = std::make_shared<MemoryFileData>();
    data->bytes = bytes;
    files_[path] = data;
}

MemoryFileSystem::Files::const_iterator MemoryFileSystem::Find(const std::string& path) const {
    if (pulled_)
        return files_.end();
    if (!caseBlind_)
        return files_.find(path);
    return std::find_if(files_.begin(), files_.end(), [&path](const auto& file) {
        return SameNameIgnoringCase(file.first, path);
    });
}

std::shared_ptr<MemoryFileData> MemoryFileSystem::Get(const std::string& path) const {
    const auto it = Find(path);
    return it == files_.end() ? nullptr : it->second;
}

std::optional<uint64_t> MemoryFileSystem::SizeOf(const std::string& path) {
    const auto data = Get(path);
    if (!data)
        return std::nullopt;
    return std::max<uint64_t>(data->bytes.size(), data->virtualSize);
}

std::optional<FolderId> MemoryFileSystem::IdentifyFolder(const std::string&) {
    return pulled_ ? std::nullopt : std::optional(FolderId{1, 1});
}

std::map<std::string, Bytes> MemoryFileSystem::Snapshot() const {
    std::map<std::string, Bytes> out;
    for (const auto& [path, data] : files_)
        out[path] = data->bytes;
    return out;
}

MemoryFileSystem MemoryFileSystem::Clone() const {
    MemoryFileSystem copy(caseBlind_);
    for (const auto& [path, data] : files_)
        copy.files_[path] = std::make_shared<MemoryFileData>(*data);
    return copy;
}

std::vector<std::string> MemoryFileSystem::FindFiles(const std::string& pathPattern) {
    const size_t slash = pathPattern.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : pathPattern.substr(0, slash + 1);
    const std::string pattern = pathPattern.substr(folder.size());
    std::vector<std::string> names;
    if (pulled_)
        return names;
    for (const auto& [path, data] : files_) {
        if (path.compare(0, folder.size(), folder) != 0)
            continue;
        const std::string name = path.substr(folder.size());
        if (name.find('/') == std::string::npos && MatchesWildcard(pattern, name))
            names.push_back(name);
    }
    return names;
}

std::unique_ptr<ClipFile> MemoryFileSystem::OpenForUpdate(const std::string& path,
                                                          std::string* error) {
    const auto data = Get(path);
    if (!data) {
        if (error)
            *error = "No such file or directory";
        return nullptr;
    }
    return std::make_unique<MemoryFile>(data);
}

RenameStatus MemoryFileSystem::RenameNoReplace(const std::string& from, const std::string& to,
                                               std::string* error) {
    const auto source = Find(from);
    if (source == files_.end()) {
        if (error)
            *error = "No such file or directory";
        return RenameStatus::Failed;
    }
    // Case-blind, a new spelling of the same name finds the file itself.
    if (Exists(to))
        return RenameStatus::TargetExists;
    const std::shared_ptr<MemoryFileData> data = source->second;
    files_.erase(source);
    files_[to] = data;
    return RenameStatus::Done;
}

// ---- power cut --------------------------------------------------------------

namespace {

class PowerCutFile final : public ClipFile {
  public:
    PowerCutFile(std::unique_ptr<ClipFile> inner, PowerCutFileSystem& power)
        : inner_(std::move(inner)), power_(power) {}
    bool Size(uint64_t& size) override { return inner_->Size(size); }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
        return inner_->ReadAt(offset, buffer, n);
    }
    bool WriteAt(uint64_t offset, const void* data, size_t n) override {
        const uint64_t granted = power_.Take(n);
        if (granted > 0 && !inner_->WriteAt(offset, data, static_cast<size_t>(granted)))
            return false;
        return granted == n;
    }
    bool WriteSectorAt(uint64_t offset, const void* data, size_t n) override {
        if (power_.Take(1) != 1)
            return false;
        return inner_->WriteSectorAt(offset, data, n);
    }
    bool Sync() override { return !power_.Dead(); }
    std::string LastError() const override {
        return power_.Dead() ? "power cut" : inner_->LastError();
    }

  private:
    std::unique_ptr<ClipFile> inner_;
    PowerCutFileSystem& power_;
};

}  // namespace

uint64_t PowerCutFileSystem::Take(uint64_t n) {
    if (dead_)
        return 0;
    const uint64_t granted = std::min(n, budget_);
    budget_ -= granted;
    used_ += granted;
    if (granted < n)
        dead_ = true;
    return granted;
}

std::unique_ptr<ClipFile> PowerCutFileSystem::OpenForUpdate(const std::string& path,
                                                            std::string* error) {
    auto inner = inner_.OpenForUpdate(path, error);
    if (!inner)
        return nullptr;
    return std::make_unique<PowerCutFile>(std::move(inner), *this);
}

RenameStatus PowerCutFileSystem::RenameNoReplace(const std::string& from, const std::string& to,
                                                 std::string* error) {
    if (Take(1) != 1) {
        if (error)
            *error = "power cut";
        return RenameStatus::Failed;
    }
    return inner_.RenameNoReplace(from, to, error);
}

}  // namespace tramlet::avifix::test
