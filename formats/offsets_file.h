// The coordinate offsets kept between runs in "offsets.txt": one line holding the
// longitude and latitude offsets (degrees) in two G15.7 fields, read back in free form.
#pragma once

#include <string>
#include <string_view>

#include "files/io_error.h"

namespace qh {

// The first two numbers of `content` (fixed-point, integer or exponent form), separated
// by blanks, a comma or line ends; the rest is ignored. False when an item before the
// second number is not a number, or the content ends before it.
bool ParseOffsets(std::string_view content, float& longitude, float& latitude);

// " " + two G15.7E2 fields + CR LF.
std::string OffsetsFileLine(float longitude, float latitude);

enum class OffsetsRead { Missing, Loaded, Bad };

// Missing when there is no such file, Bad when it cannot be read or does not hold two
// numbers; in both cases the offsets are 0.
OffsetsRead ReadOffsetsFile(std::string_view path, float& longitude, float& latitude);

// Moves an unreadable offsets file out of the way to `path` + ".bad" (replacing an
// older one), so the person can still see what it held. False when the system refused.
bool SetOffsetsFileAside(std::string_view path, std::string& asidePath);

// Replaces the file with the one line, never leaving a partial file. On failure the
// reason goes to `error` when given.
bool WriteOffsetsFile(std::string_view path, float longitude, float latitude,
                      IoError* error = nullptr);

}  // namespace qh
