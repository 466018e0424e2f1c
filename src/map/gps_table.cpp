#include "map/gps_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue/storage_layout.h"
#include "map/c_number.h"

namespace tramlet {
namespace {

constexpr int kTokensUsed = 5;
// Keeps memory bounded on hostile logs: a line is read by its first 64 KiB,
// far more than five numbers need; the rest of it is ignored, never taken for
// a line of its own.
constexpr size_t kMaxLineLength = 64 * 1024;

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// strtok's view of a line: runs of separators split it, and it ends at a NUL.
int SplitTokens(std::string_view line, std::array<std::string_view, kTokensUsed>& tokens) {
    if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
        line = line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data()));
    }
    int count = 0;
    size_t pos = 0;
    while (count < kTokensUsed) {
        while (pos < line.size() && IsSeparator(line[pos]))
            ++pos;
        if (pos == line.size())
            break;
        const size_t start = pos;
        while (pos < line.size() && !IsSeparator(line[pos]))
            ++pos;
        tokens[count++] = line.substr(start, pos - start);
    }
    return count;
}

// The time token as three numbers of at most two characters each (a sign
// counts toward the width, as in a formatted read). Fewer than three numbers
// is not a time.
bool ParseTimeToken(std::string_view token, int& secondOfDay) {
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

}  // namespace

// Cuts a stream of log text into lines, whatever their length: only a line
// that straddles two reads is copied, and only its first kMaxLineLength bytes.
class GpsTable::LineReader {
  public:
    explicit LineReader(GpsTable& table) : table_(table) {}

    void Feed(std::string_view text) {
        while (!text.empty()) {
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
    return e.value1 >= -90 && e.value1 <= 90 && e.value2 >= -180 && e.value2 <= 180 &&
           e.value3 >= 0 && e.value3 <= kMaxSpeedKmh && std::isfinite(e.value4);
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
    std::array<std::string_view, kTokensUsed> tokens;
    const int count = SplitTokens(line.substr(0, kMaxLineLength), tokens);
    if (count == 0)
        return;
    ++lastLoad_.lines;
    int second = 0;
    if (!ParseTimeToken(tokens[0], second) || second < 0 || second >= kSecondsPerDay) {
        ++lastLoad_.skipped;
        return;
    }
    GpsEntry entry = entries_[second];
    double* const values[] = {&entry.value1, &entry.value2, &entry.value3, &entry.value4};
    for (int i = 1; i < count; ++i)
        *values[i - 1] = ParseCNumber(tokens[i]);
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

GpsLoadReport GpsTable::LoadGpsLog(std::string_view dataRoot, int year, int month, int day) {
    ClearGpsTable();
    const std::string path = GpsLogPath(dataRoot, year, month, day);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return lastLoad_;
    LineReader reader(*this);
    std::vector<char> block(1 << 16);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        reader.Feed(std::string_view(block.data(), got));
    }
    // A read error ends the log; what was read so far stays.
    reader.Finish();
    lastLoad_.read = !std::ferror(file.get());
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

GpsTable& TheGpsTable() {
    static GpsTable table;
    return table;
}

}  // namespace tramlet
