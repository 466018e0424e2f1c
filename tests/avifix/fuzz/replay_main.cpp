// Runs the fuzz target over a corpus, so the fuzzer's findings stay
// regression tests under ctest with any compiler:
//   avifix_fuzz_replay DIR_OR_FILE...
// and writes the seed corpus from the test builders:
//   avifix_fuzz_replay --make-seeds DIR
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "avifix_support.h"
#include "card_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using namespace tramlet::avifix::test;

void Save(const std::filesystem::path& dir, const std::string& name, uint8_t mode, uint8_t cut,
          const Bytes& body) {
    Bytes input{mode, cut};
    input.insert(input.end(), body.begin(), body.end());
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(input.data()),
              static_cast<std::streamsize>(input.size()));
}

Bytes Chunks(const std::vector<Bytes>& frames) {
    AviWriter w(tramlet::avifix::Header{});
    for (const Bytes& f : frames)
        w.Chunk("00dc", f);
    return Bytes(w.Data().begin() + 224, w.Data().end());
}

int MakeSeeds(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    const Bytes plain = Chunks(SimpleStream(8, 4, false, 1));
    Save(dir, "seed-unclosed", 0x01, 17, plain);
    Save(dir, "seed-unclosed-named", 0x05, 90, Chunks(SimpleStream(6, 3, true, 2)));
    Save(dir, "seed-ntsc-small-blocks", 0x29, 3, Chunks(SimpleStream(7, 7, true, 3)));
    Bytes torn = plain;
    torn.insert(torn.end(), {'0', '0', 'd', 'c', 30, 0, 0, 0, 0, 0, 1, 0x41, 1, 2});
    Save(dir, "seed-torn-short-claim", 0x01, 200, torn);
    Bytes foreign = plain;
    foreign.insert(foreign.end(), {'0', '1', 'w', 'b', 4, 0, 0, 0, 1, 2, 3, 4});
    Save(dir, "seed-foreign", 0x41, 5, foreign);
    std::vector<Bytes> odd = SimpleStream(3, 3, false, 4);
    if (odd.back().size() % 2 == 0)
        odd.back().push_back(0x80);
    Bytes noPad = Chunks(odd);
    noPad.pop_back();
    Save(dir, "seed-missing-pad", 0x01, 77, noPad);
    Bytes shortHeader = plain;
    shortHeader.insert(shortHeader.end(), {'0', '0', 'd', 'c', 9});
    Save(dir, "seed-short-header", 0x61, 33, shortHeader);
    Bytes stream;
    for (const Bytes& f : SimpleStream(6, 3, false, 5))
        stream.insert(stream.end(), f.begin(), f.end());
    Save(dir, "seed-wrapped-stream", 0x03, 9, stream);
    Save(dir, "seed-raw-stream", 0x00, 1, stream);
    const tramlet::avifix::Header finished = FinishedHeader(1799, 29970);
    Bytes fin(finished.begin() + 0, finished.end());
    fin.insert(fin.end(), plain.begin(), plain.end());
    Save(dir, "seed-finished-no-duration", 0x00, 2, fin);
    const Bytes whole = FinishedClip(30, 30000);
    Save(dir, "seed-finished-whole", 0x00, 3, whole);
    Save(dir, "seed-finished-cut-short", 0x04, 4, CutShort(whole, whole.size() * 2 / 3));
    Save(dir, "seed-finished-cut-to-nothing", 0x04, 5, CutShort(whole, 250));
    std::printf("seeds written to %s\n", dir.c_str());
    return 0;
}

int RunOne(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const Bytes data((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--make-seeds")
        return MakeSeeds(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: avifix_fuzz_replay DIR_OR_FILE... | --make-seeds DIR\n");
        return 2;
    }
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p = argv[i];
        if (std::filesystem::is_directory(p)) {
            std::vector<std::filesystem::path> files;
            for (const auto& e : std::filesystem::directory_iterator(p)) {
                if (e.is_regular_file())
                    files.push_back(e.path());
            }
            std::sort(files.begin(), files.end());
            for (const auto& f : files)
                count += RunOne(f);
        } else {
            count += RunOne(p);
        }
    }
    std::printf("%d inputs replayed without a finding\n", count);
    return count > 0 ? 0 : 1;
}
