#pragma once

// Ends the process with `status` without running the exit handlers. For the end of `main`, once the
// application object and everything of ours are gone: Qt Multimedia's PulseAudio backend
// disconnects from the sound server in an exit handler while its own event thread may still be
// dispatching the server's last events, which now and then aborts a process that finished cleanly.
[[noreturn]] void exitSkippingTeardown(int status);
