#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/viewing_session.h"
#include "support/fake_player.h"
#include "support/temp_dir.h"

namespace tramlet::test {

// One thing a user does, or one thing that happens to the program. Its
// numbers pick among what the state offers when the step runs, so that a
// sequence still runs after steps before it are taken out.
struct Step {
    enum Kind {
        kDayClick,
        kMonthPage,
        kSliders,
        kTimeline,
        kStepBack,
        kStepForward,
        kPlay,
        kPause,
        kRate,
        kTimePasses,
        kEndOfStream,
        kSeekRefused,
        kLoadFinishes,
        kCardPulled,
        kCardReturned,
        kOtherMount,
        kChooseFolder,
        kMapPoint,
        kMapRoute,
        kPageReload,
        kSingleView,
        kVolume,
        kKindCount
    };
    Kind kind;
    int a = 0;
    int b = 0;
};

std::string Describe(const Step& step);
std::string Hhmmss(const Moment& moment);
std::string Yyyymmdd(const CalendarDate& date);

// What the map page knows, from the messages it was handed as map.html
// reads them.
struct SeenByPage {
    std::string date;
    std::vector<std::string> points;
    std::string open;  // HHMMSS of the marked recording, or empty
    std::string position;
};

// A card, a second folder and the session with scripted players on a
// virtual clock: every step runs, then whatever the event loop would run
// after it, then the page's polls.
class SessionWorld : public SessionHost {
  public:
    SessionWorld();
    ~SessionWorld() override;

    void Run(const Step& step);
    // Empty while what the user sees names one moment; otherwise what disagrees.
    std::string CheckInvariant() const;

    const ViewingSession& Session() const { return *session_; }

  private:
    void RequestRepair(const DataRootPath& dataRoot) override;
    void ReloadMapPage() override { pageReloaded_ = true; }
    void ReportError(const std::string&) override {}
    void Log(const std::string&) override {}

    void Act(const Step& step);
    void Settle();
    void PassTime(std::int64_t wallMs);
    void AdvancePlayers(std::int64_t wall);
    void PollPage();
    std::vector<FakePlayer*> Players() const;
    std::vector<MountedVolume> Volumes() const;
    Moment SomeMoment(int a, int b) const;
    std::string CheckFrames() const;
    std::string CheckPage() const;

    // The folders are written once and shared by every world: steps only
    // ever move the card's folder away and back.
    struct Folders;
    static const Folders& TheFolders();
    const TempDir& card_;
    const TempDir& chosen_;
    const TempDir& working_;
    const std::map<std::string, FakeClip>& clips_;
    std::unique_ptr<ViewingSession> session_;
    bool cardIn_ = true;
    int cardMountId_ = 2;
    bool stickIn_ = false;
    bool repairWanted_ = false;
    bool eventsWanted_ = false;
    bool pageReloaded_ = false;
    std::int64_t now_ = 0;  // virtual milliseconds
    std::optional<std::int64_t> tickDue_;
    std::int64_t syncDue_ = 0;
    SeenByPage page_;
};

}  // namespace tramlet::test
