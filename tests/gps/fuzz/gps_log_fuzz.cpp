// Fuzz target over the GPS log reader. Input: a day's log. Besides "no
// crash, no sanitizer report" it checks on every input that
//   - every second with a fix holds values a place and a car can have, and
//     the lookup yields a fix or an empty entry, never anything between;
//   - the report counts what the table holds;
//   - the log read from a file (under TMPDIR) is the log read from memory;
//   - the log read by the general line reader (every line led by a space,
//     which it skips) is the log read by the fast one for the recorder's shape;
//   - a number reads as the C library reads it in the C locale (the input's
//     first line as one token).
// Entries are checked at every 61st second, from an offset that the input
// picks: a check of all 86,400 on every input would leave the fuzzer a few
// dozen inputs a second.
#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <string_view>

#include "catalogue/storage_layout.h"
#include "gps/c_number.h"
#include "gps/gps_table.h"
#include "support/fuzz_check.h"

namespace {

using namespace tramlet;

bool IsEmpty(const GpsEntry& e) {
    return !e.present && e.latitude == 0 && e.longitude == 0 && e.speedKmh == 0 && e.heading == 0;
}

bool SameFix(const GpsEntry* a, const GpsEntry* b) {
    return a == b || (a && b && a->latitude == b->latitude && a->longitude == b->longitude &&
                      a->speedKmh == b->speedKmh && a->heading == b->heading);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static GpsTable fromText;
    static GpsTable fromFile;
    static GpsTable general;
    const GpsLoadReport report = fromText.LoadGpsText(text);

    const int fixes = fromText.FixCount();
    FUZZ_CHECK(report.read && report.fixes == fixes);
    FUZZ_CHECK(report.skipped <= report.lines && fixes <= report.lines);
    const int offset = static_cast<int>(size == 0 ? 0 : (data[0] * 131 + size) % 61);
    for (int s = offset; s < GpsTable::kSecondsPerDay; s += 61) {
        const GpsEntry* fix = fromText.FixAt(s);
        FUZZ_CHECK(!fix || IsPossibleFix(*fix));
    }
    for (const int s : {-1, offset * 1409, 86399, 86400}) {
        const GpsEntry& found = fromText.FindGpsFix(s);
        FUZZ_CHECK(IsEmpty(found) || (found.present && IsPossibleFix(found)));
    }

    std::string spaced = " ";
    for (const char c : text)
        spaced += c == '\n' ? std::string_view("\n ") : std::string_view(&c, 1);
    const GpsLoadReport generalReport = general.LoadGpsText(spaced);
    FUZZ_CHECK(generalReport.lines == report.lines && generalReport.skipped == report.skipped &&
               generalReport.fixes == report.fixes);
    for (int s = offset; s < GpsTable::kSecondsPerDay; s += 61)
        FUZZ_CHECK(SameFix(fromText.FixAt(s), general.FixAt(s)));

    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string token(text.substr(0, text.find_first_of(std::string_view("\n\0", 2))));
    const double expected = strtod_l(token.c_str(), nullptr, cLocale);
    const double parsed = ParseCNumber(token);
    FUZZ_CHECK(parsed == expected || (std::isnan(parsed) && std::isnan(expected)));

    const DataRootPath root(test::FuzzScratch("tramlet-gps-fuzz").string());
    std::filesystem::create_directories(GpsFolder(root));
    std::ofstream(GpsLogPath(root, 2012, 3, 5), std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const GpsLoadReport fileReport = fromFile.LoadGpsLog(root, 2012, 3, 5);
    FUZZ_CHECK(fileReport.read && fileReport.lines == report.lines &&
               fileReport.skipped == report.skipped && fileReport.fixes == report.fixes);
    for (int s = offset; s < GpsTable::kSecondsPerDay; s += 61)
        FUZZ_CHECK(SameFix(fromText.FixAt(s), fromFile.FixAt(s)));
    return 0;
}
