// The map page with a day of 1,440 recordings: from the day being selected to
// every point drawn, and from a position change to the marker moving.
// Needs a display: xvfb-run -a build/rel/bench/map_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWebEnginePage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "map/explorer.h"
#include "map/imp_idispatch.h"
#include "map/map_page_host.h"
#include "map/page_messages.h"
#include "map/track_message.h"

namespace {

using namespace tramlet;

constexpr int kRecordings = 1440;
constexpr double kPollPeriodMs = 250;

class DayHost : public MapPageHost {
  public:
    std::string GetPageMessage(int wanted) override { return messages.GetPageMessage(wanted); }
    void ViewFromExpPos(const std::string&) override {}
    void ViewFromTrack(const std::string&) override {}
    const GpsTable& DayFixes() const override { return gps; }

    GpsTable gps;
    PageMessages messages{{[] { return false; }, [] { return std::string(); }}};
};

QVariant Js(QWebEnginePage& page, const QString& script) {
    QVariant result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    while (!done)
        QTest::qWait(1);
    return result;
}

double MillisecondsUntil(QWebEnginePage& page, const QString& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!Js(page, condition).toBool()) {
        if (clock.elapsed() > 10000)
            return -1;
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

std::string DayOfMinutes(int day, GpsTable& gps) {
    std::string log;
    std::string message = "1\t202612" + std::to_string(10 + day);
    for (int minute = 0; minute < kRecordings; ++minute) {
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d00 %.6f %.6f 40 90\n", minute / 60, minute % 60,
                      37.50 + day * 0.01 + minute * 1e-4, 126.90 + minute * 1e-4);
        log += line;
        std::snprintf(line, sizeof line, "\t%02d%02d00\t%.6f\t%.6f", minute / 60, minute % 60,
                      37.50 + day * 0.01 + minute * 1e-4, 126.90 + minute * 1e-4);
        message += line;
    }
    gps.LoadGpsText(log);
    return message;
}

// A whole day of driving, a fix every second along a winding road, with a
// recording every ten minutes.
std::string DayOfFixes(int day, GpsTable& gps, DayList& recordings) {
    std::string log;
    log.reserve(GpsTable::kSecondsPerDay * 48);
    for (int s = 0; s < GpsTable::kSecondsPerDay; ++s) {
        const double t = s / 900.0;
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d%02d %.6f %.6f %.1f 90\n", s / 3600, s / 60 % 60,
                      s % 60, 37.4 + 0.1 * std::sin(t) + 0.003 * std::sin(11 * t), 126.8 + s * 4e-6,
                      50 + 40 * std::sin(3 * t));
        log += line;
    }
    gps.LoadGpsText(log);
    recordings.Clear();
    std::string message = "1\t202612" + std::to_string(20 + day);
    for (int minute = 0; minute < 24 * 60; minute += 10) {
        recordings.AddClip(minute / 60, minute % 60, 0, 0, 60);
        char point[48];
        std::snprintf(point, sizeof point, "\t%02d%02d00\t0.000000\t0.000000", minute / 60,
                      minute % 60);
        message += point;
    }
    return message;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    CExplorer::PrepareProcess();
    QApplication app(argc, argv);
    DayHost host;
    CImpIDispatch external([&] { return &host; });
    CExplorer view(&external);
    view.resize(400, 600);
    view.show();
    view.Navigate2(TRAMLET_MAP_PAGE);
    QWebEnginePage& page = *view.page();
    MillisecondsUntil(page, "typeof window.tramletMap?.drawnPoints === 'function'");

    std::vector<double> toDrawn, drawing, toMarker;
    for (int day = 0; day < 5; ++day) {
        QTest::qWait(53 * (day + 1) % 250);
        host.messages.SetDayMessage(DayOfMinutes(day, host.gps), true);
        const QString drawnDay =
            QString(
                "tramletMap.drawnPoints() === %1 && tramletMap.drawMs() !== undefined && "
                "tramletMap.shownDay() === '202612%2'")
                .arg(kRecordings)
                .arg(10 + day);
        toDrawn.push_back(MillisecondsUntil(page, drawnDay));
        drawing.push_back(Js(page, "tramletMap.drawMs()").toDouble());

        // Changes come at any moment of the page's poll period.
        QTest::qWait(37 * (day + 1) % 250);
        const QString before = Js(page, "String(tramletMap.marker())").toString();
        host.messages.BuildPositionMessage(host.gps, 12, day * 7, 0);
        toMarker.push_back(
            MillisecondsUntil(page, QString("String(tramletMap.marker()) !== '%1'").arg(before)));
    }
    // The route of a day with a fix every second: from the day chosen (its
    // log read, its route thinned out) to the route and the strip drawn.
    std::vector<double> toRoute;
    for (int day = 0; day < 3; ++day) {
        QElapsedTimer clock;
        clock.start();
        DayList recordings;
        const std::string message = DayOfFixes(day, host.gps, recordings);
        host.messages.SetTrackMessage(
            BuildTrackMessage({2026, 12, 20 + day}, recordings, host.gps));
        host.messages.SetDayMessage(message, true);
        const double built = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        toRoute.push_back(built +
                          MillisecondsUntil(page, QString("tramletMap.shownDay() === '202612%1' && "
                                                          "tramletMap.routePoints() > 0")
                                                      .arg(20 + day)));
    }
    std::printf(
        "day of %d fixes, chosen to route and strip drawn: median %.0f ms, worst %.0f ms "
        "(target < 300 ms)\n",
        GpsTable::kSecondsPerDay, Median(toRoute),
        *std::max_element(toRoute.begin(), toRoute.end()));
    std::printf(
        "day of %d recordings, selected to all points drawn: median %.0f ms, worst %.0f ms "
        "(of which drawing: median %.0f ms) (target < 300 ms)\n",
        kRecordings, Median(toDrawn), *std::max_element(toDrawn.begin(), toDrawn.end()),
        Median(drawing));
    std::printf(
        "position change to marker moved: median %.0f ms, worst %.0f ms "
        "(target < one poll period, %.0f ms)\n",
        Median(toMarker), *std::max_element(toMarker.begin(), toMarker.end()), kPollPeriodMs);
    return 0;
}
