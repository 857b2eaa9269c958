# Sourced by the scripts: gives Wine an X display. Without DISPLAY a private
# Xvfb is started on a free display number and stopped when the shell exits.
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=${VTX_XVFB_DISPLAY:-91}
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    VTX_XVFB_PID=$!
    trap 'kill "$VTX_XVFB_PID" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}
