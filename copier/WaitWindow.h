/* The window that shows a run is waiting for its standard input. */
#ifndef KELBRANO_WAITWINDOW_H
#define KELBRANO_WAITWINDOW_H

// Called before standard input is read: should the input not end within
// about a second, a window says that the program waits for it, and lets the
// user cancel, which ends the process with exit code 1.
void StartWaitWindow();
// Called once the input has ended: the window, if shown, is gone on return.
void EndWaitWindow();

#endif
