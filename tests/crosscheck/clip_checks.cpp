#include "clip_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/run_command.h"

namespace tramlet::test {
namespace {

constexpr std::uint32_t kKeyFrameFlag = 0x10;
constexpr std::uint32_t kIndexEntrySize = 16;

struct Packet {
    std::uint32_t size = 0;
    std::uint32_t pos = 0;
    bool key = false;
};

std::vector<Packet> ProbePackets(const std::string& path) {
    const auto run =
        RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                    "packet=size,pos,flags", "-of", "compact=p=0", path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<Packet> packets;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        Packet p;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '|');) {
            const std::string value = field.substr(field.find('=') + 1);
            if (field.starts_with("size="))
                p.size = static_cast<std::uint32_t>(std::stoul(value));
            else if (field.starts_with("pos="))
                p.pos = static_cast<std::uint32_t>(std::stoul(value));
            else if (field.starts_with("flags="))
                p.key = value.starts_with("K");
        }
        packets.push_back(p);
    }
    return packets;
}

std::string ProbePictureSize(const std::string& path) {
    return RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                       "stream=width,height", "-of", "csv=p=0", path})
        .out;
}

}  // namespace

std::vector<ClipManifest> ReadManifest(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<ClipManifest> clips;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "clip") {
            ClipManifest m;
            std::string label, size, state;
            words >> m.name >> label >> label >> label >> m.rateMilli >> label >> size >> state;
            m.unclosed = state == "unclosed";
            clips.push_back(m);
        } else if (kind == "frame" && !clips.empty()) {
            Chunk c;
            std::string key;
            words >> c.offset >> c.size >> key;
            c.key = key == "key";
            clips.back().frames.push_back(c);
        } else if (kind == "tail" && !clips.empty()) {
            words >> clips.back().tailId;
        }
    }
    return clips;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t U32(const std::string& bytes, size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(bytes.at(at + static_cast<size_t>(i)));
    return v;
}

bool FfmpegInstalled() {
    return HasProgram("ffmpeg") && HasProgram("ffprobe");
}

void ExpectIndexMatches(const std::string& clip, const ClipManifest& manifest) {
    const size_t n = manifest.frames.size();
    ASSERT_EQ(U32(clip, 48), n) << "dwTotalFrames";
    const std::uint32_t indexAt = kAviHeaderSize - 4 + U32(clip, 216);
    ASSERT_EQ(clip.substr(indexAt, 4), "idx1");
    ASSERT_EQ(U32(clip, indexAt + 4), kIndexEntrySize * n);
    EXPECT_EQ(U32(clip, 4), indexAt + kIndexEntrySize * n) << "RIFF size";
    for (size_t i = 0; i < n; ++i) {
        const size_t entry = indexAt + 8 + kIndexEntrySize * i;
        const Chunk& f = manifest.frames[i];
        EXPECT_EQ(clip.substr(entry, 4), "00dc") << "entry " << i;
        EXPECT_EQ(U32(clip, entry + 4), f.key ? kKeyFrameFlag : 0) << "key flag of entry " << i;
        EXPECT_EQ(U32(clip, entry + 8), f.offset) << "offset of entry " << i;
        EXPECT_EQ(U32(clip, entry + 12), f.size) << "length of entry " << i;
    }
}

void ExpectFfmpegReadsAsWritten(const std::string& path, const ClipManifest& manifest, int width,
                                int height) {
    const std::vector<Packet> packets = ProbePackets(path);
    ASSERT_EQ(packets.size(), manifest.frames.size());
    for (size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].size, manifest.frames[i].size) << "packet " << i;
        EXPECT_EQ(packets[i].pos, manifest.frames[i].offset + 8) << "packet " << i;
        EXPECT_EQ(packets[i].key, manifest.frames[i].key) << "packet " << i;
    }
    EXPECT_EQ(ProbePictureSize(path), std::to_string(width) + "," + std::to_string(height) + "\n");
    const auto decoded = RunCommand({"ffmpeg", "-v", "error", "-i", path, "-f", "null", "-"});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_EQ(decoded.err, "");
}

}  // namespace tramlet::test
