#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_hand_over.h"
#include "catalogue/day_catalogue.h"
#include "gps/gps_table.h"
#include "map/page_messages.h"
#include "platform/mounted_volume.h"
#include "session/calendar_model.h"
#include "session/data_root_watch.h"
#include "session/recording_player.h"
#include "session/session_host.h"

namespace tramlet {

// Everything the main window shows, and the rules that change it: the data
// root, the selected day with its recordings and marks, the chosen moment,
// the open recording and its players, and the messages for the map page.
// The window forwards every input here and draws what this says, so that
// what the user sees always names one moment of one day. Nothing here runs
// on its own: the window calls OnTick and OnSyncTick when TickDelayMs and
// SyncWanted ask for it.
class ViewingSession {
  public:
    ViewingSession(SessionHost& host, PlayerSlots::Factory players, const CalendarDate& today);

    // The data root.
    void Start(const std::vector<MountedVolume>& volumes, const std::string& workingFolder);
    void ChooseFolder(const std::string& folder);
    void OnVolumesChanged(const std::vector<MountedVolume>& volumes);
    // The reset button: the repair pass once more over the data root.
    void RepairAgain();
    void OnRepairFinished();

    // The calendar.
    void OnCalendarPage(int year, int month);
    void OnCalendarSelection(const CalendarDate& date);
    void OnDayClicked(const CalendarDate& date);

    // Time and transport.
    void OnSliderDrag(const Moment& sliders);
    void OnMomentChosen(const Moment& moment);
    void OnTimelineCommitted(int percent);
    void OnVolumeCommitted(int volume);
    // A step of the speed slider (see speed_steps.h).
    void OnRateCommitted(int step);
    void OnPlay();
    void OnPause();
    void OnStep(int seconds);
    void OnTick();
    // `wallMs`: a steady clock's milliseconds.
    void OnSyncTick(std::int64_t wallMs) { HandleNews(m_recording.OnSyncTick(wallMs)); }
    void OnPlayerEvents();
    void OnVideoArea(int width, int height) { m_recording.SetVideoArea(width, height); }
    void OnDoubleClick(int x, int y);
    // While paused: every shown channel one frame on or back.
    void OnFrameStep(int direction);
    // The mouse wheel's notches over the video area, and a drag there.
    void OnWheel(int x, int y, int notches);
    void OnDrag(int x, int y, int dx, int dy) { m_recording.PanAt(x, y, dx, dy); }
    void ShowChannelAlone(int k);
    void LeaveSingleView();

    // The map page's calls.
    std::string GetPageMessage(int wanted) { return m_pages.GetPageMessage(wanted); }
    void ViewFromExpPos(const std::string& stamp);
    void ViewFromTrack(const std::string& stamp);
    void OnPageReloaded() { m_pages.RequeueDayMessage(); }
    // Opens the day's recording that starts at the stamp's time; false when
    // none does or none of its clips is there.
    bool OpenRecording(const std::string& stamp);

    // What the window shows.
    std::string Label() const;
    Moment SliderMoment() const;
    int Timeline() const;
    bool TimelineEnabled() const { return m_recording.IsOpen(); }
    struct Buttons {
        bool play = false, pause = false, rewind = false, forward = false;
        friend bool operator==(const Buttons&, const Buttons&) = default;
    };
    Buttons TransportButtons() const;
    // What the video area says when it shows no picture.
    enum class Note {
        kNone,
        kCardRemoved,
        kDayWithoutRecordings,
        kMomentWithoutRecording,
        kCannotOpen
    };
    Note VideoNote() const;
    int VolumePosition() const { return m_recording.Volume(); }
    int RatePosition() const;
    // When the next tick is due, while one is.
    std::optional<int> TickDelayMs() const;
    bool SyncWanted() const { return m_recording.WantsSyncTicks(); }
    int SyncIntervalMs() const { return m_recording.SyncIntervalMs(); }

    const DataRootPath& DataRoot() const { return m_root.Root(); }
    // The data root is a recorder's card, and repaired.
    bool RootIsCard() const {
        return m_root.RootOrigin() == DataRootWatch::Origin::kCard && !m_repairRunning;
    }
    bool HasMoment() const { return m_hasMoment; }
    Moment ChosenMoment() const { return {m_hour, m_minute, m_second}; }
    const CalendarModel& Calendar() const { return m_calendar; }
    const DayCatalogue& Catalogue() const { return m_catalogue; }
    const RecordingPlayer& Recording() const { return m_recording; }
    const PageMessages& Messages() const { return m_pages; }
    const GpsTable& Gps() const { return m_gps; }
    BackupHandOver HandOver() const;
    // The second of the day the open recording starts at, while one is open.
    std::optional<int> RecordingStart() const;

  private:
    bool HasRoot() const { return m_root.RootOrigin() != DataRootWatch::Origin::kNone; }
    void ForgetOldRoot();
    void OnRootLeft();
    void RequestRepair(bool newRoot);
    void ScanMonth(bool autoSelect);
    void ScanMonth(bool autoSelect, const FolderListing& video);
    void SelectDay();
    void SelectDay(const FolderListing& video);
    void SetDayMessages();
    void ClosePlayback();
    void ResetDateAndMoment();
    void SetMoment(const Moment& moment);
    void MomentFromPosition();
    bool InOpenRecording(int t) const;
    std::vector<PlayerSlots::ClipToOpen> ClipsOf(const DayTime& record) const;
    bool OpenRecordingAt(const DayTime& record, std::int64_t position);
    bool StepIntoNeighbour(std::int64_t target);
    void HandleNews(const RecordingPlayer::News& news);
    // Players that now stand while playing show their pictures' moment.
    void FollowSteppedPictures();
    void OnEndOfStream();
    bool IsStampOfSelectedDay(const std::string& stamp) const;

    SessionHost& m_host;
    DataRootWatch m_root;
    CalendarModel m_calendar;
    // The selected date, the day list and the hour, minute and second marks.
    DayCatalogue m_catalogue;
    GpsTable m_gps;
    PageMessages m_pages;
    RecordingPlayer m_recording;
    bool m_hasMoment = false;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    // A slider is held: the tick waits, and the sliders show where it is.
    std::optional<Moment> m_dragged;
    bool m_openFailed = false;
    bool m_repairRunning = false;
    bool m_repairAgain = false;
    bool m_reloadAfterRepair = false;
};

}  // namespace tramlet
