// What the capture tool does when Ctrl+C (SIGINT), kill (SIGTERM) or a
// closed terminal (SIGHUP) stops it in the middle of writing a frame: the
// frame's unfinished FILE.partial is removed, and the tool then ends by that
// signal as it would have without a handler (status 128 + signal to the
// shell), so that nothing half written is left behind and whoever started it
// sees why it ended.
//
// Only one thread writes files (PngFrameWriter's caller); the worker threads
// are started with these signals blocked (RunWithInterruptsBlocked), so the signal
// is taken on the writing thread itself, between two of its steps, never
// while another thread goes on writing.
#pragma once

#include <functional>

// Installs the handlers. A signal that was ignored when the tool started (a
// job started in the background by a script ignores SIGINT) stays ignored.
void InstallInterruptCleanup();

// The file to remove should a signal come: set just before the file is
// created, cleared (nullptr) once it is renamed or removed. The text must
// stay in place until then.
void RemoveOnInterrupt(const char* path);

// Runs `start` with these signals blocked on the calling thread: the threads
// it starts inherit that and never take them, so they go to the writing thread.
void RunWithInterruptsBlocked(const std::function<void()>& start);
