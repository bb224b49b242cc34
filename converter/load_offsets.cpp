// Start-up loading of the coordinate offsets from "offsets.txt" beside the program.
#include "converter/load_offsets.h"

#include <string>

#include "formats/offsets_file.h"
#include "services/services.h"

namespace qh {

std::string StatusOffsetsText(float longitude, float latitude) {
  // Nine columns each as a rule; ten for both when one needs them (-100 and below), so
  // every accepted offset shows in full and never as asterisks.
  std::string lon = EditF(longitude, 9, 5), lat = EditF(latitude, 9, 5);
  if (lon.front() == '*' || lat.front() == '*') {
    lon = EditF(longitude, 10, 5);
    lat = EditF(latitude, 10, 5);
  }
  std::string joined = " Longitude, Latitude offsets (degrees):";
  joined += lon;
  joined += ',';
  joined += lat;
  return FixedText<64>(joined).TrimmedString();
}

namespace {

// The file is kept aside rather than deleted: what the person typed may be worth a look.
void ReportUnreadableOffsets(const std::string& path) {
  std::string aside;
  const bool setAside = SetOffsetsFileAside(path, aside);
  std::string message = "Error when reading offset data from\r";
  message += path;
  message += setAside ? "\rThe file was kept as\r" + aside
                      : std::string("\rThe file could not be moved aside; it is read again at the next start.");
  message += "\rEnter new values using the Option | Offsets menu.\r";
  message += "Offsets have been set to zero";
  IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, message, kOffsetsBoxTitle);
}

}  // namespace

void LoadOffsets(ProgramState& state) {
  const std::string path = BesideProgram(state, kOffsetsFile);

  float longitude = 0.0f;
  float latitude = 0.0f;
  // A missing file is no error: the offsets stay zero and no file is created.
  // A file that exists but cannot be opened counts as unreadable.
  const OffsetsRead outcome = ReadOffsetsFile(path, longitude, latitude);
  if (outcome == OffsetsRead::Missing) {
    longitude = 0.0f;
    latitude = 0.0f;
  } else if (outcome == OffsetsRead::Bad) {
    ReportUnreadableOffsets(path);
    // Also a longitude that was read before the latitude failed.
    longitude = 0.0f;
    latitude = 0.0f;
  }

  state.options.longitudeOffset = longitude;
  state.options.latitudeOffset = latitude;
  IWnStatusText(2, StatusOffsetsText(longitude, latitude));
}

}  // namespace qh
