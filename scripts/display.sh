# Sourced by every script that opens a window (the demo, the tests, the benchmark and picture
# tools). on_display COMMAND...: runs the command on the display, or, without one, under a
# virtual X server (xvfb-run: Mesa's software OpenGL) with a screen of $XVFB_SCREEN (default
# 1280x1024x24). no_display: true when there is no display, for a script that says so first.
no_display() {
    [ -z "${DISPLAY:-}" ]
}

on_display() {
    if no_display; then
        # -noreset: the server resets when its last client leaves, and a program that connects
        # while it resets cannot open the display ("GLFW Init failed!" when one test's window
        # closed just as the next one opened).
        xvfb-run -a -s "-screen 0 ${XVFB_SCREEN:-1280x1024x24} -noreset" "$@"
    else
        "$@"
    fi
}
