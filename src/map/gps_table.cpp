#include "map/gps_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "catalogue/storage_layout.h"
#include "map/c_number.h"

namespace tramlet {
namespace {

constexpr int kTokensUsed = 5;
// Keeps memory bounded on hostile logs: a longer token is read by its first
// characters, more than any real coordinate has.
constexpr size_t kMaxTokenLength = 256;

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
        if (digits == 0) return false;
        part = negative ? -value : value;
    }
    secondOfDay = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return true;
}

}  // namespace

// Splits a stream of log text into lines and the first five tokens of each,
// whatever the length of the line: a long line stays one line.
class GpsTable::LineReader {
public:
    explicit LineReader(GpsTable& table) : table_(table) {}

    void Feed(std::string_view text) {
        for (const char c : text) {
            if (c == '\n') {
                EndLine();
            } else if (IsSeparator(c)) {
                inToken_ = false;
            } else if (c == '\0') {
                lineCut_ = true;  // text after a NUL is not part of the line's string
                inToken_ = false;
            } else if (!lineCut_) {
                AddChar(c);
            }
        }
    }

    void EndLine() {
        const int used = std::min(count_, kTokensUsed);
        if (used > 0) {
            std::array<std::string_view, kTokensUsed> views;
            for (int i = 0; i < used; ++i) views[i] = tokens_[i];
            int second = 0;
            if (ParseTimeToken(views[0], second)) table_.Store(second, views.data() + 1, used - 1);
        }
        for (std::string& token : tokens_) token.clear();
        count_ = 0;
        inToken_ = false;
        lineCut_ = false;
    }

private:
    void AddChar(char c) {
        if (!inToken_) {
            inToken_ = true;
            ++count_;
        }
        if (count_ > kTokensUsed) return;
        std::string& token = tokens_[count_ - 1];
        if (token.size() < kMaxTokenLength) token.push_back(c);
    }

    GpsTable& table_;
    std::array<std::string, kTokensUsed> tokens_;
    int count_ = 0;  // tokens begun on this line, including ignored ones
    bool inToken_ = false;
    bool lineCut_ = false;
};

GpsTable::GpsTable() : entries_(kSecondsPerDay) {}

void GpsTable::ClearGpsTable() { std::fill(entries_.begin(), entries_.end(), GpsEntry{}); }

void GpsTable::Store(int secondOfDay, const std::string_view* values, int count) {
    if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay) return;
    GpsEntry& entry = entries_[secondOfDay];
    entry.present = 1;
    double* fields[4] = {&entry.value1, &entry.value2, &entry.value3, &entry.value4};
    for (int i = 0; i < count && i < 4; ++i) *fields[i] = ParseCNumber(values[i]);
}

void GpsTable::LoadGpsText(std::string_view text) {
    ClearGpsTable();
    LineReader reader(*this);
    reader.Feed(text);
    reader.EndLine();
}

void GpsTable::LoadGpsLog(std::string_view dataRoot, int year, int month, int day) {
    ClearGpsTable();
    const std::string path = GpsLogPath(dataRoot, year, month, day);
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return;
    LineReader reader(*this);
    std::vector<char> block(1 << 16);
    size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        reader.Feed(std::string_view(block.data(), got));
    }
    // A read error ends the log; what was read so far stays.
    reader.EndLine();
}

const GpsEntry& GpsTable::FindGpsFix(int secondOfDay) const {
    if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay) return entries_[0];
    const int last = secondOfDay + kLookAhead - 1;
    for (int s = secondOfDay; s <= last && s < kSecondsPerDay; ++s) {
        if (entries_[s].present) return entries_[s];
    }
    return last < kSecondsPerDay ? entries_[last] : entries_[0];
}

int GpsTable::FixCount() const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [](const GpsEntry& e) { return e.present; }));
}

GpsTable& TheGpsTable() {
    static GpsTable table;
    return table;
}

}  // namespace tramlet
