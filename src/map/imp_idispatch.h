#pragma once

#include <QObject>
#include <QVariant>

#include <functional>
#include <string>

namespace tramlet {

class MapPageHost;

// The object the map page sees as window.external, published on the web
// channel under that name. It acts on the main window, looked up at each
// call, and checks its arguments itself: anything the page sends is input.
//
// Each document of the page opens itself first and passes the number it got
// with every call. A reloaded page's old document keeps calling until the
// new one replaces it, and its calls may be answered later still; they are
// refused, so that it takes nothing the new document has to get.
class CImpIDispatch : public QObject {
    Q_OBJECT
  public:
    using HostLookup = std::function<MapPageHost*()>;

    explicit CImpIDispatch(HostLookup findHost, QObject* parent = nullptr);

    // A new document of the page: the number its calls pass as `page`.
    Q_INVOKABLE int OpenPage();
    // Every call below is refused (null) from any but the latest document.
    // The next page message; null (refused) unless `wanted` is a 32-bit integer.
    Q_INVOKABLE QVariant DayInformation(const QVariant& page, const QVariant& wanted);
    // Opens the recording of that start stamp; null (refused) unless a string.
    Q_INVOKABLE QVariant ViewFromExpPos(const QVariant& page, const QVariant& stamp);
    // Goes to that moment of the selected day, YYYYMMDD-HHMMSS; null (refused)
    // unless a string.
    Q_INVOKABLE QVariant ViewFromTrack(const QVariant& page, const QVariant& stamp);
    // The second of the selected day whose fix lies nearest the place and
    // within that many metres, "HHMMSS\tvalue1\tvalue2\tvalue3", or "" when
    // none does; null (refused) unless three finite numbers, metres >= 0.
    Q_INVOKABLE QVariant TrackSecond(const QVariant& page, const QVariant& latitude,
                                     const QVariant& longitude, const QVariant& metres);
    // The mean speed of the selected day's fixes between each two neighbouring
    // times of "HHMMSS\tHHMMSS...", tab-separated; null (refused) unless such
    // a string.
    Q_INVOKABLE QVariant TrackSpeeds(const QVariant& page, const QVariant& times);

  signals:
    // A new document has opened: it has nothing of the day yet.
    void PageOpened();
    // The page asked for its next message: it is alive.
    void Polled();

  private:
    bool IsLatestPage(const QVariant& page) const;
    QVariant PassStamp(const QVariant& page, const QVariant& stamp,
                       void (MapPageHost::*view)(const std::string&));

    HostLookup findHost_;
    int latestPage_ = 0;
};

}  // namespace tramlet
