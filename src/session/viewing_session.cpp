#include "session/viewing_session.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "map/day_track.h"
#include "map/track_message.h"
#include "playback/speed_steps.h"
#include "playback/time_selection.h"

namespace tramlet {
namespace {

constexpr int kLastSecondOfDay = 86399;
constexpr double kZoomPerNotch = 1.25;

std::int64_t FloorSeconds(std::int64_t position) {
    const std::int64_t s = position / kMediaTimePerSecond;
    return position < 0 && s * kMediaTimePerSecond != position ? s - 1 : s;
}

}  // namespace

ViewingSession::ViewingSession(SessionHost& host, PlayerSlots::Factory players,
                               const CalendarDate& today)
    : m_host(host),
      m_calendar(today),
      m_pages(PageMessages::Hooks{
          [this] { return m_recording.IsPlaying(); },
          [this] {
              const std::optional<int> start = RecordingStart();
              const CalendarDate& d = m_catalogue.SelectedDate();
              const Moment s = Moment::FromSecondOfDay(start.value_or(0));
              return start ? StartStamp(d.year, d.month, d.day, s.hour, s.minute, s.second)
                           : std::string();
          },
      }),
      m_recording(std::move(players)) {}

// ---- The data root ----

void ViewingSession::Start(const std::vector<MountedVolume>& volumes,
                           const std::string& workingFolder) {
    m_root.Start(volumes, workingFolder);
    RequestRepair(true);
}

// A folder chosen by hand, a vehicle of the library above all, is opened for
// what it holds: when the month shown has none of it, its newest day shows.
// A vehicle's folder may hold years of clips: it is listed once for both.
void ViewingSession::ChooseFolder(const std::string& folder) {
    m_root.Choose(folder);
    ForgetOldRoot();
    // A pass still running over the old root has nothing to load after it.
    m_reloadAfterRepair = false;
    const FolderListing video = ReadVideoFolder(DataRoot());
    ScanMonth(true, video);
    if (!m_catalogue.Recordings().empty())
        return;
    if (const std::optional<CalendarDate> newest = NewestClipDay(video)) {
        m_calendar.SetSelectedDate(*newest);
        ScanMonth(false, video);
    }
}

void ViewingSession::OnVolumesChanged(const std::vector<MountedVolume>& volumes) {
    const DataRootWatch::Change change = m_root.Update(volumes);
    if (change.rootLeft)
        OnRootLeft();
    if (change.cardArrived) {
        ForgetOldRoot();
        RequestRepair(true);
    }
}

// What was shown came from the old root: none of it stays.
void ViewingSession::ForgetOldRoot() {
    ClosePlayback();
    ResetDateAndMoment();
    m_host.ReloadMapPage();
}

void ViewingSession::OnRootLeft() {
    ClosePlayback();
    ResetDateAndMoment();
    m_gps.ClearGpsTable();
    m_pages.ClearDayMessage();
    m_host.ReloadMapPage();
    ScanMonth(false);
}

void ViewingSession::RepairAgain() {
    if (HasRoot())
        RequestRepair(false);
}

// A pass asked for while one runs waits for it, and runs once, on the data
// root as it is by then.
void ViewingSession::RequestRepair(bool newRoot) {
    m_reloadAfterRepair |= newRoot;
    if (m_repairRunning) {
        m_repairAgain = true;
        return;
    }
    m_repairRunning = true;
    m_host.RequestRepair(DataRoot());
}

// Repaired clips have their real names now: the month is listed afresh. A
// pass over the same root leaves what is open alone.
void ViewingSession::OnRepairFinished() {
    if (std::exchange(m_repairAgain, false) && HasRoot()) {
        m_host.RequestRepair(DataRoot());
        return;
    }
    m_repairRunning = false;
    if (std::exchange(m_reloadAfterRepair, false)) {
        ScanMonth(true);
        return;
    }
    m_catalogue.SetSelectedDate({});
    m_catalogue.ScanMonth(DataRoot(), m_calendar, false);
    SetDayMessages();
}

// ---- The calendar ----

void ViewingSession::OnCalendarPage(int year, int month) {
    if (year == m_calendar.PageYear() && month == m_calendar.PageMonth())
        return;
    m_calendar.ShowPage(year, month);
    ScanMonth(false);
}

void ViewingSession::OnCalendarSelection(const CalendarDate& date) {
    if (date == m_calendar.SelectedDate() && date == m_catalogue.SelectedDate())
        return;
    OnDayClicked(date);
}

void ViewingSession::OnDayClicked(const CalendarDate& date) {
    const bool otherMonth =
        date.year != m_calendar.PageYear() || date.month != m_calendar.PageMonth();
    m_calendar.SetSelectedDate(date);
    if (otherMonth)
        ScanMonth(false);
    else
        SelectDay();
}

// Marks the days of the shown month that hold recordings, then shows the
// calendar's day; with autoSelect that is the month's first day with clips.
void ViewingSession::ScanMonth(bool autoSelect) {
    ScanMonth(autoSelect, ReadVideoFolder(DataRoot()));
}

void ViewingSession::ScanMonth(bool autoSelect, const FolderListing& video) {
    m_catalogue.SetSelectedDate({});
    m_catalogue.ScanMonth(video, m_calendar, autoSelect);
    SelectDay(video);
}

void ViewingSession::SelectDay() {
    SelectDay(ReadVideoFolder(DataRoot()));
}

// A day shows from its first recording, or says it has none.
void ViewingSession::SelectDay(const FolderListing& video) {
    ClosePlayback();
    const CalendarDate date = m_calendar.SelectedDate();
    m_catalogue.SetSelectedDate(date);
    m_catalogue.SelectDay(video, date);
    const GpsLoadReport gps = m_gps.LoadGpsLog(DataRoot(), date.year, date.month, date.day);
    if (gps.skipped > 0) {
        m_host.Log(GpsLogPath(DataRoot(), date.year, date.month, date.day) + ": " +
                   std::to_string(gps.skipped) + " of " + std::to_string(gps.lines) +
                   " lines hold no possible fix and were skipped");
    }
    m_hasMoment = false;
    m_hour = m_minute = m_second = 0;
    m_catalogue.MarkMinutesAndSeconds(0, 0, 0);
    SetDayMessages();
    m_pages.ClearPositionMessage();
    m_pages.SetClipMessage("");
    if (m_catalogue.Recordings().empty())
        return;
    const DayTime first = *m_catalogue.Recordings().begin();
    if (OpenRecordingAt(first, 0))
        SetMoment({first.hour, first.minute, first.second});
}

// The day with its recordings and route, for the page's next poll; an
// empty day message once the card is gone.
void ViewingSession::SetDayMessages() {
    if (!HasRoot()) {
        m_pages.ClearDayMessage();
        return;
    }
    const CalendarDate date = m_catalogue.SelectedDate();
    m_pages.SetDayMessage(DayMessageHead(date) + BuildDayTrack(m_catalogue.Recordings(), m_gps),
                          true);
    m_pages.SetTrackMessage(BuildTrackMessage(date, m_catalogue.Recordings(), m_gps));
}

// ---- Time and transport ----

void ViewingSession::OnSliderDrag(const Moment& sliders) {
    m_dragged = sliders;
}

void ViewingSession::OnMomentChosen(const Moment& moment) {
    m_dragged.reset();
    const int t = moment.SecondOfDay();
    if (m_recording.IsOpen() && InOpenRecording(t)) {
        m_recording.Seek(MediaOffset(t, m_recording.StartSecond()), SeekMode::kExact);
    } else {
        ClosePlayback();
        m_pages.SetClipMessage("");
        if (const DayTime* record = FindCoveringRecord(m_catalogue.Recordings(), t)) {
            const DayTime found = *record;
            OpenRecordingAt(found, MediaOffset(t, found.StartSecond()));
        }
    }
    SetMoment(moment);
}

// The open recording covers its own end too, unless another recording
// starts there.
bool ViewingSession::InOpenRecording(int t) const {
    const int start = m_recording.StartSecond();
    const int end = start + m_recording.LengthSeconds();
    if (t < start || t > end)
        return false;
    if (t < end)
        return true;
    const DayTime* other = FindCoveringRecord(m_catalogue.Recordings(), t);
    return !other || other->StartSecond() == start;
}

void ViewingSession::OnTimelineCommitted(int percent) {
    m_dragged.reset();
    if (!m_recording.IsOpen())
        return;
    const std::int64_t target = percent * m_recording.Duration() / 100;
    m_recording.Seek(target, SeekMode::kExact);
    MomentFromPosition();
}

void ViewingSession::OnVolumeCommitted(int volume) {
    m_dragged.reset();
    m_recording.SetVolume(volume);
}

void ViewingSession::OnRateCommitted(int step) {
    m_dragged.reset();
    m_recording.SetRate(SpeedOfStep(step));
    FollowSteppedPictures();
}

void ViewingSession::FollowSteppedPictures() {
    if (m_recording.IsStepping())
        MomentFromPosition();
}

void ViewingSession::ShowChannelAlone(int k) {
    m_recording.ShowChannelAlone(k);
    FollowSteppedPictures();
}

void ViewingSession::LeaveSingleView() {
    m_recording.LeaveSingleView();
    FollowSteppedPictures();
}

void ViewingSession::OnPlay() {
    m_recording.Play();
}

void ViewingSession::OnPause() {
    m_recording.Pause();
    MomentFromPosition();
}

// A step that leaves the open recording goes on in the recording that covers
// that second, if there is one; otherwise it stops at the recording's end.
void ViewingSession::OnStep(int seconds) {
    if (!m_recording.IsOpen())
        return;
    const std::int64_t target = m_recording.Position() + seconds * kMediaTimePerSecond;
    const bool inside = target >= 0 && target <= m_recording.LastFramePosition();
    if (inside || !StepIntoNeighbour(target)) {
        m_recording.Seek(std::clamp<std::int64_t>(target, 0, m_recording.LastFramePosition()),
                         SeekMode::kExact);
        MomentFromPosition();
    }
}

bool ViewingSession::StepIntoNeighbour(std::int64_t target) {
    const int start = m_recording.StartSecond();
    const std::int64_t t = start + FloorSeconds(target);
    if (t < 0 || t > kLastSecondOfDay)
        return false;
    const DayTime* next = FindCoveringRecord(m_catalogue.Recordings(), static_cast<int>(t));
    if (!next || next->StartSecond() == start)
        return false;
    const DayTime found = *next;
    const std::int64_t offset = target - MediaOffset(found.StartSecond(), start);
    if (!OpenRecordingAt(found,
                         std::clamp<std::int64_t>(offset, 0, MediaOffset(found.duration, 0))))
        return false;
    SetMoment(Moment::FromSecondOfDay(static_cast<int>(t)));
    return true;
}

void ViewingSession::OnTick() {
    if (m_recording.IsPlaying() && !m_dragged)
        MomentFromPosition();
}

// The moment the heard channel's picture shows.
void ViewingSession::MomentFromPosition() {
    if (!m_recording.IsOpen())
        return;
    const std::int64_t p =
        std::clamp<std::int64_t>(m_recording.Position(), 0, m_recording.LastFramePosition());
    SetMoment(MomentAt(m_recording.StartSecond(), p));
}

void ViewingSession::SetMoment(const Moment& moment) {
    m_hasMoment = true;
    m_hour = moment.hour;
    m_minute = moment.minute;
    m_second = moment.second;
    m_pages.BuildPositionMessage(m_gps, moment.hour, moment.minute, moment.second);
    m_catalogue.MarkMinutesAndSeconds(moment.hour, moment.minute, moment.second);
    if (!m_recording.IsPlaying())
        m_recording.Cue();
}

// A double-click on a magnified picture shows it whole again; on any
// other, it shows that channel alone, or all of them again.
void ViewingSession::OnDoubleClick(int x, int y) {
    if (m_recording.IsOpen() && !m_recording.ResetZoomAt(x, y)) {
        m_recording.ToggleSingleViewAt(x, y);
        FollowSteppedPictures();
    }
}

void ViewingSession::OnFrameStep(int direction) {
    if (!m_recording.IsOpen() || m_recording.IsPlaying() || m_recording.Slots().AnyLoading())
        return;
    const std::int64_t frame = m_recording.Duration() - m_recording.LastFramePosition();
    const std::int64_t target = m_recording.Position() + direction * frame;
    if (target < 0 || target > m_recording.LastFramePosition())
        return;
    m_recording.StepFrame(direction);
    MomentFromPosition();
}

void ViewingSession::OnWheel(int x, int y, int notches) {
    m_recording.ZoomAt(x, y, std::pow(kZoomPerNotch, notches));
}

void ViewingSession::OnPlayerEvents() {
    HandleNews(m_recording.TakeNews());
}

void ViewingSession::HandleNews(const RecordingPlayer::News& news) {
    for (const std::string& failure : news.failures)
        m_host.ReportError(failure);
    if (news.lost) {
        ClosePlayback();
        m_openFailed = true;
        m_pages.SetClipMessage("");
        return;
    }
    if (news.leadMoved || news.pictured)
        MomentFromPosition();
    if (news.ended)
        OnEndOfStream();
}

// The first channel to end ends the recording: its last second shows, and
// the day's next recording plays on, if its clips are still there.
void ViewingSession::OnEndOfStream() {
    MomentFromPosition();
    m_recording.Pause();
    const DayTime* next = FindRecordAfter(m_catalogue.Recordings(), m_recording.Start());
    if (!next)
        return;
    const CalendarDate date = m_catalogue.SelectedDate();
    const std::string stamp =
        StartStamp(date.year, date.month, date.day, next->hour, next->minute, next->second);
    if (OpenRecording(stamp))
        m_recording.Play();
}

// ---- Opening ----

std::vector<PlayerSlots::ClipToOpen> ViewingSession::ClipsOf(const DayTime& record) const {
    const CalendarDate date = m_catalogue.SelectedDate();
    std::vector<PlayerSlots::ClipToOpen> clips;
    const int n = record.ChannelCount();
    for (int c = 1; c <= 4; ++c) {
        if (!record.channels[static_cast<std::size_t>(c - 1)])
            continue;
        const std::vector<std::string> found =
            FindFiles(ChannelClipPattern(DataRoot(), date.year, date.month, date.day, record.hour,
                                         record.minute, record.second, c));
        if (found.empty() || !ParseClipName(found.front()))
            continue;
        clips.push_back(
            {ClipPath(DataRoot(), found.front()), c - 1, static_cast<int>(clips.size()), n});
    }
    return clips;
}

// A recording whose clips are all gone since the day was listed opens
// nothing and leaves what is open alone.
bool ViewingSession::OpenRecordingAt(const DayTime& record, std::int64_t position) {
    const std::vector<PlayerSlots::ClipToOpen> clips = ClipsOf(record);
    if (clips.empty()) {
        m_openFailed = !m_recording.IsOpen();
        return false;
    }
    m_openFailed = false;
    m_recording.Open({record.hour, record.minute, record.second}, record.duration, clips, position);
    const CalendarDate date = m_catalogue.SelectedDate();
    m_pages.SetClipMessage(
        StartStamp(date.year, date.month, date.day, record.hour, record.minute, record.second));
    // Clips that could not even start loading are known at once.
    HandleNews(m_recording.TakeNews());
    return m_recording.IsOpen();
}

bool ViewingSession::OpenRecording(const std::string& stamp) {
    const std::optional<StartStampFields> fields = ParseStartStamp(stamp);
    if (!fields)
        return false;
    const DayTime* record = FindRecordStartingAt(m_catalogue.Recordings(), fields->start);
    if (!record)
        return false;
    if (!OpenRecordingAt(DayTime(*record), 0))
        return false;
    SetMoment(fields->start);
    return true;
}

void ViewingSession::ClosePlayback() {
    m_recording.Close();
    m_openFailed = false;
}

void ViewingSession::ResetDateAndMoment() {
    m_catalogue.SetSelectedDate({});
    m_hasMoment = false;
    m_hour = m_minute = m_second = 0;
}

// ---- The map page ----

// The page names recordings and moments of the day it was given; a stamp of
// another shape or day is not acted on.
bool ViewingSession::IsStampOfSelectedDay(const std::string& stamp) const {
    bool shaped = stamp.size() == 15;
    for (std::size_t i = 0; shaped && i < stamp.size(); ++i)
        shaped = i == 8 ? stamp[i] == '-' : stamp[i] >= '0' && stamp[i] <= '9';
    const std::optional<StartStampFields> fields = shaped ? ParseStartStamp(stamp) : std::nullopt;
    return fields && fields->date == m_catalogue.SelectedDate() && fields->start.hour <= 23 &&
           fields->start.minute <= 59 && fields->start.second <= 59;
}

void ViewingSession::ViewFromExpPos(const std::string& stamp) {
    if (IsStampOfSelectedDay(stamp))
        OpenRecording(stamp);
}

void ViewingSession::ViewFromTrack(const std::string& stamp) {
    if (IsStampOfSelectedDay(stamp))
        OnMomentChosen(ParseStartStamp(stamp)->start);
}

// ---- What the window shows ----

std::string ViewingSession::Label() const {
    if (!HasRoot() || !m_catalogue.SelectedDate().IsSet())
        return {};
    const std::string text = TimeText(m_catalogue.SelectedDate(), ChosenMoment());
    return m_hasMoment ? text : text.substr(0, 10);
}

Moment ViewingSession::SliderMoment() const {
    return m_dragged.value_or(ChosenMoment());
}

int ViewingSession::Timeline() const {
    if (!m_recording.IsOpen() || !m_hasMoment)
        return 0;
    return TimelinePosition(ChosenMoment().SecondOfDay(), m_recording.StartSecond(),
                            m_recording.LengthSeconds());
}

ViewingSession::Buttons ViewingSession::TransportButtons() const {
    const bool open = m_recording.IsOpen();
    return {open && !m_recording.IsPlaying(), m_recording.IsPlaying(), open, open};
}

ViewingSession::Note ViewingSession::VideoNote() const {
    if (!HasRoot())
        return Note::kCardRemoved;
    if (m_recording.IsOpen())
        return Note::kNone;
    if (m_catalogue.Recordings().empty())
        return Note::kDayWithoutRecordings;
    if (m_openFailed)
        return Note::kCannotOpen;
    return m_hasMoment ? Note::kMomentWithoutRecording : Note::kNone;
}

int ViewingSession::RatePosition() const {
    return StepOfSpeed(m_recording.Rate());
}

// The tick comes as the picture reaches the second after the one the label
// shows, so the label moves with the video at any speed, once per second of
// it; asked again before then, the answer is the same moment.
std::optional<int> ViewingSession::TickDelayMs() const {
    if (!m_recording.IsPlaying() || m_dragged)
        return std::nullopt;
    const std::int64_t next =
        MediaOffset(ChosenMoment().SecondOfDay() + 1, m_recording.StartSecond());
    const std::int64_t p = std::min(m_recording.Position(), m_recording.LastFramePosition());
    const double ms = static_cast<double>(next - p) / 10'000.0 / std::max(m_recording.Rate(), 0.01);
    return std::clamp(static_cast<int>(ms) + 1, 1, 4000);
}

std::optional<int> ViewingSession::RecordingStart() const {
    if (!m_recording.IsOpen())
        return std::nullopt;
    return m_recording.StartSecond();
}

BackupHandOver ViewingSession::HandOver() const {
    const Moment start = m_recording.Start();
    return {m_catalogue.SelectedDate(),
            m_recording.IsOpen(),
            start.hour,
            start.minute,
            start.second,
            DataRoot()};
}

}  // namespace tramlet
