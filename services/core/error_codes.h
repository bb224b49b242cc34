// The error codes the services report, named once. Their texts are in the message
// table (error_table.cpp); the numbers are what callers and debug files see.
#pragma once

#include "services/dialogs.h"

namespace qh {

enum ErrorCode : int {
  kErrOpeningFile = 1,
  kErrNumberTooLarge = 4,
  kErrNoSubstring = 10,
  kErrTwoDecimalPoints = 11,
  kErrInvalidCharacter = 12,
  kErrOsCommand = 13,
  kErrNumberToText = 18,
  kErrSameCopyNames = 55,
  kErrBufferTooSmall = 65,
  kErrInvalidMenuItem = 1001,
  kErrMenuResource = 1002,
  kErrInvalidWindow = 1003,
  kErrCommonDialog = 1004,
  kErrNoDialogs = 1005,
  kErrInvalidField = 1006,
  kErrLoadDialog = 1007,
  kErrOutOfRange = 1009,
  kErrFieldUndefined = kErrFieldEmpty,
  kErrInvalidTab = 1012,
  kErrDialogMode = 1014,
  kErrRootHidden = 1016,
  kErrBitmapCreation = 1020,
  kErrHelpViewer = 1030,
  kErrHelpExtension = 1031,
  kErrTimedOut = 1034,
};

}  // namespace qh
