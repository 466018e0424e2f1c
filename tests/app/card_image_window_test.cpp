// The main window on a real exFAT card, with the program's own mount
// watcher: the card found by its label where udev keeps no label links, let
// go of when it is pulled, found and repaired again when it is back.
#include <gtest/gtest.h>

#include <QDate>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/month_calendar.h"
#include "app/tramlet_dlg.h"
#include "platform/mount_watcher.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/card_image.h"
#include "support/fake_player.h"

namespace tramlet {
namespace {

TEST(CardImageWindow, FindsTheCardLetsGoWhenPulledAndFindsItAgain) {
    if (const std::string why = test::CardImage::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    test::CardImage card(test::CardImage::Format::kExFat);
    ASSERT_EQ(card.Error(), "");
    const QDate today = QDate::currentDate();
    std::filesystem::create_directories(card.Root() + "video");
    std::ofstream(card.Root() + "video/" + today.toString("yyyyMMdd").toStdString() +
                  "-080000-1-60.avi");

    MountWatcher volumes;
    std::vector<std::string> repaired;
    CTramletDlg dialog(volumes, [&](const DataRootPath& root) { repaired.push_back(root.Text()); });
    const std::map<std::string, test::FakeClip> clips;
    dialog.SetPlayerFactory([&clips](int, std::function<void()> notify) {
        return std::make_unique<test::FakePlayer>(clips, std::move(notify));
    });
    dialog.OnInitDialog();
    const auto calendar = [&dialog] {
        return dialog.findChild<CMonthCalendar*>(res::ControlName(res::kCalendar));
    };
    EXPECT_EQ(dialog.DataRoot().Text(), card.Root());
    EXPECT_TRUE(QTest::qWaitFor([&] { return calendar()->IsBold(today); }, 5000));

    ASSERT_TRUE(card.PullLazily());
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.DataRoot().Text() == "."; }, 5000));
    EXPECT_FALSE(calendar()->IsBold(today));

    ASSERT_TRUE(card.Remount()) << card.Error();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.DataRoot().Text() == card.Root(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return calendar()->IsBold(today); }, 5000));
    EXPECT_EQ(repaired, (std::vector<std::string>{card.Root(), card.Root()}));
}

}  // namespace
}  // namespace tramlet
