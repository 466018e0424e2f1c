#include "gps/gps_table.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue/storage_layout.h"
#include "gps/c_number.h"

namespace tramlet {
namespace {

constexpr int kValuesUsed = 4;
// Keeps memory bounded on hostile logs: a line is read by its first 64 KiB,
// far more than five numbers need; the rest of it is ignored, never taken for
// a line of its own.
constexpr size_t kMaxLineLength = 64 * 1024;

// strtok's view of a line: runs of separators split it, and it ends at a NUL.
enum CharClass : std::uint8_t { kPart, kSeparator, kLineEnd };

constexpr std::array<CharClass, 256> kClasses = [] {
    std::array<CharClass, 256> classes{};
    for (const unsigned char c : {' ', '\t', '\r', '\n'})
        classes[c] = kSeparator;
    classes[0] = kLineEnd;
    return classes;
}();

CharClass ClassOf(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}

class Tokens {
  public:
    explicit Tokens(std::string_view line) : line_(line) {}

    // Skips to the next token; false at the end of the line.
    bool Next() {
        while (pos_ < line_.size() && ClassOf(line_[pos_]) == kSeparator)
            ++pos_;
        return pos_ < line_.size() && ClassOf(line_[pos_]) == kPart;
    }

    std::string_view Take() {
        const size_t start = pos_;
        while (pos_ < line_.size() && ClassOf(line_[pos_]) == kPart)
            ++pos_;
        return line_.substr(start, pos_ - start);
    }

    // The token as a number. A plain decimal, the shape of nearly every
    // value, is read as its end is found.
    double TakeNumber() {
        double value = 0;
        const size_t plain = ReadPlainDecimal(line_.substr(pos_), value);
        if (plain > 0 && (pos_ + plain == line_.size() || ClassOf(line_[pos_ + plain]) != kPart)) {
            pos_ += plain;
            return value;
        }
        return ParseCNumber(Take());
    }

  private:
    std::string_view line_;
    size_t pos_ = 0;
};

// The time token as three numbers of at most two characters each (a sign
// counts toward the width, as in a formatted read). Fewer than three numbers
// is not a time.
bool ParseTimeToken(std::string_view token, int& secondOfDay) {
    const auto digit = [&token](size_t i) { return static_cast<unsigned>(token[i] - '0'); };
    if (token.size() == 6 && digit(0) < 10 && digit(1) < 10 && digit(2) < 10 && digit(3) < 10 &&
        digit(4) < 10 && digit(5) < 10) {
        // The recorder's own shape, HHMMSS, at once.
        secondOfDay = static_cast<int>((digit(0) * 10 + digit(1)) * 3600 +
                                       (digit(2) * 10 + digit(3)) * 60 + digit(4) * 10 + digit(5));
        return true;
    }
    size_t pos = 0;
    int parts[3];
    for (int& part : parts) {
        const size_t limit = pos + 2;
        bool negative = false;
        if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) {
            negative = token[pos++] == '-';
        }
        int value = 0;
        size_t digits = 0;
        for (; pos < token.size() && pos < limit && token[pos] >= '0' && token[pos] <= '9'; ++pos) {
            value = value * 10 + (token[pos] - '0');
            ++digits;
        }
        if (digits == 0)
            return false;
        part = negative ? -value : value;
    }
    secondOfDay = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return true;
}

// A line in the recorder's own shape, "HHMMSS a b c d", then "\r\n" or
// "\n", read in one pass; returns the characters taken with the line end, or
// 0 when the text does not start with such a line (the general reader then
// takes it). Nearly every line of a log has this shape.
size_t ReadRecorderLine(std::string_view text, int& second, double (&values)[kValuesUsed]) {
    constexpr size_t kTimeLength = 6;
    if (text.size() <= kTimeLength || text[kTimeLength] != ' ' ||
        !ParseTimeToken(text.substr(0, kTimeLength), second) || second < 0 ||
        second >= GpsTable::kSecondsPerDay)
        return 0;
    size_t pos = kTimeLength;
    for (double& value : values) {
        if (pos >= text.size() || text[pos] != ' ')
            return 0;
        const size_t length = ReadPlainDecimal(text.substr(++pos), value);
        if (length == 0)
            return 0;
        pos += length;
    }
    if (pos < text.size() && text[pos] == '\r')
        ++pos;
    return pos < text.size() && text[pos] == '\n' ? pos + 1 : 0;
}

}  // namespace

// Cuts a stream of log text into lines, whatever their length: only a line
// that straddles two reads is copied, and only its first kMaxLineLength bytes.
class GpsTable::LineReader {
  public:
    explicit LineReader(GpsTable& table) : table_(table) {}

    void Feed(std::string_view text) {
        while (!text.empty()) {
            if (partial_.empty()) {
                int second = 0;
                double values[kValuesUsed];
                if (const size_t taken = ReadRecorderLine(text, second, values)) {
                    table_.StoreTimedLine(second, values);
                    text.remove_prefix(taken);
                    continue;
                }
            }
            const void* newline = std::memchr(text.data(), '\n', text.size());
            const size_t length =
                newline ? static_cast<size_t>(static_cast<const char*>(newline) - text.data())
                        : text.size();
            const std::string_view piece = text.substr(0, length);
            if (newline && partial_.empty()) {
                table_.StoreLine(piece);
            } else {
                partial_.append(
                    piece.substr(0, kMaxLineLength - std::min(kMaxLineLength, partial_.size())));
                if (newline)
                    Finish();
            }
            text.remove_prefix(newline ? length + 1 : length);
        }
    }

    void Finish() {
        table_.StoreLine(partial_);
        partial_.clear();
    }

  private:
    GpsTable& table_;
    std::string partial_;
};

bool IsPossibleFix(const GpsEntry& e) {
    // Written so that NaN fails every comparison.
    return e.latitude >= -90 && e.latitude <= 90 && e.longitude >= -180 && e.longitude <= 180 &&
           e.speedKmh >= 0 && e.speedKmh <= kMaxSpeedKmh && std::isfinite(e.heading);
}

GpsTable::GpsTable() : entries_(kSecondsPerDay) {}

void GpsTable::ClearGpsTable() {
    std::fill(entries_.begin(), entries_.end(), GpsEntry{});
    lastLoad_ = GpsLoadReport{};
}

// A later line for the same second overwrites the values it carries; the
// second is judged as it would then stand, and a line that would make it
// impossible changes nothing.
void GpsTable::StoreLine(std::string_view line) {
    Tokens tokens(line.substr(0, kMaxLineLength));
    if (!tokens.Next())
        return;
    int second = 0;
    if (!ParseTimeToken(tokens.Take(), second) || second < 0 || second >= kSecondsPerDay) {
        ++lastLoad_.lines;
        ++lastLoad_.skipped;
        return;
    }
    const GpsEntry& stored = entries_[second];
    double values[kValuesUsed] = {stored.latitude, stored.longitude, stored.speedKmh,
                                  stored.heading};
    for (int i = 0; i < kValuesUsed && tokens.Next(); ++i)
        values[i] = tokens.TakeNumber();
    StoreTimedLine(second, values);
}

void GpsTable::StoreTimedLine(int second, const double (&values)[kValuesUsed]) {
    ++lastLoad_.lines;
    GpsEntry entry = entries_[second];
    entry.latitude = values[0];
    entry.longitude = values[1];
    entry.speedKmh = values[2];
    entry.heading = values[3];
    if (!IsPossibleFix(entry)) {
        ++lastLoad_.skipped;
        return;
    }
    if (!entry.present)
        ++lastLoad_.fixes;
    entry.present = 1;
    entries_[second] = entry;
}

GpsLoadReport GpsTable::LoadGpsText(std::string_view text) {
    ClearGpsTable();
    LineReader reader(*this);
    reader.Feed(text);
    reader.Finish();
    lastLoad_.read = true;
    return lastLoad_;
}

GpsLoadReport GpsTable::LoadGpsLog(const DataRootPath& dataRoot, int year, int month, int day) {
    ClearGpsTable();
    const std::string path = GpsLogPath(dataRoot, year, month, day);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        const int error = errno;
        lastLoad_.failure = {error == ENOENT ? GpsLogProblem::kMissing : GpsLogProblem::kUnreadable,
                             error, path + ": " + std::strerror(error)};
        return lastLoad_;
    }
    LineReader reader(*this);
    std::vector<char> block(1 << 16);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        reader.Feed(std::string_view(block.data(), got));
    }
    // A read error ends the log; what was read so far stays.
    const int error = errno;
    reader.Finish();
    lastLoad_.read = !std::ferror(file.get());
    if (!lastLoad_.read)
        lastLoad_.failure = {GpsLogProblem::kUnreadable, error, path + ": " + std::strerror(error)};
    return lastLoad_;
}

const GpsEntry& GpsTable::FindGpsFix(int secondOfDay) const {
    if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay)
        return entries_[0];
    const int last = secondOfDay + kLookAhead - 1;
    for (int s = secondOfDay; s <= last && s < kSecondsPerDay; ++s) {
        if (entries_[s].present)
            return entries_[s];
    }
    return last < kSecondsPerDay ? entries_[last] : entries_[0];
}

const GpsEntry* GpsTable::FixAt(int secondOfDay) const {
    if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay || !entries_[secondOfDay].present)
        return nullptr;
    return &entries_[secondOfDay];
}

int GpsTable::FixCount() const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                          [](const GpsEntry& e) { return e.present; }));
}

}  // namespace tramlet
