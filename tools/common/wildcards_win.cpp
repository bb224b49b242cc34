// On Windows the shell hands a program "*.psp" as it is typed: the C runtime's start-up
// expands it into the names it matches, as POSIX shells do (a pattern that matches
// nothing stays as typed, and is told as no such file). Linked into each tool that takes
// several inputs.
extern "C" {
int _dowildcard = -1;
}
