#include "map/imp_idispatch.h"

#include <cmath>
#include <limits>

#include "map/map_page_host.h"

namespace tramlet {
namespace {

constexpr int kMaxStampLength = 259;

bool IsInt32(const QVariant& value) {
    const int type = value.typeId();
    if (type != QMetaType::Double && type != QMetaType::Int && type != QMetaType::LongLong) {
        return false;
    }
    const double n = value.toDouble();
    return std::floor(n) == n && n >= std::numeric_limits<int>::min() &&
           n <= std::numeric_limits<int>::max();
}

}  // namespace

CImpIDispatch::CImpIDispatch(HostLookup findHost, QObject* parent)
    : QObject(parent), findHost_(std::move(findHost)) {}

QVariant CImpIDispatch::DayInformation(const QVariant& wanted) {
    if (!IsInt32(wanted))
        return {};
    emit Polled();
    MapPageHost* host = findHost_ ? findHost_() : nullptr;
    if (!host)
        return QString();
    return QString::fromStdString(host->GetPageMessage(static_cast<int>(wanted.toDouble())));
}

QVariant CImpIDispatch::ViewFromExpPos(const QVariant& stamp) {
    return PassStamp(stamp, &MapPageHost::ViewFromExpPos);
}

QVariant CImpIDispatch::ViewFromTrack(const QVariant& stamp) {
    return PassStamp(stamp, &MapPageHost::ViewFromTrack);
}

QVariant CImpIDispatch::PassStamp(const QVariant& stamp,
                                  void (MapPageHost::*view)(const std::string&)) {
    if (stamp.typeId() != QMetaType::QString)
        return {};
    const QByteArray text = stamp.toString().toUtf8();
    MapPageHost* host = findHost_ ? findHost_() : nullptr;
    // A longer stamp cannot name a moment.
    if (host && text.size() <= kMaxStampLength)
        (host->*view)(text.toStdString());
    return true;
}

}  // namespace tramlet
