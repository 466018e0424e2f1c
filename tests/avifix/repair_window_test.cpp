#include "avifix/avi_fix_dlg.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <string>

#include "avifix/avi_layout.h"
#include "common/path_text.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

// A clip the pass must leave (an unclosed one of 4 GiB, beyond AVI 1.0's
// offsets) keeps the window open, naming it and why; a pass without
// failures closes it by itself.
TEST(RepairWindow, ShowsWhatFailedAndWhyWhenThePassEnds) {
    for (const bool failing : {false, true}) {
        test::TempDir card;
        card.Write("video/20240105-080000-1-60.avi", "");
        if (failing) {
            std::string header(avifix::kHeaderSize, '\0');
            header.replace(0, 12,
                           "RIFF\xff\xff\xff\xff"
                           "AVI ");
            header.replace(avifix::kMoviTypeOffset, 4, "movi");
            const auto clip = card.Write("video/20240105-090000-1-0.avi", header);
            std::filesystem::resize_file(clip, kFourGiB);  // sparse
        }
        CAviFix window;
        window.m_dataRoot = DataRootPath(card.Root());
        window.show();
        SCOPED_TRACE(failing);
        if (!failing) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 10000));
            EXPECT_TRUE(window.Report().AllFine());
            continue;
        }
        QPlainTextEdit* list = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return (list = window.findChild<QPlainTextEdit*>("repairFailures")); }, 10000));
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(list->toPlainText().startsWith("20240105-090000-1-0.avi: 4 GiB or larger"));
        EXPECT_FALSE(list->toPlainText().contains("080000"));  // left alone is no failure
        window.findChild<QPushButton*>("close")->click();
        EXPECT_FALSE(window.isVisible());
    }
}

}  // namespace
}  // namespace tramlet
