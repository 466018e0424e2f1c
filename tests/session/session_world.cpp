#include "session_world.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>

#include "gps/coordinate_text.h"
#include "playback/speed_steps.h"

namespace tramlet::test {
namespace {

constexpr std::int64_t kSecond = kMediaTimePerSecond;
const CalendarDate kToday{2026, 12, 1};

// Back to back, with gaps, a channel that loads slowly, one that cannot
// play, an empty day, a day of unfinished clips only, and a second month.
struct Recording {
    const char* day;
    const char* start;
    const char* channels;
    int seconds;
};
constexpr Recording kCard[] = {
    {"20261202", "081205", "12", 6}, {"20261202", "081211", "1234", 6},
    {"20261202", "082000", "1", 10}, {"20261202", "184000", "13", 15},
    {"20261205", "120000", "1", 8},  {"20261205", "120020", "24", 4},
    {"20270105", "090000", "12", 5}, {"20270105", "090010", "2", 5},
    {"20270106", "100000", "1", 0},
};
constexpr Recording kChosen[] = {{"20261209", "070000", "4", 20}};

std::string ClipFile(const Recording& r, char channel) {
    return std::string(r.day) + "-" + r.start + "-" + channel + "-" + std::to_string(r.seconds) +
           ".avi";
}

int SecondOf(const char* hhmmss) {
    const int v = std::stoi(hhmmss);
    return v / 10000 * 3600 + v / 100 % 100 * 60 + v % 100;
}

}  // namespace

std::string Hhmmss(const Moment& m) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d%02d", m.hour, m.minute, m.second);
    return text;
}

std::string Yyyymmdd(const CalendarDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

std::string Describe(const Step& step) {
    static const char* const kNames[] = {
        "day click",     "month page",    "sliders",       "timeline",    "step back",
        "step forward",  "play",          "pause",         "speed",       "time passes",
        "end of stream", "seek refused",  "load finishes", "card pulled", "card returned",
        "other mount",   "choose folder", "map point",     "map route",   "page reload",
        "single view",   "volume"};
    return std::string(kNames[step.kind]) + " (" + std::to_string(step.a) + ", " +
           std::to_string(step.b) + ")";
}

struct SessionWorld::Folders {
    TempDir card, chosen, working;
    std::map<std::string, FakeClip> clips;

    Folders() {
        for (const Recording& r : kCard)
            Write(card, r);
        for (const Recording& r : kChosen)
            Write(chosen, r);
    }

    void Write(const TempDir& dir, const Recording& r) {
        for (const char* c = r.channels; *c; ++c) {
            dir.Write("video/" + ClipFile(r, *c), "");
            FakeClip clip;
            clip.duration = r.seconds * kSecond;
            // So big that four channels step from key frame to key frame from
            // 4x on, and decode lightly below it, on any machine.
            clip.pixelRate = kEightK;
            clip.slow = std::string(r.start) == "184000" && *c == '3';
            if (std::string(r.start) == "082000")
                clip.openError = "RenderFile Error Code is 0x80040265";
            clips[ClipFile(r, *c)] = clip;
        }
        // A fix every second of the recording, somewhere new each time.
        std::string log;
        for (int s = 0; s < r.seconds; ++s) {
            const Moment m = Moment::FromSecondOfDay(SecondOf(r.start) + s);
            log += Hhmmss(m) + " " + std::to_string(37.5 + 0.001 * (SecondOf(r.start) % 97 + s)) +
                   " 127.0 " + std::to_string(s) + " 90\n";
        }
        const std::filesystem::path gps = dir.Path() / "gps" / (std::string(r.day) + ".gps");
        std::filesystem::create_directories(gps.parent_path());
        FILE* file = std::fopen(gps.c_str(), "a");
        std::fputs(log.c_str(), file);
        std::fclose(file);
    }
};

const SessionWorld::Folders& SessionWorld::TheFolders() {
    static const Folders folders;
    return folders;
}

SessionWorld::SessionWorld()
    : card_(TheFolders().card),
      chosen_(TheFolders().chosen),
      working_(TheFolders().working),
      clips_(TheFolders().clips) {
    session_ = std::make_unique<ViewingSession>(
        *this,
        [this](int) {
            return std::make_unique<FakePlayer>(clips_, [this] { eventsWanted_ = true; });
        },
        kToday);
    session_->OnVideoArea(640, 360);
    session_->Start(Volumes(), working_.Root());
    Settle();
}

SessionWorld::~SessionWorld() {
    session_.reset();
    if (!cardIn_)
        std::filesystem::rename(card_.Path().string() + "-out", card_.Path());
}

void SessionWorld::RequestRepair(const DataRootPath&) {
    repairWanted_ = true;
}

std::vector<MountedVolume> SessionWorld::Volumes() const {
    std::vector<MountedVolume> volumes{{"/", "/dev/sda1", "system", 1}};
    if (cardIn_)
        volumes.push_back({card_.Path().string(), "/dev/sdz1", "QM_CAM07", cardMountId_});
    if (stickIn_)
        volumes.push_back({"/media/stick", "/dev/sdy1", "STICK", 100});
    return volumes;
}

std::vector<FakePlayer*> SessionWorld::Players() const {
    std::vector<FakePlayer*> players;
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        if (auto* p = dynamic_cast<FakePlayer*>(session_->Recording().Slots().At(k)))
            players.push_back(p);
    }
    return players;
}

// Mostly moments near the day's recordings, where the rules meet.
Moment SessionWorld::SomeMoment(int a, int b) const {
    const DayList& days = session_->Catalogue().Recordings();
    if (days.empty() || a % 4 == 0)
        return Moment::FromSecondOfDay(b % 86400);
    auto record = days.begin();
    std::advance(record, static_cast<long>(static_cast<std::size_t>(a) % days.size()));
    return Moment::FromSecondOfDay(
        std::clamp(record->StartSecond() - 2 + b % (record->duration + 4), 0, 86399));
}

void SessionWorld::Run(const Step& step) {
    Act(step);
    Settle();
}

void SessionWorld::Act(const Step& step) {
    ViewingSession& s = *session_;
    const ViewingSession::Buttons buttons = s.TransportButtons();
    const std::vector<FakePlayer*> players = Players();
    FakePlayer* player = players.empty() ? nullptr : players[step.a % players.size()];
    const CalendarModel& calendar = s.Calendar();
    const std::string date = Yyyymmdd(s.Catalogue().SelectedDate());
    switch (step.kind) {
        case Step::kDayClick: {
            using namespace std::chrono;
            const auto last = year_month_day_last(year(calendar.PageYear()),
                                                  month_day_last(month(calendar.PageMonth())));
            const int day = step.a % 3 == 0 ? 2 + step.b % 4
                                            : 1 + step.b % static_cast<int>(unsigned(last.day()));
            s.OnDayClicked({calendar.PageYear(), calendar.PageMonth(), day});
            break;
        }
        case Step::kMonthPage: {
            const int index =
                calendar.PageYear() * 12 + calendar.PageMonth() - 1 + (step.a % 2 ? 1 : -1);
            s.OnCalendarPage(index / 12, index % 12 + 1);
            break;
        }
        case Step::kSliders:
            s.OnMomentChosen(SomeMoment(step.a, step.b));
            break;
        case Step::kTimeline:
            s.OnTimelineCommitted(step.a % 101);
            break;
        case Step::kStepBack:
            if (buttons.rewind)
                s.OnStep(-1);
            break;
        case Step::kStepForward:
            if (buttons.forward)
                s.OnStep(1);
            break;
        case Step::kPlay:
            if (buttons.play)
                s.OnPlay();
            break;
        case Step::kPause:
            if (buttons.pause)
                s.OnPause();
            break;
        case Step::kRate:
            s.OnRateCommitted(1 + step.a % 8);
            break;
        case Step::kTimePasses:
            PassTime(std::array{40, 250, 900, 2500}[step.a % 4]);
            break;
        case Step::kEndOfStream:
            if (player && player->Loaded())
                player->EndOfStream();
            break;
        case Step::kSeekRefused:
            if (player && player->Loaded())
                player->RefuseLastSeek();
            break;
        case Step::kLoadFinishes:
            if (player)
                player->FinishLoading();
            break;
        case Step::kCardPulled:
            if (cardIn_) {
                std::filesystem::rename(card_.Path(), card_.Path().string() + "-out");
                cardIn_ = false;
                s.OnVolumesChanged(Volumes());
            }
            break;
        case Step::kCardReturned:
            if (!cardIn_) {
                std::filesystem::rename(card_.Path().string() + "-out", card_.Path());
                cardIn_ = true;
                ++cardMountId_;
                s.OnVolumesChanged(Volumes());
            }
            break;
        case Step::kOtherMount:
            stickIn_ = !stickIn_;
            s.OnVolumesChanged(Volumes());
            break;
        case Step::kChooseFolder:
            s.ChooseFolder((step.a % 2 ? chosen_ : card_).Path().string());
            break;
        case Step::kMapPoint:
            if (!page_.points.empty()) {
                const std::size_t i = static_cast<std::size_t>(step.b) % (page_.points.size() + 1);
                s.ViewFromExpPos(i < page_.points.size() ? page_.date + "-" + page_.points[i]
                                                         : "20991231-" + page_.points[0]);
            }
            break;
        case Step::kMapRoute:
            s.ViewFromTrack(date + "-" + Hhmmss(SomeMoment(step.a, step.b)));
            break;
        case Step::kPageReload:
            pageReloaded_ = true;
            break;
        case Step::kSingleView:
            if (step.a % 3 == 0)
                s.OnDoubleClick(step.b % 640, step.b % 360);
            else if (step.a % 3 == 1)
                s.ShowChannelAlone(step.b % 4);
            else
                s.LeaveSingleView();
            break;
        case Step::kVolume:
            s.OnVolumeCommitted(-(step.a % 10001));
            break;
        case Step::kKindCount:
            break;
    }
}

// What the event loop runs after a call: the repair pass the session asked
// for, the players' events, a page that reloads; then the page polls and
// the window sets its tick as the session says.
void SessionWorld::Settle() {
    for (int round = 0; round < 20; ++round) {
        if (std::exchange(repairWanted_, false)) {
            session_->OnRepairFinished();
        } else if (std::exchange(eventsWanted_, false)) {
            session_->OnPlayerEvents();
        } else if (std::exchange(pageReloaded_, false)) {
            page_ = {};
            session_->OnPageReloaded();
        } else {
            break;
        }
    }
    PollPage();
    // As the window's timer: never put off a tick that is due sooner.
    const std::optional<int> delay = session_->TickDelayMs();
    tickDue_ = !delay ? std::nullopt
                      : std::optional(std::min(now_ + *delay, tickDue_.value_or(now_ + *delay)));
    if (!session_->SyncWanted())
        syncDue_ = now_ + session_->SyncIntervalMs();
}

void SessionWorld::PassTime(std::int64_t wallMs) {
    const std::int64_t end = now_ + wallMs;
    while (now_ < end) {
        std::int64_t next = end;
        if (tickDue_)
            next = std::min(next, *tickDue_);
        if (session_->SyncWanted())
            next = std::min(next, syncDue_);
        AdvancePlayers((next - now_) * 10'000);
        now_ = next;
        Settle();
        if (tickDue_ && now_ >= *tickDue_) {
            tickDue_.reset();
            session_->OnTick();
            Settle();
        }
        if (session_->SyncWanted() && now_ >= syncDue_) {
            syncDue_ = now_ + session_->SyncIntervalMs();
            session_->OnSyncTick(now_);
            Settle();
        }
    }
}

void SessionWorld::AdvancePlayers(std::int64_t wall) {
    for (FakePlayer* p : Players())
        p->Advance(wall);
}

// As map.html reads the messages.
void SessionWorld::PollPage() {
    for (int poll = 0; poll < 12; ++poll) {
        const std::string m = session_->GetPageMessage(page_.date.empty() ? 1 : 0);
        if (m == "0")
            return;
        if (m.empty() || m[0] == '1') {
            SeenByPage fresh;
            fresh.position = page_.position;
            page_ = fresh;
            std::istringstream fields(m);
            std::string field;
            for (int i = 0; std::getline(fields, field, '\t'); ++i) {
                if (i == 1)
                    page_.date = field;
                else if (i >= 2 && (i - 2) % 3 == 0)
                    page_.points.push_back(field);
            }
            page_.open = page_.points.empty() ? "" : page_.points.front();
        } else if (m[0] == '2') {
            page_.position = m;
            if (session_->Recording().IsPlaying())
                return;  // while playing, every poll repeats it
        } else if (m[0] == '3') {
            const std::string stamp = m.substr(2);
            const std::string time = stamp.rfind(page_.date + "-", 0) == 0 && !page_.date.empty()
                                         ? stamp.substr(page_.date.size() + 1)
                                         : "";
            const bool listed =
                std::find(page_.points.begin(), page_.points.end(), time) != page_.points.end();
            page_.open = listed ? time : "";
        }
    }
}

}  // namespace tramlet::test
