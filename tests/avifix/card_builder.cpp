#include "card_builder.h"

#include <algorithm>

namespace tramlet::avifix::test {

Bytes UnclosedClip(int frames, uint32_t dwRate, bool fourByte, uint32_t seed) {
    AviWriter w(RecorderHeader(dwRate));
    for (const Bytes& f : SimpleStream(frames, 10, fourByte, seed))
        w.Chunk("00dc", f);
    return w.Data();
}

Bytes FinishedClip(uint32_t totalFrames, uint32_t dwRate) {
    const uint32_t stored = totalFrames <= kMostFramesStored ? totalFrames : 3;
    AviWriter w(Header{});
    Bytes index;
    for (const Bytes& f : SimpleStream(static_cast<int>(stored))) {
        uint8_t entry[16] = {'0', '0', 'd', 'c'};
        StoreLe32(entry + 8, static_cast<uint32_t>(w.Chunk("00dc", f)));
        StoreLe32(entry + 12, static_cast<uint32_t>(f.size()));
        index.insert(index.end(), entry, entry + 16);
    }
    HeaderValues v;
    v.frameCount = totalFrames;
    v.indexPosition = static_cast<uint32_t>(w.Data().size());
    w.Chunk("idx1", index);
    v.fileEnd = static_cast<uint32_t>(w.Data().size());
    Header h = BuildHeader(v);
    StoreLe32(h.data() + kRateOffset, dwRate);
    Bytes clip = w.Data();
    std::copy(h.begin(), h.end(), clip.begin());
    return clip;
}

Bytes CutShort(Bytes clip, size_t keep) {
    clip.resize(keep);
    return clip;
}

MemoryFileSystem MakeCard() {
    MemoryFileSystem fs;
    fs.Put(VideoPath("20240105-080000-1-0.avi"), UnclosedClip(31, 30000, false, 1));
    fs.Put(VideoPath("20240105-080000-2-60.avi"), UnclosedClip(33, 29970, true, 2));

    Bytes torn = UnclosedClip(32, 30000, false, 3);
    torn.insert(torn.end(), {'0', '0', 'd', 'c', 30, 0, 0, 0, 0, 0, 1, 0x41, 1, 2, 3, 4, 5, 6});
    fs.Put(VideoPath("20240105-080000-3-0.avi"), torn);

    AviWriter foreign(RecorderHeader());
    for (const Bytes& f : SimpleStream(30, 10, true, 4))
        foreign.Chunk("00dc", f);
    foreign.Chunk("01wb", Bytes(501, 0x42));
    fs.Put(VideoPath("20240105-080000-4-0.avi"), foreign.Data());

    std::vector<Bytes> frames = SimpleStream(30, 10, false, 5);
    if (frames.back().size() % 2 == 0)
        frames.back().push_back(0x80);
    AviWriter noPad(RecorderHeader());
    for (const Bytes& f : frames)
        noPad.Chunk("00dc", f);
    Bytes noPadBytes = noPad.Data();
    noPadBytes.pop_back();
    fs.Put(VideoPath("20240105-090000-1-0.avi"), noPadBytes);

    Bytes shortHeader = UnclosedClip(30, 30000, false, 6);
    shortHeader.insert(shortHeader.end(), {'0', '0', 'd', 'c', 7});
    fs.Put(VideoPath("20240105-090000-2-0.avi"), shortHeader);

    fs.Put(VideoPath("20240105-090000-3-0.avi"), FinishedClip(1799, 29970));
    fs.Put(VideoPath("20240105-090000-4-0.avi"), UnclosedClip(10, 30000, false, 7));

    Bytes longTorn = UnclosedClip(30, 25000, true, 8);
    longTorn.insert(longTorn.end(), {'0', '0', 'd', 'c', 0, 0, 1, 0, 0, 0, 0, 1, 0x65, 1, 2, 3});
    fs.Put(VideoPath("20240105-100000-1-0.avi"), longTorn);

    fs.Put(VideoPath("20240105-100000-2-0.avi"), UnclosedClip(60, 30000, false, 9));
    fs.Put(VideoPath("20240105-100000-2-2.avi"), FinishedClip(60, 30000));

    fs.Put(VideoPath("20240105-110000-1-60.avi"), FinishedClip(1800, 30000));
    fs.Put(VideoPath("notes.avi"), UnclosedClip(30));
    fs.Put(VideoPath("20240105-120000-1-0.avi"), Bytes(100, 0x11));
    fs.Put(VideoPath("20240105-120000-2-0.avi"), Bytes(300, 0x11));
    const Bytes finished = FinishedClip(60, 30000);
    fs.Put(VideoPath("20240105-140000-1-2.avi"), CutShort(finished, finished.size() * 2 / 3));
    fs.Put(VideoPath("20240105-140000-2-2.avi"), CutShort(finished, 250));
    fs.Put(kRoot.Below("gps/20240105.gps"), Bytes{'x'});
    return fs;
}

}  // namespace tramlet::avifix::test
