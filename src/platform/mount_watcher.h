#pragma once

#include <QSocketNotifier>
#include <QTimer>

#include <memory>

#include "platform/volume_source.h"

namespace tramlet {

// Watches this process's mount table. The kernel flags /proc/self/mountinfo
// as exceptional after every mount and unmount; where that cannot be
// watched, the table is polled.
class MountWatcher : public VolumeSource {
    Q_OBJECT

  public:
    explicit MountWatcher(QObject* parent = nullptr);
    ~MountWatcher() override;
    std::vector<MountedVolume> Volumes() const override;

  private:
    void OnMountTableChanged();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer poll_;
    std::vector<MountedVolume> last_;
};

}  // namespace tramlet
