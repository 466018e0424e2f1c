#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "playback/decode_plan.h"
#include "playback/layout_table.h"
#include "playback/player_slots.h"
#include "playback/time_selection.h"
#include "session/key_frame_stepper.h"

namespace tramlet {

// The open recording: one player per channel, run, paused, sped up and
// moved together, one channel heard, and optionally that one shown alone.
class RecordingPlayer {
  public:
    explicit RecordingPlayer(PlayerSlots::Factory factory);

    // What the players told since they were last asked.
    struct News {
        bool ended = false;                 // a channel played to its end
        std::vector<std::string> failures;  // one text per channel that cannot play
        bool leadMoved = false;             // the heard channel did not go where it was sent
        bool lost = false;                  // every channel failed: nothing is left open
        bool pictured = false;              // stepping showed new pictures
    };

    // Closes what was open and starts loading the clips, all at `position`.
    void Open(const Moment& start, int lengthSeconds,
              const std::vector<PlayerSlots::ClipToOpen>& clips, std::int64_t position);
    // Keeps the play intent, so that the next recording opened runs at once.
    void Close();
    News TakeNews();

    bool IsOpen() const { return open_; }
    Moment Start() const { return {m_clipHour, m_clipMinute, m_clipSecond}; }
    int StartSecond() const { return Start().SecondOfDay(); }
    int LengthSeconds() const { return m_clipLength; }
    std::int64_t Duration() const { return m_duration; }
    // The heard channel's position in the recording, 0 with nothing open.
    std::int64_t Position() const;
    // The last position a picture of the recording is shown at.
    std::int64_t LastFramePosition() const;

    void Seek(std::int64_t position, SeekMode mode);
    // Every shown channel one frame on or back.
    void StepFrame(int direction);
    void Play();
    void Pause();
    // Shows the frame at the position without running.
    void Cue();
    bool IsPlaying() const { return m_playing; }
    bool WantsPlay() const { return m_resumePlay; }
    // Playing fast from key frames, with the players standing.
    bool IsStepping() const { return stepper_.IsRunning(); }
    DecodePlan Plan() const { return plan_; }

    // False when a player would not play at this speed; Rate() then tells
    // what it plays at.
    bool SetRate(double rate);
    double Rate() const { return rate_; }
    void SetVolume(int hundredthsOfDecibel);
    int Volume() const { return volume_; }

    int SelectedChannel() const { return m_curChannel; }
    bool IsSingleView() const { return m_zoomed; }
    // A double-click at this point of the video area.
    void ToggleSingleViewAt(int x, int y);
    void ShowChannelAlone(int k);
    void LeaveSingleView();
    void SetVideoArea(int width, int height);

    // Each channel keeps its own zoom, across recordings, until it is reset.
    // The channel is the one whose picture is at the point.
    void ZoomAt(int x, int y, double factor);
    void PanAt(int x, int y, int dx, int dy);
    // False when the channel at the point was not zoomed.
    bool ResetZoomAt(int x, int y);
    const ChannelZoom& ZoomOf(int k) const { return zooms_.at(static_cast<std::size_t>(k)); }
    const LayoutTable& Layout() const { return m_layout; }
    const PlayerSlots& Slots() const { return slots_; }

    // Every quarter second of wall time while playing: steps the key frames
    // on, or asks every channel for its position at one instant and pulls
    // the others towards the heard one.
    News OnSyncTick(std::int64_t wallMs);
    bool WantsSyncTicks() const {
        return m_playing && (!m_zoomed || plan_ == DecodePlan::kKeyFrames);
    }
    // Stepping, a round goes out soon after the last one is shown.
    int SyncIntervalMs() const { return stepper_.IsRunning() ? 15 : 250; }

  private:
    void ChooseHeardChannel();
    void StartPlayers();
    void SyncChannels();
    void Step(std::int64_t wallMs, News& news);
    void ShowHeldPictures();
    void StopStepping();
    DecodePlan WantedPlan() const;
    void SetPlan(DecodePlan plan);
    void UpdateDecodePlan();
    void OnLoaded(int k);
    void OnFailed(int k);
    void PictureCame(int k, News& news);
    void Realign(int k);
    void EnterSingleView(int k);
    // The channel whose picture is at the point, and the cell it fills.
    std::optional<std::pair<int, LayoutCell>> PictureAt(int x, int y) const;
    void SetZoom(int k, const ChannelZoom& zoom);
    void CorrectChannels();
    std::vector<Player*> ChosenPlayers() const;
    Player* Lead() const { return slots_.At(m_curChannel); }

    PlayerSlots slots_;
    bool open_ = false;
    int m_clipHour = 0;
    int m_clipMinute = 0;
    int m_clipSecond = 0;
    int m_clipLength = 0;
    std::int64_t m_duration = 0;
    bool m_playing = false;
    bool m_resumePlay = false;
    int m_curChannel = 0;
    bool m_zoomed = false;
    LayoutTable m_layout{};
    int areaWidth_ = 0;
    int areaHeight_ = 0;
    std::array<ChannelZoom, PlayerSlots::kCount> zooms_{};
    double rate_ = 1.0;
    DecodePlan plan_ = DecodePlan::kEveryFrame;
    KeyFrameStepper stepper_;
    // While stepping: the position of the heard channel's picture on screen.
    std::int64_t shown_ = 0;
    int volume_ = kSilentVolume;
    // Answers of an older round of position samples are not used.
    std::uint64_t syncRound_ = 0;
};

}  // namespace tramlet
