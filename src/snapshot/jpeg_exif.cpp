#include "snapshot/jpeg_exif.h"

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <cstdint>
#include <exception>

namespace tramlet {
namespace {

// Degrees as EXIF wants them: whole degrees and minutes with six decimals,
// which keeps the position to about two millimetres.
std::string DegreesMinutes(double degrees) {
    const auto micro = static_cast<std::int64_t>(std::llround(std::abs(degrees) * 1e6));
    return std::to_string(micro / 1000000) + "/1 " + std::to_string(micro % 1000000 * 60) +
           "/1000000 0/1";
}

void SetPosition(Exiv2::ExifData& exif, const GpsPosition& position) {
    exif["Exif.GPSInfo.GPSVersionID"] = std::string("2 2 0 0");
    exif["Exif.GPSInfo.GPSLatitudeRef"] = std::string(position.latitude < 0 ? "S" : "N");
    exif["Exif.GPSInfo.GPSLatitude"] = DegreesMinutes(position.latitude);
    exif["Exif.GPSInfo.GPSLongitudeRef"] = std::string(position.longitude < 0 ? "W" : "E");
    exif["Exif.GPSInfo.GPSLongitude"] = DegreesMinutes(position.longitude);
    exif["Exif.GPSInfo.GPSMapDatum"] = std::string("WGS-84");
}

std::optional<std::string> WriteExif(const std::string& jpeg, const SnapshotFacts& facts) {
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.data()),
                                           static_cast<long>(jpeg.size()));
    if (image.get() == nullptr || image->mimeType() != "image/jpeg")
        return std::nullopt;
    Exiv2::ExifData exif;
    if (!facts.dateTime.empty())
        exif["Exif.Photo.DateTimeOriginal"] = facts.dateTime;
    if (!facts.description.empty())
        exif["Exif.Image.ImageDescription"] = facts.description;
    if (facts.position)
        SetPosition(exif, *facts.position);
    image->setExifData(exif);
    image->writeMetadata();

    Exiv2::BasicIo& io = image->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf data = io.read(static_cast<long>(io.size()));
    return std::string(reinterpret_cast<const char*>(data.pData_), static_cast<size_t>(data.size_));
}

}  // namespace

std::optional<std::string> AddSnapshotExif(const std::string& jpeg, const SnapshotFacts& facts) {
    try {
        return WriteExif(jpeg, facts);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace tramlet
