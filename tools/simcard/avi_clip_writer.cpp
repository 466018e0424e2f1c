#include "avi_clip_writer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tramlet::simcard {
namespace {

constexpr std::uint32_t kKeyFrameFlag = 0x10;
constexpr std::uint32_t kIndexEntrySize = 16;
constexpr std::uint64_t kLargestOffset = 0xFFFFFFFF;

}  // namespace

AviClipWriter::AviClipWriter(std::string path, std::uint32_t width, std::uint32_t height,
                             std::uint32_t rateMilli)
    : path_(std::move(path)) {
    header_.width = width;
    header_.height = height;
    header_.rateMilli = rateMilli;
    file_ = std::fopen(path_.c_str(), "wbx");
    if (!file_ && errno == EEXIST)
        throw std::runtime_error(path_ + " exists already; clips are never overwritten");
    if (!file_)
        Fail("cannot create");
    const auto header = BuildAviHeader(header_);
    Write(header.data(), header.size());
}

AviClipWriter::~AviClipWriter() {
    if (file_) {
        std::fclose(file_);
        std::remove(path_.c_str());
    }
}

void AviClipWriter::WriteFrame(const std::vector<std::uint8_t>& frame, bool key) {
    const auto size = static_cast<std::uint32_t>(frame.size());
    frames_.push_back({static_cast<std::uint32_t>(position_), size, key});
    WriteChunk("00dc", frame.data(), size, size);
}

std::uint32_t AviClipWriter::WriteTornFrame(const std::vector<std::uint8_t>& frame,
                                            std::uint32_t kept) {
    const auto offset = static_cast<std::uint32_t>(position_);
    WriteChunk("00dc", frame.data(), kept, static_cast<std::uint32_t>(frame.size()));
    return offset;
}

std::uint32_t AviClipWriter::WriteForeignChunk(const std::string& fourcc, std::uint32_t size) {
    const auto offset = static_cast<std::uint32_t>(position_);
    const std::vector<std::uint8_t> filler(size, 0);
    WriteChunk(fourcc.c_str(), filler.data(), size, size);
    return offset;
}

void AviClipWriter::Finish() {
    const auto indexPosition = static_cast<std::uint32_t>(position_);
    const auto count = static_cast<std::uint32_t>(frames_.size());
    Write("idx1", 4);
    WriteU32(count * kIndexEntrySize);
    for (const ChunkRecord& f : frames_) {
        Write("00dc", 4);
        WriteU32(f.key ? kKeyFrameFlag : 0);
        WriteU32(f.offset);
        WriteU32(f.size);
    }
    header_.riffSize = static_cast<std::uint32_t>(position_ - 8);
    header_.moviSize = indexPosition - kAviHeaderSize + 4;
    header_.totalFrames = count;
    const auto header = BuildAviHeader(header_);
    if (std::fseek(file_, 0, SEEK_SET) != 0)
        Fail("cannot seek in");
    Write(header.data(), header.size());
    Close();
}

void AviClipWriter::LeaveUnclosed() {
    Close();
}

// Chunks are padded to an even length, and the pad byte belongs to no frame.
void AviClipWriter::WriteChunk(const char* id, const std::uint8_t* data, std::uint32_t size,
                               std::uint32_t announced) {
    const std::uint64_t end =
        position_ + 8 + announced + (announced & 1) + kIndexEntrySize * (frames_.size() + 1) + 8;
    if (end > kLargestOffset)
        throw std::runtime_error(path_ + ": the clip would pass the 4 GiB that AVI offsets reach");
    Write(id, 4);
    WriteU32(announced);
    Write(data, size);
    if (size == announced && (size & 1)) {
        const std::uint8_t pad = 0;
        Write(&pad, 1);
    }
}

void AviClipWriter::Write(const void* data, size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, file_) != size)
        Fail("cannot write");
    position_ += size;
}

void AviClipWriter::WriteU32(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Write(bytes, 4);
}

void AviClipWriter::Close() {
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok)
        Fail("cannot write");
}

void AviClipWriter::Fail(const char* what) const {
    throw std::runtime_error(std::string(what) + " " + path_ + ": " + std::strerror(errno));
}

}  // namespace tramlet::simcard
