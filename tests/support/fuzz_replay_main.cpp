// Runs a fuzz target over a corpus, so the fuzzer's findings stay regression
// tests under ctest with any compiler:
//   NAME_fuzz_replay DIR_OR_FILE...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunOne(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p = argv[i];
        if (!std::filesystem::is_directory(p)) {
            count += RunOne(p);
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(p)) {
            if (e.is_regular_file())
                files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& f : files)
            count += RunOne(f);
    }
    std::printf("%d inputs replayed without a finding\n", count);
    return count > 0 ? 0 : 1;
}
