#pragma once

namespace tramlet {

// What the video area says when it shows no picture.
inline constexpr const char* kNoteCardRemoved = "메모리 카드가 제거되었습니다.";
inline constexpr const char* kNoteDayWithoutRecordings = "이 날에는 녹화 영상이 없습니다.";
inline constexpr const char* kNoteMomentWithoutRecording = "이 시각에는 녹화 영상이 없습니다.";
inline constexpr const char* kNoteCannotOpen = "녹화 영상을 열 수 없습니다.";
// What a channel's cell says while its clip loads.
inline constexpr const char* kNoteLoading = "불러오는 중";

}  // namespace tramlet
