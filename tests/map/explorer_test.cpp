// The map page in the real embedded browser: what it draws from the page
// messages, what it asks of the program, and what the host keeps from it.
#include "map/explorer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "map/imp_idispatch.h"
#include "map/map_page_host.h"
#include "map/page_messages.h"
#include "map/track_message.h"
#include "support/browser_app.h"
#include "support/page_script.h"
#include "support/straight_road.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace tramlet {
namespace {

class FakeHost : public MapPageHost {
  public:
    FakeHost() : messages({[this] { return playing; }, nullptr}) {
        gps.LoadGpsText("101500 37.5665 126.978 30\n102000 37.5701 126.99 50\n");
    }
    std::string GetPageMessage(int wanted) override { return messages.GetPageMessage(wanted); }
    void ViewFromExpPos(const std::string& stamp) override { viewed.push_back(stamp); }
    void ViewFromTrack(const std::string& stamp) override { tracked.push_back(stamp); }
    const GpsTable& DayFixes() const override { return gps; }

    GpsTable gps;
    bool playing = false;
    PageMessages messages;
    std::vector<std::string> viewed, tracked;
};

using test::WaitFor;

class ExplorerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { app = test::DisplayApplication(); }

    void SetUp() override {
        if (!app)
            GTEST_SKIP() << "needs a display (scripts/test runs it under xvfb-run)";
        external = std::make_unique<CImpIDispatch>([this] { return &host; });
        view = std::make_unique<CExplorer>(external.get());
        view->resize(600, 420);
        view->show();
        host.messages.SetDayMessage(
            "1\t20261207\t101500\t37.566500\t126.978000\t102000\t37.570100\t126.990000"
            "\t103000\t0.000000\t0.000000",
            true);
        QSignalSpy loaded(view.get(), &QWebEngineView::loadFinished);
        view->Navigate2(TRAMLET_MAP_PAGE);
        ASSERT_TRUE(loaded.wait(30000));
        ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.drawnPoints()").toInt() == 2; }));
    }

    QVariant Js(const QString& script) { return test::RunScript(view->page(), script); }

    QWidget* RenderWidget() { return view->focusProxy() ? view->focusProxy() : view.get(); }

    static inline QApplication* app = nullptr;
    FakeHost host;
    std::unique_ptr<CImpIDispatch> external;
    std::unique_ptr<CExplorer> view;
};

TEST_F(ExplorerTest, ClickingAPointOpensItsRecordingAndThePageMarksIt) {
    Js("tramletMap.clickPoint(1)");
    ASSERT_TRUE(WaitFor([&] { return !host.viewed.empty(); }));
    EXPECT_EQ(host.viewed, std::vector<std::string>{"20261207-102000"});
    host.messages.SetClipMessage("20261207-102000");
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.openRecording()").toString() == "102000"; }));
}

TEST_F(ExplorerTest, TheMarkerFollowsThePosition) {
    host.messages.BuildPositionMessage(host.gps, 10, 15, 0);
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.marker() !== null").toBool(); }));
    const QVariant first = Js("tramletMap.marker()[0]");
    host.messages.BuildPositionMessage(host.gps, 10, 20, 0);
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.marker()[0]") != first; }));
    EXPECT_NEAR(Js("tramletMap.marker()[0]").toDouble(), 37.5701, 1e-6);
}

// Counted by a wrapper around window.external, as the page calls it. Its
// first call throws: one failed poll must not end the polling.
TEST_F(ExplorerTest, ThePagePollsCalmlyWhilePlayingAndOnAnEmptyDay) {
    Js("window.__calls = 0; const real = window.external; window.external = {"
       "  DayInformation: (n) => {"
       "    if (__calls++ === 0) throw new Error('a poll that fails');"
       "    return real.DayInformation(n); },"
       "  ViewFromExpPos: (stamp) => real.ViewFromExpPos(stamp) };");
    host.messages.BuildPositionMessage(host.gps, 10, 15, 0);
    for (const bool playing : {true, false}) {
        host.playing = playing;
        if (!playing)
            host.messages.SetDayMessage("1\t20261208", true);
        Js("window.__calls = 0");
        QTest::qWait(2000);
        const int calls = Js("window.__calls").toInt();
        std::printf("%s: %.1f polls a second\n", playing ? "playing" : "empty day", calls / 2.0);
        EXPECT_GE(calls, playing ? 4 : 0);
        EXPECT_LE(calls, 12);
    }
    EXPECT_EQ(Js("tramletMap.drawnPoints()").toInt(), 0);
}

// A straight road between two stops keeps only its ends; the page still
// colours it by the speeds driven between them and finds any second on it.
TEST_F(ExplorerTest, AStraightFastRoadIsColouredByItsSpeedsAndEachOfItsSecondsIsFound) {
    host.gps.LoadGpsText(test::StraightFastRoadLog());
    host.messages.SetTrackMessage(BuildTrackMessage({2026, 12, 7}, DayList(), host.gps));
    host.messages.SetDayMessage("1\t20261207\t100000\t37.500000\t127.000000", true);
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.routePoints()").toInt() == 2; }));
    // One piece, in the 50-80 km/h colour.
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.routeColours().join()") == "#f2c200"; }))
        << Js("tramletMap.routeColours().join()").toString().toStdString();
    const QString midway = QString("(37.500000, %1)").arg(test::RoadLongitude(36050), 0, 'f', 6);
    Js("tramletMap.hoverRouteAt" + midway);
    EXPECT_TRUE(WaitFor([&] {
        return Js("tramletMap.routeHover()").toString().startsWith("10:00:50");
    })) << Js("tramletMap.routeHover()").toString().toStdString();
    Js("tramletMap.clickRouteAt" + midway);
    ASSERT_TRUE(WaitFor([&] { return !host.tracked.empty(); }));
    EXPECT_EQ(host.tracked, std::vector<std::string>{"20261207-100050"});
}

TEST_F(ExplorerTest, IllTypedCallsAreRefusedAndChangeNothing) {
    Js("window.__results = [];"
       "for (const call of [() => external.DayInformation('1'), () => external.DayInformation(),"
       "                    () => external.DayInformation(1.5), () => external.ViewFromExpPos(42),"
       "                    () => external.TrackSecond(37, NaN, 10),"
       "                    () => external.TrackSecond(37, 127, -1),"
       "                    () => external.TrackSpeeds(100000)])"
       "  call().then(() => __results.push('ok'), (e) => __results.push(e.name));");
    ASSERT_TRUE(WaitFor([&] { return Js("__results.length").toInt() == 7; }));
    EXPECT_EQ(Js("__results.join()").toString(),
              "TypeError,TypeError,TypeError,TypeError,TypeError,TypeError,TypeError");
    EXPECT_TRUE(host.viewed.empty());
}

TEST_F(ExplorerTest, StaysInTheMapFolder) {
    const QUrl page = view->url();
    Js("location.href = 'file:///etc/passwd'");
    QTest::qWait(500);
    EXPECT_EQ(view->url(), page);
}

TEST_F(ExplorerTest, NoContextMenu) {
    QTest::mouseClick(RenderWidget(), Qt::RightButton, {}, QPoint(300, 200));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(300, 200),
                           RenderWidget()->mapToGlobal(QPoint(300, 200)));
    QApplication::sendEvent(RenderWidget(), &menu);
    QTest::qWait(300);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ExplorerTest, BrowserKeysAreSwallowedOtherKeysReachThePage) {
    Js("window.__keys = []; addEventListener('keydown', (e) => {"
       "  if (!['Control', 'Shift', 'Alt', 'Meta'].includes(e.key)) __keys.push(e.key);"
       "})");
    QSignalSpy reloads(view.get(), &QWebEngineView::loadStarted);
    RenderWidget()->setFocus();
    QTest::keyClick(RenderWidget(), Qt::Key_F5);
    QTest::keyClick(RenderWidget(), Qt::Key_Backspace);
    QTest::keyClick(RenderWidget(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(RenderWidget(), Qt::Key_A);
    ASSERT_TRUE(WaitFor([&] { return Js("__keys.length").toInt() > 0; }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(Js("__keys.join()").toString(), "a");
    EXPECT_EQ(reloads.count(), 0);
}

TEST_F(ExplorerTest, AlertsAreTheProgramsMessageBoxes) {
    // The box runs its own event loop; a timer answers it from inside.
    QString caption, text;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            text = box->text();
            box->accept();
            answer.stop();
        }
    });
    answer.start();
    Js("alert('지도 준비 완료')");
    EXPECT_TRUE(WaitFor([&] { return !caption.isEmpty(); }));
    EXPECT_EQ(caption, "Tramlet");
    EXPECT_EQ(text, QString::fromUtf8("지도 준비 완료"));
}

// A reloaded page's old document calls on until the new one replaces it:
// whatever it asks then is refused, and the new document misses nothing.
TEST(ExplorerPages, OnlyTheLatestDocumentOfThePageIsServed) {
    FakeHost host;
    CImpIDispatch external([&] { return &host; });
    int opened = 0;
    QObject::connect(&external, &CImpIDispatch::PageOpened, [&] { ++opened; });
    const int replaced = external.OpenPage();
    const int latest = external.OpenPage();
    EXPECT_EQ(opened, 2);
    host.messages.BuildPositionMessage(host.gps, 10, 15, 0);
    const QString stamp = "20261207-101500";
    for (const QVariant& page :
         {QVariant(replaced), QVariant(latest + 1), QVariant(), QVariant("2")}) {
        EXPECT_TRUE(external.DayInformation(page, 0).isNull()) << page.toString().toStdString();
        EXPECT_TRUE(external.ViewFromExpPos(page, stamp).isNull());
        EXPECT_TRUE(external.ViewFromTrack(page, stamp).isNull());
        EXPECT_TRUE(external.TrackSecond(page, 37.5665, 126.978, 10).isNull());
        EXPECT_TRUE(external.TrackSpeeds(page, "101500\t102000").isNull());
    }
    EXPECT_TRUE(host.viewed.empty() && host.tracked.empty());
    EXPECT_TRUE(external.DayInformation(latest, 0).toString().startsWith("2\t"));
    EXPECT_EQ(external.ViewFromExpPos(latest, stamp), QVariant(true));
}

// A page that has not polled a few seconds after loading is loaded once
// more, and that is logged. This one stays silent until it is reloaded.
TEST(ExplorerWatch, APageThatNeverPollsIsLoadedOnceMoreAndLogged) {
    if (!test::DisplayApplication())
        GTEST_SKIP() << "needs a display (scripts/test runs it under xvfb-run)";
    test::TempDir folder;
    folder.Write("map.html",
                 "<!DOCTYPE html><script>"
                 "if (performance.getEntriesByType('navigation')[0].type === 'reload')"
                 "  setInterval(() => window.external.DayInformation(0), 250);</script>");
    static QStringList warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                warnings << text;
        });
    int polls = 0;
    FakeHost host;
    CImpIDispatch external([&] { return &host; });
    QObject::connect(&external, &CImpIDispatch::Polled, [&] { ++polls; });
    CExplorer view(&external);
    view.show();
    QSignalSpy loads(&view, &QWebEngineView::loadStarted);
    view.Navigate2(QString::fromStdString((folder.Path() / "map.html").string()));
    EXPECT_TRUE(WaitFor([&] { return polls > 0; }, 4 * CExplorer::kFirstPollMs));
    QTest::qWait(CExplorer::kFirstPollMs + 1000);
    qInstallMessageHandler(previous);
    EXPECT_EQ(loads.count(), 2);
    EXPECT_EQ(warnings.filter("no poll").size(), 1) << warnings.join('\n').toStdString();
}

}  // namespace
}  // namespace tramlet
