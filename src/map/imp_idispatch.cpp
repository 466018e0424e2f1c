#include "map/imp_idispatch.h"

#include <cmath>
#include <limits>

#include "map/map_page_host.h"
#include "map/route_lookup.h"

namespace tramlet {
namespace {

constexpr int kMaxStampLength = 259;

// Seven characters a time with its tab, and no more times than a day has
// seconds, twice over.
constexpr qsizetype kMaxTimesLength = 7 * 2 * GpsTable::kSecondsPerDay;

bool IsNumber(const QVariant& value) {
    const int type = value.typeId();
    return (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong) &&
           std::isfinite(value.toDouble());
}

bool IsInt32(const QVariant& value) {
    if (!IsNumber(value))
        return false;
    const double n = value.toDouble();
    return std::floor(n) == n && n >= std::numeric_limits<int>::min() &&
           n <= std::numeric_limits<int>::max();
}

}  // namespace

CImpIDispatch::CImpIDispatch(HostLookup findHost, QObject* parent)
    : QObject(parent), findHost_(std::move(findHost)) {}

int CImpIDispatch::OpenPage() {
    ++latestPage_;
    emit PageOpened();
    return latestPage_;
}

bool CImpIDispatch::IsLatestPage(const QVariant& page) const {
    return IsInt32(page) && page.toDouble() == latestPage_;
}

QVariant CImpIDispatch::DayInformation(const QVariant& page, const QVariant& wanted) {
    if (!IsLatestPage(page) || !IsInt32(wanted))
        return {};
    emit Polled();
    MapPageHost* host = findHost_ ? findHost_() : nullptr;
    if (!host)
        return QString();
    return QString::fromStdString(host->GetPageMessage(static_cast<int>(wanted.toDouble())));
}

QVariant CImpIDispatch::ViewFromExpPos(const QVariant& page, const QVariant& stamp) {
    return PassStamp(page, stamp, &MapPageHost::ViewFromExpPos);
}

QVariant CImpIDispatch::ViewFromTrack(const QVariant& page, const QVariant& stamp) {
    return PassStamp(page, stamp, &MapPageHost::ViewFromTrack);
}

QVariant CImpIDispatch::TrackSecond(const QVariant& page, const QVariant& latitude,
                                    const QVariant& longitude, const QVariant& metres) {
    if (!IsLatestPage(page) || !IsNumber(latitude) || !IsNumber(longitude) || !IsNumber(metres) ||
        metres.toDouble() < 0) {
        return {};
    }
    const MapPageHost* host = findHost_ ? findHost_() : nullptr;
    if (!host)
        return QString();
    const GpsTable& fixes = host->DayFixes();
    const std::optional<int> second =
        NearestFixSecond(fixes, latitude.toDouble(), longitude.toDouble(), metres.toDouble());
    return second ? QString::fromStdString(FixText(fixes, *second)) : QString();
}

QVariant CImpIDispatch::TrackSpeeds(const QVariant& page, const QVariant& times) {
    if (!IsLatestPage(page) || times.typeId() != QMetaType::QString ||
        times.toString().size() > kMaxTimesLength) {
        return {};
    }
    const std::optional<std::vector<int>> seconds = ParseTrackTimes(times.toString().toStdString());
    if (!seconds)
        return {};
    const MapPageHost* host = findHost_ ? findHost_() : nullptr;
    return host ? QString::fromStdString(MeanSpeedsText(host->DayFixes(), *seconds)) : QString();
}

QVariant CImpIDispatch::PassStamp(const QVariant& page, const QVariant& stamp,
                                  void (MapPageHost::*view)(const std::string&)) {
    if (!IsLatestPage(page) || stamp.typeId() != QMetaType::QString)
        return {};
    const QByteArray text = stamp.toString().toUtf8();
    MapPageHost* host = findHost_ ? findHost_() : nullptr;
    // A longer stamp cannot name a moment.
    if (host && text.size() <= kMaxStampLength)
        (host->*view)(text.toStdString());
    return true;
}

}  // namespace tramlet
