# Sourced by scripts/windows-test and scripts/win32-screenshots: a virtual X
# display of its own for the native front end under Wine.
# start_xvfb: starts Xvfb on a display number it picks itself (-displayfd), no
# TCP, and sets DISPLAY and xvfb_pid; false when Xvfb is missing or did not come
# up within 10 s. The caller's trap kills $xvfb_pid.
# wine_without_window_manager WINE: there is no window manager on that display,
# so Wine draws captions and frames itself (otherwise windows have none, on
# screen or in captures) and does not wait for one.
xvfb_pid=
start_xvfb() {
  command -v Xvfb >/dev/null 2>&1 || return 1
  local fd_file
  fd_file=$(mktemp "${TMPDIR:-/tmp}/kesto-xvfb.XXXXXX")
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local display=
  for _ in $(seq 100); do
    display=$(tr -dc '0-9' <"$fd_file")
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fd_file"
  [ -n "$display" ] || return 1
  export DISPLAY=":$display"
}

wine_without_window_manager() {  # wine binary
  timeout 60 "$1" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  # Unmanaged windows also spare the wait for a window manager's answer that
  # hiding or destroying each window would otherwise cost.
  timeout 60 "$1" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}
