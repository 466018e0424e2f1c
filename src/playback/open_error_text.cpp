#include "playback/open_error_text.h"

#include <cstdio>

namespace tramlet {

std::string OpenErrorText(std::uint32_t code) {
    switch (code) {
        case kDuplicateNameCode:
            return "An attempt to add a filter with a duplicate name succeeded with a modified.";
        case kPartialRenderCode:
            return "Some of the streams in this movie are in an unsupported format.";
        case kVideoNotRenderedCode:
            return "Cannot play back the video stream: could not find a suitable renderer.";
        case kAudioNotRenderedCode:
            return "Cannot play back the audio stream: could not find a suitable renderer.";
        case kRpzaCode:
            return "Cannot play back the video stream: format 'RPZA' is not supported.";
        default: {
            char text[48];
            std::snprintf(text, sizeof text, "RenderFile Error Code is 0x%x", code);
            return text;
        }
    }
}

}  // namespace tramlet
