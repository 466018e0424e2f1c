#include "session/calendar_model.h"

#include <algorithm>
#include <chrono>

namespace tramlet {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

year_month_day ToChrono(const CalendarDate& date) {
    return year(date.year) / month(static_cast<unsigned>(date.month)) /
           day(static_cast<unsigned>(date.day));
}

CalendarDate FromChrono(const year_month_day& date) {
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

int MonthIndex(int y, int m) {
    return y * 12 + m - 1;
}

}  // namespace

CalendarModel::CalendarModel(const CalendarDate& today) {
    SetSelectedDate(today);
}

void CalendarModel::SetSelectedDate(const CalendarDate& date) {
    if (!ToChrono(date).ok())
        return;
    selected_ = date;
    pageYear_ = date.year;
    pageMonth_ = date.month;
}

void CalendarModel::ShowPage(int y, int m) {
    const year_month_day first = year(y) / month(static_cast<unsigned>(m)) / 1;
    if (!first.ok())
        return;
    const auto last = static_cast<unsigned>(
        (year(y) / month(static_cast<unsigned>(m)) / std::chrono::last).day());
    SetSelectedDate({y, m, std::min(selected_.day, static_cast<int>(last))});
}

// The grid always shows some days of the month before, a whole week when the
// first of the month falls on a Sunday.
CalendarDate CalendarModel::FirstShownDate() const {
    const sys_days first = year(pageYear_) / month(static_cast<unsigned>(pageMonth_)) / 1;
    unsigned lead = std::chrono::weekday(first).c_encoding();
    if (lead == 0)
        lead = 7;
    return FromChrono(year_month_day(first - std::chrono::days(lead)));
}

ShownMonths CalendarModel::ShownMonthRange() const {
    return {3, FirstShownDate()};
}

bool CalendarModel::IsMarked(const CalendarDate& date) const {
    const CalendarDate first = FirstShownDate();
    const int index = MonthIndex(date.year, date.month) - MonthIndex(first.year, first.month);
    if (index < 0 || static_cast<std::size_t>(index) >= masks_.size() || date.day < 1 ||
        date.day > 32)
        return false;
    return (masks_[static_cast<std::size_t>(index)] >> (date.day - 1)) & 1u;
}

}  // namespace tramlet
