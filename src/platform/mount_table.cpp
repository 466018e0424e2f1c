#include "platform/mount_table.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include <blkid/blkid.h>

namespace tramlet {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in paths as \ooo.
std::string DecodeOctalEscapes(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && IsOctalDigit(text[i + 1]) &&
            IsOctalDigit(text[i + 2]) && IsOctalDigit(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// udev writes unsafe bytes of a label as \xHH.
std::string DecodeHexEscapes(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Fields are separated by spaces alone: the kernel escapes space, tab,
// newline and backslash in what it prints, and no other byte, so a label
// holding a vertical tab or a carriage return is part of its field.
std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (start < line.size()) {
        const size_t end = std::min(line.find(' ', start), line.size());
        if (end > start)
            fields.emplace_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::string CanonicalDevice(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    return error ? path : canonical.string();
}

bool IsImageFileSystem(const std::string& type) {
    return type == "squashfs" || type == "iso9660" || type == "udf";
}

}  // namespace

std::vector<MountedVolume> ParseMountInfo(std::string_view mountInfo) {
    std::vector<MountedVolume> volumes;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source super
        constexpr long kFirstOptional = 6;
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() < kFirstOptional + 3)
            continue;
        const auto separator = std::find(fields.begin() + kFirstOptional, fields.end(), "-");
        if (separator == fields.end() || fields.end() - separator < 3)
            continue;
        const std::string& type = *(separator + 1);
        const std::string& source = *(separator + 2);
        if (source.rfind("/dev/", 0) != 0 || IsImageFileSystem(type))
            continue;
        volumes.push_back({DecodeOctalEscapes(fields[4]),
                           DecodeOctalEscapes(source),
                           {},
                           std::atoi(fields[0].c_str())});
    }
    std::stable_sort(
        volumes.begin(), volumes.end(),
        [](const MountedVolume& a, const MountedVolume& b) { return a.mountPath < b.mountPath; });
    return volumes;
}

std::map<std::string, std::string> ReadVolumeLabels(const std::string& byLabelFolder) {
    std::map<std::string, std::string> labels;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(byLabelFolder, error)) {
        labels[CanonicalDevice(entry.path().string())] =
            DecodeHexEscapes(entry.path().filename().string());
    }
    return labels;
}

std::string ProbeVolumeLabel(const std::string& device) {
    blkid_probe probe = blkid_new_probe_from_filename(device.c_str());
    if (!probe)
        return {};
    std::string label;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
    const char* value = nullptr;
    size_t length = 0;
    if (blkid_do_safeprobe(probe) == 0 &&
        blkid_probe_lookup_value(probe, "LABEL", &value, &length) == 0 && value) {
        label = value;  // the length counts the terminating zero
    }
    blkid_free_probe(probe);
    return label;
}

std::vector<MountedVolume> ReadMountedVolumes() {
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    std::vector<MountedVolume> volumes = ParseMountInfo(text.str());
    // Containers and minimal systems run no udev, and so have no label
    // links; a device they miss is asked itself, once however often mounted.
    const std::map<std::string, std::string> links = ReadVolumeLabels("/dev/disk/by-label");
    std::map<std::string, std::string> probed;
    for (MountedVolume& volume : volumes) {
        const std::string device = CanonicalDevice(volume.device);
        if (const auto link = links.find(device); link != links.end()) {
            volume.label = link->second;
            continue;
        }
        const auto known = probed.find(device);
        volume.label =
            known != probed.end() ? known->second : (probed[device] = ProbeVolumeLabel(device));
    }
    return volumes;
}

VolumeChange CompareVolumes(const std::vector<MountedVolume>& before,
                            const std::vector<MountedVolume>& after) {
    using Mount = std::pair<std::string, int>;
    std::set<Mount> oldMounts;
    std::set<Mount> newMounts;
    for (const MountedVolume& volume : before)
        oldMounts.emplace(volume.mountPath, volume.mountId);
    for (const MountedVolume& volume : after)
        newMounts.emplace(volume.mountPath, volume.mountId);
    VolumeChange change;
    for (const Mount& mount : newMounts)
        change.arrived |= !oldMounts.contains(mount);
    for (const Mount& mount : oldMounts)
        change.removed |= !newMounts.contains(mount);
    return change;
}

}  // namespace tramlet
