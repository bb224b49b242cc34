// The Windows start-up code: the program's own main does everything.
#include <windows.h>

#include "services/services.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qh::ProgramMain(); }
