// The bench's own connection to the X display, opened once to learn whether there is a display
// and held until the tool exits. An X server resets when its last client leaves, and a window
// library that connects while it resets cannot open the display: without the held connection,
// the window's start-up after the check failed about one run in three under xvfb-run.
#pragma once

// Whether an X display can be opened; the first call opens the connection that stays.
bool holdDisplayConnection();
