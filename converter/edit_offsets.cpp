// Option > Offsets: the "PushPin co-ordinates" dialog, and offsets.txt rewritten after
// every use of it.
#include "converter/edit_offsets.h"

#include <string>

#include "converter/command_ids.h"
#include "converter/load_offsets.h"
#include "converter/paths.h"
#include "formats/offsets_file.h"
#include "services/services.h"

namespace qh {
namespace {

// Wide enough for every offset the ".asc" columns can carry, so a stored value always
// shows in full and OK without changes keeps it exactly.
constexpr std::string_view kOffsetsFormat = "(F10.5)";

// One offset field: its label as the dialog shows it and the largest magnitude it takes.
struct OffsetField {
  int id;
  std::string_view label;
  float limit;
};
constexpr OffsetField kLongitudeField{IDF_LONGITUDE, "Longitude (degrees)", 180.0f};
constexpr OffsetField kLatitudeField{IDF_LATITUDE, "Latitude (degrees)", 90.0f};

// Reads a field as an offset. Empty when all is well, else what is wrong with it, in
// words for the box; `value` is left alone then.
std::string ReadOffsetField(const OffsetField& field, float& value) {
  IErInfo(kInfoLastError);
  float read = value;
  IDlGetReal(field.id, read);
  const int code = IErInfo(kInfoLastError);
  if (code == kErrFieldEmpty) return "is empty.";
  if (code != 0) return "is not a number.";
  if (!(read >= -field.limit && read <= field.limit)) {
    const std::string limit = std::to_string(static_cast<int>(field.limit));
    return "must lie from -" + limit + " to " + limit + " degrees.";
  }
  value = read;
  return {};
}

// Shows the dialog until it is closed with OK and both fields hold offsets. False
// when it was closed any other way: the offsets then stay as they were.
bool AskOffsets(ConversionOptions& options) {
  int focusField = 0;
  for (;;) {
    IDlShow(-1, -1, focusField, kDialogModal);
    if (IDlInfo(kInfoExitButton) != kButtonOk) return false;
    float latitude = options.latitudeOffset;
    float longitude = options.longitudeOffset;
    const std::string latitudeFault = ReadOffsetField(kLatitudeField, latitude);
    const std::string longitudeFault = ReadOffsetField(kLongitudeField, longitude);
    if (latitudeFault.empty() && longitudeFault.empty()) {
      options.latitudeOffset = latitude;
      options.longitudeOffset = longitude;
      return true;
    }
    // The upper field first, as the user reads the dialog.
    const bool longitudeWrong = !longitudeFault.empty();
    const OffsetField& wrong = longitudeWrong ? kLongitudeField : kLatitudeField;
    focusField = wrong.id;
    std::string message(wrong.label);
    message += ' ';
    message += longitudeWrong ? longitudeFault : latitudeFault;
    message += "\rEnter the offset in degrees, such as 0.5 or -0.00125.";
    IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, message, kOffsetsBoxTitle);
  }
}

}  // namespace

void EditOffsets(ProgramState& state) {
  ConversionOptions& options = state.options;
  IDlLoad(IDD_OFFSETS);
  // OK always comes back here, so that a text that is no number is told in words.
  IDlCheckOnOk(false);
  IDlPutReal(IDF_LATITUDE, options.latitudeOffset, kOffsetsFormat);
  IDlPutReal(IDF_LONGITUDE, options.longitudeOffset, kOffsetsFormat);
  const bool changed = AskOffsets(options);
  IDlUnload();
  if (!changed) return;
  IWnStatusText(2, StatusOffsetsText(options.longitudeOffset, options.latitudeOffset));

  const std::string path = BesideProgram(state, kOffsetsFile);
  if (!WriteOffsetsFile(path, options.longitudeOffset, options.latitudeOffset)) {
    // The new offsets still apply to this run; the user must know they were not kept.
    std::string message = "Error when writing offset data to\r";
    message += path;
    message += "\rThe offsets apply until the program ends.";
    message += OwnFolderAdvice();
    IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, message, kOffsetsBoxTitle);
  }
}

}  // namespace qh
