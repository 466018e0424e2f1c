#pragma once

#include <QObject>

#include <vector>

#include "platform/mounted_volume.h"

namespace tramlet {

// The mounted volumes, and a signal whenever the set may have changed.
class VolumeSource : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    virtual std::vector<MountedVolume> Volumes() const = 0;

  signals:
    void Changed();
};

}  // namespace tramlet
