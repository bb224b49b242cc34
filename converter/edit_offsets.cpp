// Option > Offsets: the "PushPin co-ordinates" dialog, and offsets.txt rewritten after
// every use of it.
#include <string>

#include "converter/command_ids.h"
#include "converter/commands.h"
#include "converter/paths.h"
#include "formats/offsets_file.h"
#include "services/services.h"

namespace qh {
namespace {

// Wide enough for every offset the ".asc" columns can carry, so a stored value always
// shows in full and OK without changes keeps it exactly.
constexpr std::string_view kOffsetsFormat = "(F10.5)";

// Reads a field as an offset; false, leaving `value` alone, when the field is empty or
// does not hold a number (the services record why as their last error).
bool ReadOffsetField(int fieldId, float& value) {
  IErInfo(1);
  float read = value;
  IDlGetReal(fieldId, read);
  if (IErInfo(1) != 0) return false;
  value = read;
  return true;
}

// Shows the dialog until it is closed with OK and both fields hold numbers. False
// when it was closed any other way: the offsets then stay as they were.
bool AskOffsets(ConversionOptions& options) {
  int focusField = 0;
  for (;;) {
    IDlShow(-1, -1, focusField, kDialogModal);
    if (IDlInfo(kInfoExitButton) != kButtonOk) return false;
    float latitude = options.latitudeOffset;
    float longitude = options.longitudeOffset;
    const bool latitudeRead = ReadOffsetField(IDF_LATITUDE, latitude);
    const bool longitudeRead = ReadOffsetField(IDF_LONGITUDE, longitude);
    if (latitudeRead && longitudeRead) {
      options.latitudeOffset = latitude;
      options.longitudeOffset = longitude;
      return true;
    }
    // The upper field first, as the user reads the dialog.
    focusField = longitudeRead ? IDF_LATITUDE : IDF_LONGITUDE;
    std::string message = longitudeRead ? "Latitude (degrees)" : "Longitude (degrees)";
    message += " is not a number.\rEnter the offset in degrees, such as 0.5 or -0.00125.";
    IWnMessageBox(kBoxOk, kIconExclamation, 1, message, "Offset data error");
  }
}

}  // namespace

void EditOffsets(ProgramState& state) {
  ConversionOptions& options = state.options;
  IDlLoad(IDD_OFFSETS);
  IDlPutReal(IDF_LATITUDE, options.latitudeOffset, kOffsetsFormat);
  IDlPutReal(IDF_LONGITUDE, options.longitudeOffset, kOffsetsFormat);
  const bool changed = AskOffsets(options);
  IDlUnload();
  if (!changed) return;
  IWnStatusText(2, StatusOffsetsText(options.longitudeOffset, options.latitudeOffset));

  const std::string path = BesideProgram(state, "offsets.txt");
  if (!WriteOffsetsFile(path, options.longitudeOffset, options.latitudeOffset)) {
    // The new offsets still apply to this run; the user must know they were not kept.
    std::string message = "Error when writing offset data to\r";
    message += path;
    message += "\rThe offsets apply until the program ends.";
    message += OwnFolderAdvice();
    IWnMessageBox(kBoxOk, kIconExclamation, 1, message, "Offset data error");
  }
}

}  // namespace qh
