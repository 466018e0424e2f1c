#include "platform/mount_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/mount_table.h"

namespace tramlet {
namespace {

constexpr int kPollMilliseconds = 2000;

}  // namespace

MountWatcher::MountWatcher(QObject* parent) : VolumeSource(parent), last_(ReadMountedVolumes()) {
    fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
        connect(notifier_.get(), &QSocketNotifier::activated, this,
                &MountWatcher::OnMountTableChanged);
    } else {
        connect(&poll_, &QTimer::timeout, this, &MountWatcher::OnMountTableChanged);
        poll_.start(kPollMilliseconds);
    }
}

MountWatcher::~MountWatcher() {
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

// The table as last read: reading it probes devices for their labels, which
// a change has just done.
std::vector<MountedVolume> MountWatcher::Volumes() const {
    return last_;
}

void MountWatcher::OnMountTableChanged() {
    std::vector<MountedVolume> now = ReadMountedVolumes();
    if (now == last_)
        return;
    last_ = std::move(now);
    emit Changed();
}

}  // namespace tramlet
