#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "snapshot/jpeg_exif.h"
#include "snapshot/snapshot_facts.h"
#include "snapshot/window_snapshot.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

// Key and raw value of each tag, as the exiv2 command prints them.
std::map<std::string, std::string> ReadTags(const fs::path& file) {
    const test::CommandResult result = test::RunCommand({"exiv2", "-q", "-Pkv", file.string()});
    std::map<std::string, std::string> tags;
    std::istringstream lines(result.out);
    std::string key;
    while (lines >> key) {
        std::string value;
        std::getline(lines, value);
        tags[key] = value.substr(value.find_first_not_of(' '));
    }
    return tags;
}

// "d/1 m/1000000 0/1" back to degrees.
double Degrees(const std::string& rationals) {
    std::istringstream in(rationals);
    double total = 0;
    double scale = 1;
    for (int i = 0; i < 3; ++i) {
        double numerator = 0, denominator = 1;
        char slash = 0;
        in >> numerator >> slash >> denominator;
        total += numerator / denominator / scale;
        scale *= 60;
    }
    return total;
}

std::string Jpeg() {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    const test::TempDir folder;
    const QString path = QString::fromStdString((folder.Path() / "plain.jpg").string());
    EXPECT_TRUE(WriteSnapshot(picture, path, {}).isEmpty());
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

struct ExifCase {
    const char* what;
    std::optional<GpsPosition> position;
    const char* latitudeRef;
    const char* longitudeRef;
};

void PrintTo(const ExifCase& c, std::ostream* os) {
    *os << c.what;
}

class SnapshotExifTest : public testing::TestWithParam<ExifCase> {};

TEST_P(SnapshotExifTest, AnIndependentReaderSeesDateTimeAndPosition) {
    if (!test::HasProgram("exiv2"))
        GTEST_SKIP() << "the exiv2 command is not installed";
    const ExifCase& c = GetParam();
    const SnapshotFacts facts{"2012:03:05 14:22:40", "20120305-142233", c.position};
    const auto tagged = AddSnapshotExif(Jpeg(), facts);
    ASSERT_TRUE(tagged);
    const test::TempDir folder;
    const fs::path file = folder.Write("tagged.jpg", *tagged);

    auto tags = ReadTags(file);
    EXPECT_EQ(tags["Exif.Photo.DateTimeOriginal"], "2012:03:05 14:22:40");
    EXPECT_EQ(tags["Exif.Image.ImageDescription"], "20120305-142233");
    if (!c.position) {
        EXPECT_EQ(tags.count("Exif.GPSInfo.GPSLatitude"), 0u);
        return;
    }
    EXPECT_EQ(tags["Exif.GPSInfo.GPSLatitudeRef"], c.latitudeRef);
    EXPECT_EQ(tags["Exif.GPSInfo.GPSLongitudeRef"], c.longitudeRef);
    EXPECT_NEAR(Degrees(tags["Exif.GPSInfo.GPSLatitude"]), std::abs(c.position->latitude), 1e-6);
    EXPECT_NEAR(Degrees(tags["Exif.GPSInfo.GPSLongitude"]), std::abs(c.position->longitude), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, SnapshotExifTest,
    testing::Values(ExifCase{"north east", GpsPosition{37.5665, 126.978}, "N", "E"},
                    ExifCase{"south west", GpsPosition{-33.8688, -151.2093}, "S", "W"},
                    ExifCase{"just below a whole degree", GpsPosition{0.9999999, -0.0000004}, "N",
                             "W"},
                    ExifCase{"no fix", std::nullopt, "", ""}));

TEST(SnapshotExif, RefusesWhatIsNoJpeg) {
    EXPECT_FALSE(AddSnapshotExif("not a picture", {"2012:03:05 14:22:40", "", std::nullopt}));
}

TEST(WriteSnapshot, WritesJpegWhateverTheNameAndReportsFailures) {
    QImage picture(32, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const test::TempDir folder;
    const fs::path png = folder.Path() / "shot.png";
    EXPECT_TRUE(WriteSnapshot(picture, QString::fromStdString(png.string()), {}).isEmpty());
    const QImage back(QString::fromStdString(png.string()), "jpeg");
    EXPECT_EQ(back.size(), picture.size());

    const fs::path missing = folder.Path() / "no such folder" / "shot.jpg";
    EXPECT_FALSE(WriteSnapshot(picture, QString::fromStdString(missing.string()), {}).isEmpty());
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace tramlet
