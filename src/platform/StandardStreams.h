#pragma once

namespace tarnix::platform {

// The program's standard streams, as the descriptors writeAll() takes.
int standardOutput();
int standardError();

// True when the descriptor is a terminal a person reads, not a pipe or a file.
bool isTerminal(int fd);
// The terminal's width in columns; 0 when it is no terminal or does not say.
int terminalWidth(int fd);

// True when the descriptor is the system journal's stream: systemd names
// it in JOURNAL_STREAM ("device:inode") for a service's standard error.
bool isJournalStream(int fd);

// A reader gone from a pipe makes the next write fail, to be reported like
// any other failed write, instead of ending the program on the spot.
void ignoreBrokenPipes();

} // namespace tarnix::platform
