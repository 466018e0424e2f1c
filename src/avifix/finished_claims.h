#pragma once

#include <cstdint>
#include <string>

#include "avifix/avi_layout.h"
#include "avifix/clip_io.h"

// A finished clip whose header or index claims more than the file holds was
// cut short after it was finished (a copy broken off, a card pulled while a
// file system check ran): its header is no longer to be believed, and the
// repair treats it as unfinished.
namespace tramlet::avifix {

// Why the header's RIFF or movi list size claims more bytes than the file
// holds; empty when neither does. Reads nothing.
std::string HeaderClaimBeyondFile(const Header& header, uint64_t fileSize);

// Why the idx1 chunk where the movi list ends claims more than the file
// holds, or counts fewer frames than the header; empty when it does not, or
// when there is no idx1 there. Reads the 8 bytes of its chunk header.
std::string IndexClaimBeyondFile(ClipFile& file, const Header& header, uint64_t fileSize);

}  // namespace tramlet::avifix
