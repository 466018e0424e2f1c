#pragma once

// Identifiers of the program's windows, controls, strings and pictures. The
// controls carry theirs as object names so that tests can find them.
namespace tramlet::res {

// Controls of the main window.
inline constexpr int kVideoArea = 1000;
inline constexpr int kTimeline = 1001;
inline constexpr int kMapArea = 1002;
inline constexpr int kTimeText = 1003;
inline constexpr int kVolume = 1004;
inline constexpr int kCalendar = 1005;
inline constexpr int kHourSlider = 1006;
inline constexpr int kMinuteSlider = 1007;
inline constexpr int kSecondSlider = 1008;
inline constexpr int kMarkAnchor = 1009;
inline constexpr int kRate = 1011;
inline constexpr int kHourCaption = 1012;
inline constexpr int kMinuteCaption = 1013;
inline constexpr int kSecondCaption = 1014;
inline constexpr int kPlay = 1015;
inline constexpr int kPause = 1016;
inline constexpr int kRewind = 1017;
inline constexpr int kForward = 1018;
inline constexpr int kCapture = 1019;
inline constexpr int kPath = 1021;
inline constexpr int kBackup = 1022;
inline constexpr int kReset = 1032;

// Controls of the about box and the repair window.
inline constexpr int kVersionText = 1030;
inline constexpr int kRepairText = 1030;
inline constexpr int kFileProgress = 1029;
inline constexpr int kTotalProgress = 125;

// Controls of the backup dialog.
inline constexpr int kBackupDialog = 169;
inline constexpr int kRadioPeriod = 1020;
inline constexpr int kStartDate = 1023;
inline constexpr int kEndDate = 1024;
inline constexpr int kStartTime = 1025;
inline constexpr int kEndTime = 1026;
inline constexpr int kBrowseFolder = 1027;
inline constexpr int kBackupFolderText = 1028;
inline constexpr int kRadioCurrent = 1031;
inline constexpr int kExportVideo = 1040;
inline constexpr int kRadioLossless = 1041;
inline constexpr int kRadioMerged = 1042;
inline constexpr int kExportChannel1 = 1043;  // to 1046 for channel 4
inline constexpr int kExportFullSize = 1047;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

// Strings.
inline constexpr int kAboutMenu = 101;
inline constexpr int kPathTip = 102;
inline constexpr int kCaptureTip = 103;
inline constexpr int kPlayTip = 105;
inline constexpr int kPauseTip = 106;
inline constexpr int kRewindTip = 107;
inline constexpr int kForwardTip = 108;
inline constexpr int kInvalidPeriod = 110;
inline constexpr int kResetCaption = 315;
inline constexpr int kBackupTip = 401;
inline constexpr int kBackupDone = 403;
inline constexpr int kChooseFolder = 404;
inline constexpr int kOptimising = 405;

// Pictures.
inline constexpr int kAppIcon = 109;
inline constexpr int kTimelineActive = 111;
inline constexpr int kTimelineThumb = 112;
inline constexpr int kTimelineThumbActive = 113;
inline constexpr int kSmallChannel = 114;
inline constexpr int kSmallChannelActive = 115;
inline constexpr int kHourThumb = 116;
inline constexpr int kHourThumbActive = 117;
inline constexpr int kMinuteThumb = 118;
inline constexpr int kMinuteThumbActive = 119;
inline constexpr int kVolumeCaption = 122;
inline constexpr int kRateCaption = 123;
inline constexpr int kTimelineChannel = 124;
inline constexpr int kButtonStrip = 167;
inline constexpr int kSmallThumbActive = 301;
inline constexpr int kSmallThumb = 302;

}  // namespace tramlet::res
