// Start-up loading of the coordinate offsets from "offsets.txt" beside the program.
#include <string>

#include "converter/commands.h"
#include "formats/offsets_file.h"
#include "services/services.h"

namespace qh {

std::string StatusOffsetsText(float longitude, float latitude) {
  std::string joined = " Longitude, Latitude offsets (degrees):";
  joined += EditF(longitude, 9, 5);
  joined += ',';
  joined += EditF(latitude, 9, 5);
  return FixedText<64>(joined).TrimmedString();
}

void LoadOffsets(ProgramState& state) {
  const std::string path = BesideProgram(state, "offsets.txt");

  float longitude = 0.0f;
  float latitude = 0.0f;
  // A missing file is no error: the offsets stay zero and no file is created.
  // A file that exists but cannot be opened counts as unreadable.
  const OffsetsRead outcome = ReadOffsetsFile(path, longitude, latitude);
  if (outcome == OffsetsRead::Missing) {
    longitude = 0.0f;
    latitude = 0.0f;
  } else if (outcome == OffsetsRead::Bad) {
    std::string message = "Error when reading offset data from\r";
    message += path;
    message += "\rEnter new values using the Options | Offsets menu.\r";
    message += "Offsets have been set to zero";
    IWnMessageBox(kBoxOk, kIconExclamation, 1, message, "Offset data error");
    IOsFileDelete(path);
    // Also a longitude that was read before the latitude failed.
    longitude = 0.0f;
    latitude = 0.0f;
  }

  state.options.longitudeOffset = longitude;
  state.options.latitudeOffset = latitude;
  IWnStatusText(2, StatusOffsetsText(longitude, latitude));
}

}  // namespace qh
