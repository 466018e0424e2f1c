// Fuzz target over the SHA256SUMS reader. Input: the file an earlier backup,
// or another program, left in the backup folder (under TMPDIR). Besides "no
// crash, no sanitizer report" it checks on every input that
//   - only 64 hex digits make a digest;
//   - a backup adds its entry and keeps every entry the file held;
//   - a second backup with nothing new leaves the file as the first made it.
#include <fstream>
#include <sstream>

#include "backup/sha256_sums.h"
#include "support/fuzz_check.h"

namespace {

using namespace tramlet;

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsHexDigest(const std::string& digest) {
    return digest.size() == 64 &&
           digest.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> expected = Sha256Sums::Parse(text);
    for (const auto& [name, digest] : expected)
        FUZZ_CHECK(!name.empty() && IsHexDigest(digest));

    const std::filesystem::path path = test::FuzzScratch("tramlet-sums-fuzz") / "SHA256SUMS";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const std::string added = "video/back\\slash\nnew line-1-1-1.avi";
    const std::string digest(64, 'c');
    Sha256Sums sums(path.string());
    sums.Set(added, digest);
    FUZZ_CHECK(sums.Save() == 0);
    const std::string saved = Read(path);
    expected[added] = digest;
    FUZZ_CHECK(Sha256Sums::Parse(saved) == expected);

    FUZZ_CHECK(Sha256Sums(path.string()).Save() == 0);
    FUZZ_CHECK(Read(path) == saved);
    return 0;
}
