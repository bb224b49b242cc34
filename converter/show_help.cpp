#include "converter/show_help.h"

#include <string_view>

#include "services/services.h"

namespace qh {
namespace {

constexpr std::string_view kHelpFile = "Quillhaven.hlp";
constexpr std::string_view kHelpPage = "Quillhaven.htm";

}  // namespace

bool HasHelpEngine(SystemVersion version) { return version.major < 6; }

void ShowHelp() {
  // Windows Vista and later ship no engine for ".hlp" files (10 and 11 show only a
  // notice): there the manual opens as a web page in the user's browser.
  IWnHelp(HasHelpEngine(IOsSystemVersion()) ? kHelpFile : kHelpPage);
}

void ExitProgram(ProgramState& state) {
  // A blank name closes the help viewer this program may have opened. A browser is the
  // user's own and stays; without a help engine there is nothing to close, and asking
  // for one could bring up the system's "not included" notice.
  if (HasHelpEngine(IOsSystemVersion())) IWnHelp(" ");
  state.quitFlag = true;
}

}  // namespace qh
