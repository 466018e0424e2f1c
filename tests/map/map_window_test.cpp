// The program's window on a simulated card with the real map page: the page
// draws the day, opens what is clicked and follows playback.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/tramlet_dlg.h"
#include "controls/bitmap_button.h"
#include "map/explorer.h"
#include "map/imp_idispatch.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/browser_app.h"
#include "support/no_volumes.h"
#include "support/page_script.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"

namespace tramlet {
namespace {

using test::WaitFor;

// The page's parts put their names on tramletMap as they load; its test
// hooks come with the last of them.
const QString kPageStarted = QStringLiteral("typeof window.tramletMap?.drawnPoints === 'function'");

class MapWindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { app = test::DisplayApplication(); }

    void SetUp() override {
        if (!app)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        // Three recordings of two channels, 20 s long and 20 s apart, with a GPS log.
        const std::string simulate = std::string(TRAMLET_SIMCARD) +
                                     " -q --channels 12 --recordings 3 --gap 20 --duration 20"
                                     " --size 320x180 " +
                                     card.Root();
        ASSERT_EQ(std::system(simulate.c_str()), 0);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settings.Root()));
        QSettings("Ostra", "Tramlet").setValue("InstallDir", TRAMLET_MAP_FOLDER);

        external = std::make_unique<CImpIDispatch>([this] { return dialog.get(); });
        dialog =
            std::make_unique<CTramletDlg>(volumes, CTramletDlg::RepairRunner{}, external.get());
        dialog->OnInitDialog();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->ChooseDataRoot(QString::fromStdString(card.Root()));
        // Asked before the page's script has run, tramletMap would only
        // be reported missing, again and again.
        ASSERT_TRUE(WaitFor([&] { return Js(kPageStarted).toBool(); }));
    }

    QVariant Js(const QString& script) {
        return test::RunScript(
            dialog->findChild<QWebEngineView*>(res::ControlName(res::kMapArea))->page(), script);
    }

    static inline QApplication* app = nullptr;
    test::TempDir card, settings;
    test::NoVolumes volumes;
    std::unique_ptr<CImpIDispatch> external;
    std::unique_ptr<CTramletDlg> dialog;
};

TEST_F(MapWindowTest, ThePageDrawsTheDayOpensAClickedPointFollowsPlaybackAndKeepsItOnReload) {
    ASSERT_TRUE(WaitFor([&] { return dialog->Catalogue().Recordings().size() == 3; }));
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.drawnPoints()").toInt() == 3; }));
    // Handing over the day opened its first recording.
    EXPECT_EQ(dialog->ClipStart(), (Moment{10, 0, 0}));

    Js("tramletMap.clickPoint(1)");
    ASSERT_TRUE(WaitFor([&] { return dialog->ClipStart() == Moment{10, 0, 40}; }));
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.openRecording()").toString() == "100040"; }))
        << Js("tramletMap.openRecording()").toString().toStdString();

    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.marker() !== null").toBool(); }));
    const QVariant before = Js("String(tramletMap.marker())");
    dialog->findChild<CBitmapButton*>(res::ControlName(res::kPlay))->click();
    QTest::qWait(2000);
    EXPECT_TRUE(WaitFor([&] { return Js("String(tramletMap.marker())") != before; }, 3000));
    EXPECT_GE(dialog->ChosenMoment().second, 41);

    // A volume arrival reloads the page; the reloaded page gets the day again
    // and learns what is open, and playback goes on. The new page is there
    // when it opens; its load may go on while its tiles come or fail.
    QSignalSpy reloaded(external.get(), &CImpIDispatch::PageOpened);
    dialog->findChild<CExplorer*>(res::ControlName(res::kMapArea))->Refresh();
    ASSERT_TRUE(reloaded.wait(30000));
    ASSERT_TRUE(
        WaitFor([&] { return Js(kPageStarted + " && tramletMap.drawnPoints()").toInt() == 3; }));
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.openRecording()").toString() == "100040"; }));
    const int second = dialog->ChosenMoment().second;
    QTest::qWait(1500);
    EXPECT_TRUE(dialog->IsPlaying());
    EXPECT_EQ(dialog->ClipStart(), (Moment{10, 0, 40}));
    EXPECT_GT(dialog->ChosenMoment().second, second);
}

// Pairs of route points the page should join: those not split by a gap.
int JoinedPairs(const std::string& track) {
    std::vector<bool> fix;
    std::istringstream fields(track);
    std::string field;
    for (int i = 0; std::getline(fields, field, '\t'); ++i) {
        if (i >= 2 && (i - 2) % 4 == 1)
            fix.push_back(std::stod(field) != 0);
    }
    int pairs = 0;
    for (size_t i = 1; i < fix.size(); ++i)
        pairs += fix[i - 1] && fix[i];
    return pairs;
}

TEST_F(MapWindowTest, TheRouteAndTheStripGoToTheMomentClickedAndFollowPlayback) {
    ASSERT_TRUE(WaitFor([&] { return Js("tramletMap.routePoints()").toInt() > 0; }));
    EXPECT_EQ(Js("tramletMap.routePieces()").toInt(),
              JoinedPairs(dialog->Messages().TrackMessage()));

    // A point of the second recording (10:00:40 to 10:01:00).
    const int index =
        Js("tramletMap.routeSeconds().findIndex((s) => s > 36040 && s < 36060)").toInt();
    ASSERT_GE(index, 0);
    const int second = Js(QString("tramletMap.routeSeconds()[%1]").arg(index)).toInt();
    Js(QString("tramletMap.clickRoute(%1)").arg(index));
    ASSERT_TRUE(WaitFor([&] { return dialog->ChosenMoment().SecondOfDay() == second; }));
    EXPECT_EQ(dialog->ClipStart(), (Moment{10, 0, 40}));

    dialog->findChild<CBitmapButton*>(res::ControlName(res::kPlay))->click();
    ASSERT_TRUE(WaitFor([&] { return !Js("tramletMap.stripCursor()").isNull(); }));
    const int cursor = Js("tramletMap.stripCursor()").toInt();
    EXPECT_TRUE(WaitFor([&] { return Js("tramletMap.stripCursor()").toInt() > cursor; }, 5000));

    // The strip's far left is the day's first fix, in the first recording.
    Js("tramletMap.clickStrip(0)");
    EXPECT_TRUE(WaitFor([&] { return dialog->ClipStart() == Moment{10, 0, 0}; }));
}

}  // namespace
}  // namespace tramlet
