// The window snapshot on a real X display (scripts/test runs ctest under
// xvfb-run); without one the tests skip.
#include "snapshot/window_snapshot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "support/scoped_home.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

const QColor kWindowColour(30, 200, 60);

bool StartsWithJpegMarker(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[3] = {};
    in.read(head, 3);
    return in && static_cast<unsigned char>(head[0]) == 0xFF &&
           static_cast<unsigned char>(head[1]) == 0xD8 &&
           static_cast<unsigned char>(head[2]) == 0xFF;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

// Answers the next modal window once it shows, from the event loop.
void WhenModalShows(const std::function<void(QWidget*)>& answer) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
        // An answer that failed must not leave the test waiting forever.
        if (modal->isVisible()) {
            ADD_FAILURE() << "the modal window stayed open";
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    timer->start();
}

// Types a name into the save dialog's folder, as the user would, and saves.
void SaveAs(QFileDialog* dialog, const fs::path& folder, const char* name) {
    dialog->setDirectory(QString::fromStdString(folder.string()));
    auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameEdit, nullptr);
    nameEdit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
}

class WindowSnapshotTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!qApp)
            GTEST_SKIP() << "needs a display";
        window_ = std::make_unique<QWidget>();
        window_->setAutoFillBackground(true);
        QPalette colours = window_->palette();
        colours.setColor(QPalette::Window, kWindowColour);
        window_->setPalette(colours);
        window_->setGeometry(100, 50, 300, 200);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QTest::qWait(200);
    }
    fs::path Shot(const char* name) const { return folder_.Path() / name; }

    std::unique_ptr<QWidget> window_;
    test::TempDir folder_;
};

TEST_F(WindowSnapshotTest, PictureIsTheFrameFromOnePixelAboveAndLeft) {
    const QImage picture = GrabWindowFrame(*window_);
    ASSERT_EQ(picture.size(), window_->frameGeometry().size());
    // The extra row and column lie outside the window; the rest is the window.
    const QPoint inside = window_->geometry().topLeft() - window_->frameGeometry().topLeft();
    EXPECT_FALSE(Near(picture.pixelColor(0, 0), kWindowColour));
    EXPECT_TRUE(Near(picture.pixelColor(inside + QPoint(1, 1)), kWindowColour));
    EXPECT_TRUE(Near(picture.pixelColor(picture.width() - 1, picture.height() - 1), kWindowColour));
}

TEST_F(WindowSnapshotTest, SaveDialogOffersTheFourEntriesAndWritesJpegUnderAnyName) {
    test::TempDir home;
    const test::ScopedHome scopedHome(home.Path());
    fs::create_directory(home.Path() / "Pictures");
    QStringList filters;
    QString selected;
    QString offeredFolder;
    QString offeredName;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        offeredFolder = dialog->directory().absolutePath();
        auto* nameEdit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        offeredName = nameEdit->text();
        SaveAs(dialog, folder_.Path(), "shot.png");
    });
    SaveWindowSnapshot(*window_, {"2012:03:05 14:22:40", "", std::nullopt});

    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(selected, filters[0]);
    EXPECT_TRUE(filters[0].startsWith("JPEG Image File"));
    // The moment shown names the picture, in the user's pictures folder.
    EXPECT_EQ(offeredName, "Tramlet-20120305-142240.jpg");
    EXPECT_EQ(offeredFolder.toStdString(), (home.Path() / "Pictures").string());
    ASSERT_TRUE(fs::exists(Shot("shot.png")));
    EXPECT_TRUE(StartsWithJpegMarker(Shot("shot.png")));
    const QImage saved(QString::fromStdString(Shot("shot.png").string()), "jpeg");
    EXPECT_EQ(saved.size(), window_->frameGeometry().size());
}

TEST_F(WindowSnapshotTest, TypedNameTakesTheSelectedEntrysExtension) {
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters()[1]);
        emit dialog->filterSelected(dialog->nameFilters()[1]);
        SaveAs(dialog, folder_.Path(), "shot");
    });
    SaveWindowSnapshot(*window_, {});
    EXPECT_TRUE(StartsWithJpegMarker(Shot("shot.bmp")));
}

TEST_F(WindowSnapshotTest, CancellingWritesNothing) {
    WhenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    SaveWindowSnapshot(*window_, {});
    EXPECT_TRUE(fs::is_empty(folder_.Path()));
}

TEST_F(WindowSnapshotTest, FailedWriteIsToldInAMessageBox) {
    QString told;
    const std::string target = Shot("missing folder/shot.jpg").string();
    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        told = box->text();
        box->accept();
    });
    SaveWindowSnapshot(*window_, {},
                       [&](const QString&) { return QString::fromStdString(target); });
    EXPECT_TRUE(told.contains(QString::fromStdString(target))) << told.toStdString();
}

}  // namespace
}  // namespace tramlet
