// A scripted stand-in for the window services, so the converter's whole command loop
// runs natively without Windows. It records every call as one readable line, such as
//   IWnOutText(100,2000,Text to ... x.asc)
// (texts without their trailing blanks, numbers in decimal), answers file dialogs from
// a script, feeds scripted messages, keeps menu check marks, and really copies files.
//
// File names reach the fake exactly as the converter builds them. Tests use real
// temporary folders with backslash-separated names below them (a name such as
// "/tmp/qh_x/maps\trip.psp" is one file in /tmp/qh_x), so the converter's path rules,
// which split at backslashes, work unchanged on the native file system.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "services/services.h"

namespace qh::fake {

struct ScriptedMessage {
  int kind = 0;
  MessageInfo info;
  // Runs just before the message is handed out, for a test to change the world
  // between two commands (write a file, look at the report so far).
  std::function<void()> before;
};

struct DialogAnswer {
  bool confirmed = false;
  std::string name;  // the chosen path when confirmed
};

struct Services {
  std::vector<std::string> log;

  // Scripts; consumed from the front.
  std::deque<ScriptedMessage> messages;
  std::deque<DialogAnswer> fileDialogs;

  std::string argument0;                // what IOsArgument(0) gives
  std::map<int, int> checkMarks;        // menu item -> check state (IMnSetState kind 2)
  std::map<int, std::string> statusParts;
  int dialogExitState = 0;              // IDlInfo item 4
  std::size_t lastFileNameBuffer = 0;   // buffer length of the last IDlSelectFile
  std::vector<int> reportedCodes;       // service error codes the fake would report
  int messagesDelivered = 0;

  // Resource dialogs. The fake keeps the texts of the loaded dialog's fields as the
  // converter puts them; at each IDlShow the front of `dialogEdits` is what the user
  // leaves in the fields (texts by field id; fields not named keep their text).
  int loadedDialog = 0;  // 0: none loaded
  std::map<int, std::string> dialogFields;
  struct DialogEdit {
    std::map<int, std::string> fieldTexts;
    int exitButton = 1;  // 1 OK; 2 Esc or the title bar's close box
  };
  std::deque<DialogEdit> dialogEdits;
  int dialogExitButton = 0;  // IDlInfo item 1
  std::size_t lastPutStringLength = 0;  // length of the text last given to IDlPutString
  // The fields as they stood when the dialog was shown, one map per IDlShow.
  std::vector<std::map<int, std::string>> shownFields;

  // Called by IOsExecute with the command line, in place of running a program.
  std::function<void(std::string_view command)> onExecute;
  // The overlay utility as the fake plays it: after onExecute, a command line that
  // starts the utility writes the overlay beside its ".asc" (unless told not to) and
  // ends with utilityExitCode, which IOsExitCode then gives.
  int characterWidth = 0;  // drawing units a character takes in IWnTextWidth
  bool utilityWritesOverlay = true;
  int utilityExitCode = 0;
  int lastExitCode = -1;
  // Called by IMnGetState before it answers, to change a check mark in between.
  std::function<void(int itemId)> beforeGetState;
  // What IOsSystemVersion answers: Windows XP, a system with a help engine, unless a
  // test says otherwise.
  SystemVersion systemVersion{5, 1};
  // Arguments 1, 2, ... of the command line, after argument0.
  std::vector<std::string> arguments;
  // What IOsVariable gives, by name; a name not here gives blanks.
  std::map<std::string, std::string> variables;
  // The name IWnDroppedFile gives (a kFilesDropped message comes from QueueMessage).
  std::string droppedFile;
};

// The one fake instance of the test run.
Services& State();
// Empties the log and every script; a new test starts here.
void Reset();

// Script builders.
void QueueCommand(int commandId, std::function<void()> before = {});
void QueueMessage(int kind, std::function<void()> before = {});
void QueueDialogAnswer(std::string name);  // a confirmed file dialog
void QueueCancelledDialog();
// What the user leaves in the fields of the next resource dialog shown, and the
// button that ends it (1 OK, 2 Esc or close box).
void QueueDialogEdits(std::map<int, std::string> fieldTexts, int exitButton = 1);

// Log lines that start with one of the given call names, in their order.
std::vector<std::string> CallsOf(std::initializer_list<std::string_view> names);

}  // namespace qh::fake
