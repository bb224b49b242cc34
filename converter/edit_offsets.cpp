// Option > Offsets: the "PushPin co-ordinates" dialog, and offsets.txt rewritten after
// every use of it.
#include <string>

#include "converter/command_ids.h"
#include "converter/commands.h"
#include "converter/offsets_file.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr std::string_view kOffsetsFormat = "(F8.5)";

}  // namespace

void EditOffsets(ProgramState& state) {
  ConversionOptions& options = state.Options;
  IDlLoad(IDD_OFFSETS);
  IDlPutReal(IDF_LATITUDE, options.LatitudeOffset, kOffsetsFormat);
  IDlPutReal(IDF_LONGITUDE, options.LongitudeOffset, kOffsetsFormat);
  IDlShow(-1, -1, 0, kDialogModal);
  // Whichever way the dialog was closed, the fields give the new offsets.
  IDlGetReal(IDF_LATITUDE, options.LatitudeOffset);
  IDlGetReal(IDF_LONGITUDE, options.LongitudeOffset);
  IWnStatusText(2, StatusOffsetsText(options.LongitudeOffset, options.LatitudeOffset));
  IDlUnload();

  const std::string path = BesideProgram(state, "offsets.txt");
  if (!WriteOffsetsFile(path, options.LongitudeOffset, options.LatitudeOffset)) {
    // The new offsets still apply to this run; the user must know they were not kept.
    std::string message = "Error when writing offset data to\r";
    message += path;
    message += "\rThe offsets apply until the program ends.";
    IWnMessageBox(kBoxOk, kIconExclamation, 1, message, "Offset data error");
  }
}

}  // namespace qh
