// Internal access to the error routine's state, for the service layer itself (and
// its tests). The converter never includes this.
#pragma once

namespace qh {

// Error value 3: the operating system's last error number, kept by the OS services.
void SetLastSystemError(int number);
// Error value 2: the status kept by the graphics and hardcopy part.
void SetGraphicsStatus(int status);
// The reporting mode now in force (0 to 4).
int ErrorMode();
// Puts a code back as the last error without reporting it again (an operation that
// looks at the last error, clears it and then restores it).
void RestoreLastErrorCode(int code);
// Start-up: error values 1 to 3 and the reporting mode back to 0. The debug file,
// once opened, stays open.
void ClearErrorState();

// For tests only: also closes the debug file and allows its creation again, and
// removes the output hooks. A running program never calls this.
void ResetErrorStateForTests();

}  // namespace qh
