#pragma once

// Qt ends the process with an abort (status 134) and several lines of detail
// when it cannot reach a window system, as with no display: a failure that
// looks like a crash. While the toolkit starts, its messages are held back;
// such a failure becomes one line on standard error, naming the cause, and
// exit status 1. Call the first before QApplication is built (it returns
// argc so that it can run in the base initialiser), the second right after:
// it replays the held messages and restores the usual handling.
int& holdToolkitStartupMessages(int& argc);
void releaseToolkitStartupMessages();
