// Help > About: a short version text, centred in the About box's sunken field.
#include "converter/show_about.h"

#include "quillhaven_version.h"

#include "converter/command_ids.h"
#include "services/services.h"

namespace qh {

FixedText<512> AboutText() {
  // The program's code page is UTF-8 (its manifest says so): "\xC2\xA9" is the
  // copyright sign.
  return FixedText<512>("Quillhaven\r\nPushpin to OV2\r\nversion " QH_VERSION_TEXT
                        "\r\n\xC2\xA9 2026 Quillhaven\r\nFree software, MIT licence"
                        "\r\nOV2 \xC2\xA9 TomTom");
}

void ShowAbout() {
  const FixedText<512> text = AboutText();
  IDlLoad(IDD_ABOUT);
  IDlPutString(IDF_ABOUT_TEXT, text.View());
  IDlShow(-1, -1, 0, kDialogModal);
  IDlUnload();
}

}  // namespace qh
