#include "catalogue/clip_name.h"

#include "catalogue/storage_layout.h"

#include <chrono>
#include <cstdio>
#include <limits>

namespace tramlet {
namespace {

// One "%Nd" conversion: optional sign (counted in the width), then digits.
// Saturates instead of overflowing so hostile names stay defined behaviour.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    bool ReadNumber(int maxWidth, int& out) {
        size_t pos = pos_;
        while (pos < text_.size() && IsSpace(text_[pos]))
            ++pos;  // as %d does, outside the width
        const size_t limit = maxWidth > 0 ? pos + static_cast<size_t>(maxWidth) : text_.size();
        bool negative = false;
        if (pos < text_.size() && pos < limit && (text_[pos] == '+' || text_[pos] == '-')) {
            negative = text_[pos] == '-';
            ++pos;
        }
        long long value = 0;
        size_t digits = 0;
        while (pos < text_.size() && pos < limit && IsDigit(text_[pos])) {
            if (value < std::numeric_limits<int>::max())
                value = value * 10 + (text_[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0)
            return false;
        if (value > std::numeric_limits<int>::max())
            value = std::numeric_limits<int>::max();
        out = static_cast<int>(negative ? -value : value);
        pos_ = pos;
        return true;
    }

    bool ReadLiteral(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }

  private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

std::string ClipName::Stamp() const {
    return StartStamp(year, month, day, hour, minute, second);
}

bool ClipName::IsRealDate() const {
    namespace chrono = std::chrono;
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           chrono::year_month_day(chrono::year(year), chrono::month(static_cast<unsigned>(month)),
                                  chrono::day(static_cast<unsigned>(day)))
               .ok();
}

std::string ClipName::FileName() const {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s-%d-%d.avi", Stamp().c_str(), channel, duration);
    return buf;
}

std::optional<ClipName> ParseClipName(std::string_view name) {
    FieldReader in(name);
    ClipName c;
    const bool ok = in.ReadNumber(4, c.year) && in.ReadNumber(2, c.month) &&
                    in.ReadNumber(2, c.day) && in.ReadLiteral('-') && in.ReadNumber(2, c.hour) &&
                    in.ReadNumber(2, c.minute) && in.ReadNumber(2, c.second) &&
                    in.ReadLiteral('-') && in.ReadNumber(0, c.channel) && in.ReadLiteral('-') &&
                    in.ReadNumber(0, c.duration);
    if (!ok)
        return std::nullopt;
    return c;
}

}  // namespace tramlet
