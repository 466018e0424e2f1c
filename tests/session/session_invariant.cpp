// What the user sees names one moment of one day: the label, the sliders,
// the timeline, the buttons, every channel's picture and what the map page
// was told all agree.
#include <sstream>

#include "gps/coordinate_text.h"
#include "session_world.h"

namespace tramlet::test {
namespace {

constexpr std::int64_t kSecond = kMediaTimePerSecond;

}  // namespace

std::string SessionWorld::CheckInvariant() const {
    const ViewingSession& s = *session_;
    const RecordingPlayer& r = s.Recording();
    std::ostringstream out;
    const bool root = s.DataRoot().Text() != ".";
    const CalendarDate date = s.Catalogue().SelectedDate();
    const Moment t = s.ChosenMoment();
    const std::string label = !root           ? ""
                              : s.HasMoment() ? TimeText(date, t)
                                              : TimeText(date, {}).substr(0, 10);
    if (s.Label() != label)
        out << "label '" << s.Label() << "' for '" << label << "'; ";
    if (root && !(s.Calendar().SelectedDate() == date))
        out << "calendar shows another day; ";
    if (!(s.SliderMoment() == (s.HasMoment() ? t : Moment{})))
        out << "sliders apart from the moment; ";
    const int second = t.SecondOfDay();
    if (r.IsOpen()) {
        const int start = r.StartSecond();
        if (!s.HasMoment() || second < start || second > start + r.LengthSeconds())
            out << "the open recording " << Hhmmss(r.Start()) << " does not cover the moment; ";
        if (s.Timeline() != TimelinePosition(second, start, r.LengthSeconds()))
            out << "timeline " << s.Timeline() << "; ";
        if (s.VideoNote() != ViewingSession::Note::kNone)
            out << "a note over an open recording; ";
    } else {
        if (s.VideoNote() == ViewingSession::Note::kNone)
            out << "nothing open and nothing said; ";
        if (s.Timeline() != 0)
            out << "timeline without a recording; ";
    }
    const ViewingSession::Buttons buttons = s.TransportButtons();
    const ViewingSession::Buttons expected{r.IsOpen() && !r.IsPlaying(), r.IsPlaying(), r.IsOpen(),
                                           r.IsOpen()};
    if (!(buttons == expected))
        out << "buttons; ";
    // Stepping from key frame to key frame, the players stand.
    const bool shouldRun = r.IsPlaying() && !r.Slots().AnyLoading() && !r.IsStepping();
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        const Player* p = r.Slots().At(k);
        const bool chosen = !r.IsSingleView() || k == r.SelectedChannel();
        if (p && p->IsRunning() != (shouldRun && chosen))
            out << "CH" << k + 1 << (p->IsRunning() ? " runs" : " stands") << "; ";
        if (const auto* fake = dynamic_cast<const FakePlayer*>(p);
            fake && fake->held && !r.IsStepping())
            out << "CH" << k + 1 << " holds a picture back; ";
    }
    out << CheckFrames() << CheckPage();
    return out.str();
}

// Paused, each picture shows the moment's second, to within a frame; while
// playing, the label may be up to one tick behind the pictures.
std::string SessionWorld::CheckFrames() const {
    const ViewingSession& s = *session_;
    const RecordingPlayer& r = s.Recording();
    std::ostringstream out;
    if (!r.IsOpen())
        return {};
    const std::int64_t t = s.ChosenMoment().SecondOfDay();
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        const Player* p = r.Slots().At(k);
        if (!p || r.Slots().StateOf(k) != PlayerSlots::State::kShown ||
            (r.IsSingleView() && k != r.SelectedChannel()))
            continue;
        const std::int64_t shown = std::min(p->Position(), *p->Duration() - p->FrameDuration());
        const std::int64_t low = r.StartSecond() + shown / kSecond;
        const std::int64_t high = r.StartSecond() + (shown + p->FrameDuration()) / kSecond;
        const bool agrees = t <= high && t >= (p->IsRunning() ? low - 1 : low);
        if (!agrees)
            out << "CH" << k + 1 << " shows second " << low << " for " << t << "; ";
    }
    return out.str();
}

std::string SessionWorld::CheckPage() const {
    const ViewingSession& s = *session_;
    std::ostringstream out;
    const bool root = s.DataRoot().Text() != ".";
    if (page_.date != (root ? Yyyymmdd(s.Catalogue().SelectedDate()) : ""))
        out << "page shows day '" << page_.date << "'; ";
    std::vector<std::string> points;
    if (root) {
        for (const DayTime& d : s.Catalogue().Recordings())
            points.push_back(Hhmmss({d.hour, d.minute, d.second}));
    }
    if (page_.points != points)
        out << "page lists other recordings; ";
    const std::string open = s.Recording().IsOpen() ? Hhmmss(s.Recording().Start()) : "";
    if (page_.open != open)
        out << "page marks '" << page_.open << "' for '" << open << "'; ";
    std::string position = "2\t0.000000\t0.000000\t0.000000";
    if (s.HasMoment()) {
        const GpsEntry& fix = s.Gps().FindGpsFix(s.ChosenMoment().SecondOfDay());
        position = "2\t" + CoordinateText(fix.latitude) + "\t" + CoordinateText(fix.longitude) +
                   "\t" + CoordinateText(fix.speedKmh);
    }
    if (page_.position != position)
        out << "page shows the car elsewhere; ";
    return out.str();
}

}  // namespace tramlet::test
