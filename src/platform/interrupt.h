#pragma once
// Ctrl-C while a job works through a document stops that work between blocks, as the desktop
// program's Esc does, instead of ending the process; anywhere else it ends the process as before.
namespace platform {

// From now on, for the whole process.
void stopWorkOnInterrupt();

} // namespace platform
