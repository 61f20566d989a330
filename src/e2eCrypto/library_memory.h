#pragma once
// Telling a parse that failed for want of memory from one that failed on its input: the library
// reports both as a null result.

// Empties the library's error queue of this thread before a call whose failure is to be judged.
void clearLibraryErrors();

// True when the error queue holds an allocation failure. Reading the queue empties it.
bool libraryRanOutOfMemory();
