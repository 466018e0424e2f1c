// Fuzz target over the mount table reader. Input: a mountinfo text. Besides
// "no crash, no sanitizer report" it checks on every input that
//   - only block devices' mounts come out, in mount-path order;
//   - the input as a mount point, escaped as the kernel escapes it, reads
//     back whole, and can supply neither a file-system type nor a device of
//     its own: a card's mount is found at it, an image's is not.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/mount_table.h"
#include "support/fuzz_check.h"

namespace {

using namespace tramlet;

// The kernel prints space, tab, newline and backslash in a path as \ooo.
std::string KernelEscaped(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<MountedVolume> volumes = ParseMountInfo(text);
    for (const MountedVolume& volume : volumes)
        FUZZ_CHECK(volume.device.rfind("/dev/", 0) == 0);
    FUZZ_CHECK(std::is_sorted(volumes.begin(), volumes.end(), [](const auto& a, const auto& b) {
        return a.mountPath < b.mountPath;
    }));

    const std::string point = "/media/u/" + std::string(text);
    const std::string escaped = KernelEscaped(point);
    const std::vector<MountedVolume> card =
        ParseMountInfo("90 30 8:33 / " + escaped + " rw,nosuid shared:80 - vfat /dev/sdz1 rw\n");
    FUZZ_CHECK(card.size() == 1 && card[0].mountPath == point && card[0].device == "/dev/sdz1" &&
               card[0].mountId == 90);
    FUZZ_CHECK(ParseMountInfo("94 30 7:1 / " + escaped + " ro - squashfs /dev/loop1 ro\n").empty());
    return 0;
}
