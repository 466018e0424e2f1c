#include "support/card_image.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "support/run_command.h"

namespace tramlet::test {
namespace {

bool Run(const std::vector<std::string>& argv, std::string& error) {
    const CommandResult result = RunCommand(argv);
    if (result.exitCode == 0)
        return true;
    error = argv[0] + " failed: " + result.err + result.out;
    return false;
}

// The FUSE drivers stay behind as daemons and would keep our pipes open for
// as long as they run: they write to a file instead.
bool RunDriver(std::vector<std::string> argv, const std::filesystem::path& log,
               std::string& error) {
    argv.insert(argv.begin(),
                {"sh", "-c", "log=$1; shift; exec \"$@\" >\"$log\" 2>&1", "sh", log.string()});
    if (RunCommand(argv).exitCode == 0)
        return true;
    std::ifstream in(log);
    error = argv[5] + " failed: " + std::string(std::istreambuf_iterator<char>(in), {});
    return false;
}

bool MountedAt(const std::filesystem::path& path) {
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, target;
        fields >> id >> parent >> numbers >> root >> target;
        if (target == path.string())
            return true;
    }
    return false;
}

}  // namespace

std::string CardImage::Unavailable() {
    if (geteuid() != 0)
        return "card images need root (loop devices and mounts)";
    for (const char* node : {"/dev/loop-control", "/dev/fuse"}) {
        if (access(node, R_OK | W_OK) != 0)
            return std::string("card images need ") + node;
    }
    for (const char* tool : {"losetup", "mkfs.exfat", "mount.exfat-fuse", "mkfs.vfat", "fusefat"}) {
        if (!HasProgram(tool))
            return std::string(tool) + " is not installed (scripts/setup-deps installs it)";
    }
    return {};
}

CardImage::CardImage(Format format, std::string label, int megabytes,
                     std::vector<std::string> mountOptions)
    : format_(format),
      label_(std::move(label)),
      mountOptions_(std::move(mountOptions)),
      mountPath_(dir_.Path() / "card") {
    if (error_ = Unavailable(); !error_.empty())
        return;
    const std::string image = (dir_.Path() / "card.img").string();
    std::filesystem::create_directory(mountPath_);
    const bool exfat = format_ == Format::kExFat;
    const std::vector<std::string> makeFileSystem =
        exfat ? std::vector<std::string>{"mkfs.exfat", "-L", label_, image}
              : std::vector<std::string>{"mkfs.vfat", "-F", "32", "-n", label_, image};
    if (!Run({"truncate", "-s", std::to_string(megabytes) + "M", image}, error_) ||
        !Run(makeFileSystem, error_))
        return;
    const CommandResult attach = RunCommand({"losetup", "-f", "--show", image});
    if (attach.exitCode != 0) {
        error_ = "losetup failed: " + attach.err;
        return;
    }
    device_ = attach.out.substr(0, attach.out.find('\n'));
    Mount();
}

CardImage::~CardImage() {
    Unmount();
    if (!device_.empty()) {
        // Ours only; a device the dying driver still holds goes when it lets go.
        RunCommand({"losetup", "-d", device_});
    }
}

bool CardImage::Mount() {
    std::vector<std::string> argv;
    if (format_ == Format::kExFat) {
        argv = {"mount.exfat-fuse"};
        for (const std::string& option : mountOptions_)
            argv.insert(argv.end(), {"-o", option});
    } else {
        argv = {"fusefat", "-o", "rw+"};
    }
    argv.insert(argv.end(), {device_, mountPath_.string()});
    // A driver that was just told to go may still hold the device a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        error_.clear();
        if (RunDriver(argv, dir_.Path() / "driver.log", error_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void CardImage::Unmount() {
    if (MountedAt(mountPath_) && RunCommand({"umount", mountPath_.string()}).exitCode != 0)
        RunCommand({"umount", "-l", mountPath_.string()});
}

bool CardImage::PullLazily() {
    return RunCommand({"umount", "-l", mountPath_.string()}).exitCode == 0;
}

bool CardImage::KillDriver() {
    // The driver's command line names our own mount point, and nothing else does.
    bool killed = false;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), {});
        if (cmdline.find(mountPath_.string() + '\0') == std::string::npos)
            continue;
        const int pid = std::atoi(entry.path().filename().c_str());
        killed |= pid > 0 && pid != getpid() && kill(pid, SIGKILL) == 0;
    }
    return killed;
}

bool CardImage::Remount() {
    Unmount();
    return Mount();
}

}  // namespace tramlet::test
