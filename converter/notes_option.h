// Option > Ignore Notes and Append Notes.
#pragma once


namespace qh {

// Move the check mark and show the choice. The conversion reads the choice back from
// the menu's check mark, which is its only home.
void SelectIgnoreNotes();
void SelectAppendNotes();

}  // namespace qh
