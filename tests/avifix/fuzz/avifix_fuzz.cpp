// Fuzz target over the frame detector and the whole repair (classification,
// rebuild, rename) on in-memory files. Besides "no crash, no sanitizer
// report" it checks the repair's promises on every input:
//   - nothing is read at or past the end of the file, no write leaves a hole;
//   - frame data in front of the index is never rewritten;
//   - the header and idx1 agree with the rebuild's result;
//   - a second pass writes nothing (idempotence);
//   - a power cut after any number of written units, then a pass, ends in
//     the same files as an uninterrupted pass;
//   - a dry run changes nothing and decides the same.
//
// Input: byte 0 picks the shape (bit 0: prepend a recorder header; bit 1:
// cut the rest into 00dc chunks whose sizes come from the input; bit 2: name
// with duration 60 instead of 0; bit 3: small read blocks; bits 5..7: dwRate),
// byte 1 picks the power-cut point, the rest is the data.
#include <algorithm>
#include <map>

#include "avifix/h264_detector.h"
#include "avifix/nal_splitter.h"
#include "avifix/repair_pass.h"
#include "avifix_support.h"
#include "common/data_root_path.h"
#include "support/fuzz_check.h"

namespace {

using namespace tramlet::avifix;
using namespace tramlet::avifix::test;
using tramlet::DataRootPath;

const DataRootPath kRootPath("/card/");
std::string ClipPathOf(const std::string& name) {
    return kRootPath.Below("video/" + name);
}

class DetectorSink : public NalUnitSink {
  public:
    bool OnNalUnit(const NalUnitView& u) override {
        FUZZ_CHECK(u.headLength >= 1 && u.headLength <= kMaxExaminedBytes);
        FUZZ_CHECK(u.end > u.start + 3);
        Examine(u.head, u.headLength, unit, state);
        FUZZ_CHECK(unit.payloadLength >= 0 &&
                   static_cast<size_t>(unit.payloadLength) < u.headLength);
        return true;
    }
    DetectorState state;
    NalUnit unit;
};

RepairOptions Options(ClipFileSystem& fs, uint8_t mode) {
    RepairOptions o;
    o.fileSystem = &fs;
    o.rebuild.readBlockSize = (mode & 8) ? 8 + mode % 13 : 4096;
    return o;
}

std::vector<Bytes> Contents(const MemoryFileSystem& fs) {
    std::vector<Bytes> out;
    for (auto& [path, bytes] : fs.Snapshot())
        out.push_back(bytes);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 65536)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t cut = data[1];
    const uint8_t* body = data + 2;
    const size_t length = size - 2;

    // The detector on its own, over the data as a byte stream, fed in pieces.
    {
        DetectorSink sink;
        NalSplitter splitter;
        splitter.Begin(length);
        const size_t piece = 1 + cut % 7;
        for (size_t at = 0; at < length; at += piece)
            splitter.Feed(body + at, std::min(piece, length - at), sink);
        splitter.Finish(sink);
    }

    // A clip built from the data.
    static const uint32_t kRates[8] = {30000, 29970, 0, 25000, 1, 0xFFFFFFFFu, 30001, 15000};
    Bytes file;
    if (mode & 1) {
        const Header h = RecorderHeader(kRates[mode >> 5]);
        file.assign(h.begin(), h.end());
    }
    if (mode & 2) {
        AviWriter w(Header{});
        size_t at = 0;
        while (at < length) {
            const size_t claim = 1 + body[at] * 3u;  // one byte gives the next chunk's size
            const size_t from = at + 1;
            const size_t take = std::min(claim, length - from);
            w.Chunk("00dc", Bytes(body + from, body + from + take));
            at = from + take;
        }
        file.insert(file.end(), w.Data().begin() + kHeaderSize, w.Data().end());
    } else {
        file.insert(file.end(), body, body + length);
    }
    const std::string name = (mode & 4) ? "20120305-142233-1-60.avi" : "20120305-142233-1-0.avi";

    MemoryFileSystem card;
    card.Put(ClipPathOf(name), file);

    // The pass, with everything it must keep.
    MemoryFileSystem once = card.Clone();
    const auto fileData = once.Get(ClipPathOf(name));
    PowerCutFileSystem counter(once, UINT64_MAX);
    const PassReport pass = RunRepairPass(kRootPath, Options(counter, mode));
    FUZZ_CHECK(pass.files.size() == 1);
    const ClipReport& r = pass.files[0];
    FUZZ_CHECK(r.failure.has_value() == (r.action == ClipAction::Failed));
    FUZZ_CHECK(fileData->maxReadEnd <= file.size());
    FUZZ_CHECK(!fileData->badWrite);
    const Bytes& after = fileData->bytes;
    FUZZ_CHECK(after.size() >= file.size());
    if (r.rebuilt) {
        FUZZ_CHECK(r.action == ClipAction::Repaired || r.action == ClipAction::Failed);
        const uint64_t index = r.indexPosition;
        FUZZ_CHECK(index >= kHeaderSize && index <= file.size() + 1);
        const uint64_t keep = std::min<uint64_t>(index, file.size());
        // A torn last chunk's header, right in front of the index, may have
        // become an empty JUNK chunk; nothing else in front of it changes.
        static const uint8_t kEmptyJunk[8] = {'J', 'U', 'N', 'K', 0, 0, 0, 0};
        const bool junked = index >= kHeaderSize + 8 &&
                            std::equal(kEmptyJunk, kEmptyJunk + 8, after.begin() + (index - 8));
        const uint64_t unchanged = junked ? std::min(keep, index - 8) : keep;
        FUZZ_CHECK(std::equal(file.begin() + kHeaderSize,
                              file.begin() + static_cast<long>(unchanged),
                              after.begin() + kHeaderSize));
        FUZZ_CHECK(HasFourCc(after.data() + index, "idx1"));
        const uint32_t indexSize = LoadLe32(after.data() + index + 4);
        FUZZ_CHECK(indexSize == 16u * static_cast<uint32_t>(r.frames));
        FUZZ_CHECK(LoadLe32(after.data() + 4) == index + 8 + indexSize - 8);
        FUZZ_CHECK(LoadLe32(after.data() + 216) == index - kHeaderSize + 4);
        FUZZ_CHECK(LoadLe32(after.data() + 48) == static_cast<uint32_t>(r.frames));
        if (r.frames > 0)
            FUZZ_CHECK(LoadLe32(after.data() + index + 16) == kHeaderSize);  // first entry
        if (index + 8 + indexSize < file.size()) {  // bytes beyond the index stay
            FUZZ_CHECK(std::equal(file.begin() + static_cast<long>(index + 8 + indexSize),
                                  file.end(),
                                  after.begin() + static_cast<long>(index + 8 + indexSize)));
        }
    } else if (r.action != ClipAction::DurationAdded) {
        FUZZ_CHECK(after == file);
    }
    const auto expect = once.Snapshot();
    const uint64_t units = counter.Used();

    // A second pass writes nothing.
    {
        MemoryFileSystem twice = once.Clone();
        PowerCutFileSystem again(twice, UINT64_MAX);
        RunRepairPass(kRootPath, Options(again, mode));
        FUZZ_CHECK(Contents(twice) == Contents(once));
    }

    // A power cut, then a pass: the same files.
    {
        MemoryFileSystem fs = card.Clone();
        const uint64_t budget = units == 0 ? 0 : (cut * 2654435761u + length) % (units + 1);
        PowerCutFileSystem power(fs, budget);
        RunRepairPass(kRootPath, Options(power, mode));
        RunRepairPass(kRootPath, Options(fs, mode));
        FUZZ_CHECK(fs.Snapshot() == expect);
    }

    // A dry run changes nothing and decides the same.
    {
        MemoryFileSystem fs = card.Clone();
        RepairOptions o = Options(fs, mode);
        o.dryRun = true;
        const PassReport dry = RunRepairPass(kRootPath, o);
        FUZZ_CHECK(fs.Snapshot() == card.Snapshot());
        FUZZ_CHECK(dry.files.size() == 1);
        FUZZ_CHECK(dry.files[0].action == r.action || r.action == ClipAction::Failed);
        FUZZ_CHECK(dry.files[0].frames == r.frames);
    }
    return 0;
}
