#include "gps/gpx_writer.h"

#include <fcntl.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "common/atomic_file.h"
#include "common/local_moment.h"
#include "gps/coordinate_text.h"
#include "gps/gps_table.h"

namespace tramlet {
namespace {

constexpr char kGpxNamespace[] = "http://www.topografix.com/GPX/1/1";
constexpr char kExtensionNamespace[] = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";
constexpr char kSchemaLocations[] =
    "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
    "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
    "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd";

struct TrackPoint {
    std::string latitude;  // as written
    std::string longitude;
    std::optional<double> metresPerSecond;
    std::int64_t moment = 0;  // seconds since 1970, UTC
};
using Segment = std::vector<TrackPoint>;

const xmlChar* Xml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

const xmlChar* Xml(const std::string& text) {
    return Xml(text.c_str());
}

// Each recording of the day as start -> end second, in time order. Its
// channels may have stopped at different moments; the longest one counts.
std::map<int, int> RecordingSpans(const GpxRequest& request) {
    const CalendarDate& date = request.date;
    std::map<int, int> spans;
    for (const std::string& name :
         FindFiles(DayClipsPattern(request.dataRoot, date.year, date.month, date.day))) {
        const auto clip = ParseClipName(name);
        if (!clip || !clip->IsOnDate(date.year, date.month, date.day))
            continue;
        const int start = clip->StartSecond();
        // In 64 bits: a duration field near the int range must not wrap the
        // recording's end round to before its start.
        const auto clipEnd = static_cast<int>(
            std::min<std::int64_t>(std::int64_t{start} + clip->duration, GpsTable::kSecondsPerDay));
        int& end = spans.try_emplace(start, start).first->second;
        end = std::max(end, clipEnd);
    }
    return spans;
}

// The UTC moment of a second on the recorder's clock.
std::optional<std::int64_t> UtcMoment(const GpxRequest& request, int second) {
    const CalendarDate& d = request.date;
    if (!request.utcOffset)
        return LocalMoment(d.year, d.month, d.day, second / 3600, second / 60 % 60, second % 60);
    using namespace std::chrono;
    const year_month_day day{year{d.year}, month{static_cast<unsigned>(d.month)},
                             std::chrono::day{static_cast<unsigned>(d.day)}};
    if (!day.ok())
        return std::nullopt;
    return sys_days{day}.time_since_epoch().count() * std::int64_t{86400} + second -
           *request.utcOffset;
}

double ValueOf(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Latitude and longitude as written, within GPX 1.1's [-90, 90] and
// [-180, 180): strict readers reject a whole file for one value outside.
// The values are judged after rounding to the written six decimals, and a
// longitude that rounds to 180 is written as -180, the same meridian.
std::optional<std::pair<std::string, std::string>> GpxPosition(double latitude, double longitude) {
    std::string lat = CoordinateText(latitude);
    std::string lon = CoordinateText(longitude);
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(ValueOf(lat)) > 90)
        return std::nullopt;
    if (ValueOf(lon) == 180)
        lon = CoordinateText(-180);
    if (ValueOf(lon) < -180 || ValueOf(lon) >= 180)
        return std::nullopt;
    return std::pair{std::move(lat), std::move(lon)};
}

std::optional<TrackPoint> PointAt(const GpxRequest& request, const GpsTable& gps, int second) {
    const GpsEntry* fix = gps.FixAt(second);
    const auto position = fix ? GpxPosition(fix->latitude, fix->longitude) : std::nullopt;
    if (!position)
        return std::nullopt;
    const auto moment = UtcMoment(request, second);
    if (!moment)
        return std::nullopt;
    TrackPoint point{position->first, position->second, std::nullopt, *moment};
    if (std::isfinite(fix->speedKmh) && fix->speedKmh >= 0)
        point.metresPerSecond = fix->speedKmh / 3.6;
    return point;
}

std::vector<Segment> CollectSegments(const GpxRequest& request) {
    GpsTable gps;
    gps.LoadGpsLog(request.dataRoot, request.date.year, request.date.month, request.date.day);
    std::vector<Segment> segments;
    for (const auto& [start, end] : RecordingSpans(request)) {
        Segment segment;
        const int last = std::min({end, request.toSecond, GpsTable::kSecondsPerDay});
        for (int second = std::max(start, request.fromSecond); second < last; ++second) {
            if (auto point = PointAt(request, gps, second))
                segment.push_back(*point);
        }
        if (!segment.empty())
            segments.push_back(std::move(segment));
    }
    return segments;
}

std::string UtcText(std::int64_t moment) {
    const auto seconds = static_cast<std::time_t>(moment);
    std::tm fields{};
    if (!::gmtime_r(&seconds, &fields))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return text;
}

std::string SpeedText(double metresPerSecond) {
    char text[400];  // the largest double has 309 integer digits
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, metresPerSecond, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(text, end) : std::string("0.00");
}

std::string TrackName(const CalendarDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

bool WritePoint(xmlTextWriterPtr w, const TrackPoint& point) {
    bool ok = xmlTextWriterStartElement(w, Xml("trkpt")) >= 0 &&
              xmlTextWriterWriteAttribute(w, Xml("lat"), Xml(point.latitude)) >= 0 &&
              xmlTextWriterWriteAttribute(w, Xml("lon"), Xml(point.longitude)) >= 0 &&
              xmlTextWriterWriteElement(w, Xml("time"), Xml(UtcText(point.moment))) >= 0;
    if (ok && point.metresPerSecond) {
        ok = xmlTextWriterStartElement(w, Xml("extensions")) >= 0 &&
             xmlTextWriterStartElement(w, Xml("gpxtpx:TrackPointExtension")) >= 0 &&
             xmlTextWriterWriteElement(w, Xml("gpxtpx:speed"),
                                       Xml(SpeedText(*point.metresPerSecond))) >= 0 &&
             xmlTextWriterEndElement(w) >= 0 && xmlTextWriterEndElement(w) >= 0;
    }
    return ok && xmlTextWriterEndElement(w) >= 0;
}

bool WriteDocument(xmlTextWriterPtr w, const CalendarDate& date,
                   const std::vector<Segment>& segments) {
    bool ok =
        xmlTextWriterSetIndent(w, 1) >= 0 && xmlTextWriterSetIndentString(w, Xml("  ")) >= 0 &&
        xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0 &&
        xmlTextWriterStartElement(w, Xml("gpx")) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("version"), Xml("1.1")) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("creator"), Xml("Tramlet")) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("xmlns"), Xml(kGpxNamespace)) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("xmlns:gpxtpx"), Xml(kExtensionNamespace)) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("xmlns:xsi"),
                                    Xml("http://www.w3.org/2001/XMLSchema-instance")) >= 0 &&
        xmlTextWriterWriteAttribute(w, Xml("xsi:schemaLocation"), Xml(kSchemaLocations)) >= 0 &&
        xmlTextWriterStartElement(w, Xml("trk")) >= 0 &&
        xmlTextWriterWriteElement(w, Xml("name"), Xml(TrackName(date))) >= 0;
    for (const Segment& segment : segments) {
        ok = ok && xmlTextWriterStartElement(w, Xml("trkseg")) >= 0;
        for (size_t i = 0; ok && i < segment.size(); ++i)
            ok = WritePoint(w, segment[i]);
        ok = ok && xmlTextWriterEndElement(w) >= 0;
    }
    return ok && xmlTextWriterEndDocument(w) >= 0;
}

// The destination while it is being written: a temporary beside it that
// libxml2 writes through, renamed into place only once complete, so a full
// disk or a crash never leaves a truncated track under the real name.
class GpxFile {
  public:
    explicit GpxFile(const std::string& destination) : file_(destination) {
        if (!file_.Ok())
            return;
        xmlOutputBufferPtr out = xmlOutputBufferCreateIO(Write, nullptr, this, nullptr);
        writer_ = out ? xmlNewTextWriter(out) : nullptr;
        if (!writer_) {
            if (out)
                xmlOutputBufferClose(out);
            error_ = ENOMEM;
        }
    }
    ~GpxFile() {
        if (writer_)
            xmlFreeTextWriter(writer_);
    }
    GpxFile(const GpxFile&) = delete;
    GpxFile& operator=(const GpxFile&) = delete;

    xmlTextWriterPtr Writer() const { return writer_; }
    // The errno of what failed; 0 while all is well.
    int Error() const { return error_ != 0 ? error_ : file_.Error(); }

    // Ends the writing and puts the file in place; false with Error() set.
    bool Commit(bool written) {
        xmlFreeTextWriter(std::exchange(writer_, nullptr));
        if (!written && error_ == 0)
            error_ = EIO;  // libxml2 failed without a write failing
        if (error_ != 0)
            return false;
        ::fchmod(file_.Fd(), 0644);
        error_ = file_.Commit();
        return error_ == 0;
    }

  private:
    static int Write(void* context, const char* data, int size) {
        auto* self = static_cast<GpxFile*>(context);
        for (int done = 0; done < size;) {
            const ssize_t wrote =
                ::write(self->file_.Fd(), data + done, static_cast<size_t>(size - done));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0) {
                self->error_ = wrote == 0 ? ENOSPC : errno;
                return -1;
            }
            done += static_cast<int>(wrote);
        }
        return size;
    }

    AtomicFile file_;
    int error_ = 0;
    xmlTextWriterPtr writer_ = nullptr;
};

Unexpected<Failure<GpxError>> WriteFailure(const std::string& output, int error) {
    return {{GpxError::kWriteFailed, error,
             "cannot write " + output + ": " + std::generic_category().message(error)}};
}

}  // namespace

GpxResult WriteDayGpx(const GpxRequest& request) {
    const std::vector<Segment> segments = CollectSegments(request);
    if (segments.empty())
        return Unexpected(Failure<GpxError>{GpxError::kNoFix, 0, "no GPS fix"});
    xmlInitParser();  // libxml2's globals, before any thread of ours uses them
    GpxFile file(request.output);
    if (!file.Writer())
        return WriteFailure(request.output, file.Error());
    const bool written = WriteDocument(file.Writer(), request.date, segments);
    if (!file.Commit(written))
        return WriteFailure(request.output, file.Error());
    int points = 0;
    for (const Segment& segment : segments)
        points += static_cast<int>(segment.size());
    return points;
}

}  // namespace tramlet
