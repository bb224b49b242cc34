// Help > About: a short version text, centred in the About box's sunken field.
#include "converter/command_ids.h"
#include "converter/commands.h"
#include "services/services.h"

namespace qh {

FixedText<512> AboutText() { return FixedText<512>("Quillhaven\r\nPushpin to OV2\r\nversion 1.0"); }

void ShowAbout() {
  const FixedText<512> text = AboutText();
  IDlLoad(IDD_ABOUT);
  IDlPutString(IDF_ABOUT_TEXT, text.View());
  IDlShow(-1, -1, 0, kDialogModal);
  IDlUnload();
}

}  // namespace qh
