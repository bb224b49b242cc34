// The program's main: start the services, open the root window, load the offsets,
// check for the converter utility, then run the command loop until Exit or close.
#include <array>
#include <string>

#include "converter/command_ids.h"
#include "converter/commands.h"
#include "converter/load_offsets.h"
#include "converter/notes_option.h"
#include "converter/open_input.h"
#include "converter/paths.h"
#include "converter/program_state.h"
#include "converter/remembered_settings.h"
#include "converter/report.h"
#include "files/file_system.h"
#include "services/services.h"

namespace qh {
namespace {

std::string MissingFilesMessage() {
  return "Please copy the files " + std::string(kUtilityFile) +
         "\rinto the same folder as Quillhaven\rand re-start.";
}

void OpenMainWindow() {
  RootWindowSpec rootSpec;
  rootSpec.flags = kSysMenu | kMinButton | kMaxButton | kStatusBar | kFixedSize;
  rootSpec.x = -1;  // centred
  rootSpec.y = -1;
  // Wide enough for both offsets in full in status part 2 (part 1 keeps its 35 %).
  rootSpec.width = 640;
  rootSpec.height = 256;
  rootSpec.menuId = IDM_MAIN;
  rootSpec.title = "Pushpin to OV2 conversion";
  IWnOpenRoot(rootSpec);

  // Part 1 (notes option) ends 3500 units across; part 2 (offsets) takes the rest.
  const std::array<int, 2> widths{3500, -1};
  IWnStatusParts(2, widths);
  IWnToolbar(IDT_MAIN);
}

// The utility is looked for beside the program only, never in the current folder.
bool UtilityPresent(const ProgramState& state) {
  return FileExists(BesideProgram(state, kUtilityFile));
}

void OpenDroppedFile(ProgramState& state) {
  FixedText<256> name;
  IWnDroppedFile(name.Span());
  OpenNamedInput(state, name.View());
}

// "Quillhaven.exe trip.psp", as Explorer starts it for "Open with" or a file dropped on
// the program's icon.
void OpenStartArgument(ProgramState& state) {
  FixedText<256> argument;
  GetArgument(1, argument.Span());
  OpenNamedInput(state, argument.View());
}

void RunCommandLoop(ProgramState& state) {
  while (!state.quitFlag) {
    int kind = 0;
    MessageInfo info;
    IWnGetMessage(kind, info);
    switch (kind) {
      case kMenuSelect:
        HandleCommand(state, info.value1);
        break;
      case kExpose:
      case kResize:
        RepaintReport(state);
        break;
      case kFilesDropped:
        OpenDroppedFile(state);
        break;
      case kCloseRequest:
        // Unlike Exit, closing the window leaves the help viewer open.
        state.quitFlag = true;
        break;
      default:
        break;
    }
  }
}

}  // namespace

int ProgramMain() {
  ProgramState state;

  // Every file the program keeps beside itself is found through its own path,
  // whatever the current folder is.
  GetArgument(0, state.programFolder.Span());
  PathFolder(state.programFolder.Span());

  IWnStart(" ");
  OpenMainWindow();
  SelectIgnoreNotes();
  LoadOffsets(state);
  LoadSettings(state);

  if (!UtilityPresent(state)) {
    IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, MissingFilesMessage(), "Missing files");
    state.quitFlag = true;
  } else {
    OpenStartArgument(state);
  }

  RunCommandLoop(state);
  SaveSettings(state);
  IWnStop();
  return 0;
}

}  // namespace qh
