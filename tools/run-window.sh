#!/usr/bin/env bash
# Starts the window against the simulated balance on a pseudo-terminal.
# usage: tools/run-window.sh BUILD_DIR [--screenshot FILE]
set -euo pipefail

say() { printf '[run] %s\n' "$*" >&2; }

[ $# -ge 1 ] || {
    say "usage: $0 BUILD_DIR [--screenshot FILE]"
    exit 2
}
BUILD="$(cd "$1" && pwd)"
shift
SHOT=""
if [ "${1:-}" = "--screenshot" ]; then
    [ -n "${2:-}" ] || {
        say "--screenshot needs a file name"
        exit 2
    }
    SHOT="$(realpath -m "$2")"
fi

SIM="$BUILD/tools/balance-sim/balance-sim"
APP="$BUILD/app/weighdisplay"
SHOT_APP="$BUILD/app/weighdisplay-screenshot"
CFG="$BUILD/app/cfg.ini"
for f in "$SIM" "$APP" "$SHOT_APP"; do
    [ -x "$f" ] || {
        say "not built: $f"
        exit 1
    }
done

if [ -z "$SHOT" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    say "no display (DISPLAY and WAYLAND_DISPLAY are empty)."
    say "use './dev run --screenshot FILE' to run the window under Xvfb and save a picture of it."
    exit 1
fi

WORK="$(mktemp -d)"
SIM_PID=""
cleanup() {
    if [ -n "$SIM_PID" ]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkfifo "$WORK/sim.out"
"$SIM" >"$WORK/sim.out" &
SIM_PID=$!
# One descriptor held across the read and the drain, so the simulator never writes to a pipe
# without a reader.
exec 3<"$WORK/sim.out"
PTY=""
if ! read -r -t 10 PTY <&3 || [ -z "$PTY" ]; then
    say "the simulated balance did not report its device"
    exit 1
fi
# Keep draining the simulator's output so it never blocks on a full pipe.
cat <&3 >/dev/null &
exec 3<&-
say "simulated balance on $PTY (port 串口一)"

# Point COM1 at the simulator: one line of [ports] replaced or added, every other byte of the
# GBK file kept as it is.
python3 - "$CFG" "$PTY" <<'PY'
import os, re, sys
path, device = sys.argv[1], sys.argv[2].encode()
try:
    with open(path, "rb") as f:
        data = f.read()
except FileNotFoundError:
    data = b""
lines = data.splitlines(keepends=True)
eol = b"\r\n" if lines and lines[0].endswith(b"\r\n") else b"\n"
entry = b"COM1=" + device
header = re.compile(rb"^[ \t]*\[[ \t]*ports[ \t]*(\]|$)", re.I)
anyHeader = re.compile(rb"^[ \t]*\[")
key = re.compile(rb"^[ \t]*COM1[ \t]*=", re.I)
keyLine = re.compile(rb"^[ \t]*[^;#\s][^=]*=")
start = next((i for i, l in enumerate(lines) if header.match(l.rstrip(b"\r\n"))), None)
if start is None:
    if lines and not lines[-1].endswith(b"\n"):
        lines[-1] += eol
    lines += [b"[ports]" + eol, entry + eol]
else:
    end = next((i for i in range(start + 1, len(lines)) if anyHeader.match(lines[i])), len(lines))
    found = next((i for i in range(start + 1, end) if key.match(lines[i])), None)
    if found is not None:
        old = lines[found]
        lines[found] = entry + (b"\r\n" if old.endswith(b"\r\n") else eol)
    else:
        at = max([i + 1 for i in range(start + 1, end) if keyLine.match(lines[i])] or [start + 1])
        if at == len(lines) and lines and not lines[-1].endswith(b"\n"):
            lines[-1] += eol
        lines.insert(at, entry + eol)
# The window opens the port its saved PortNo names; the simulator is reached only through 串口一.
portNo = None
sec2 = next((i for i, l in enumerate(lines) if re.match(rb"^[ \t]*\[[ \t]*sec2[ \t]*(\]|$)", l, re.I)), None)
if sec2 is not None:
    for l in lines[sec2 + 1:]:
        if anyHeader.match(l):
            break
        m = re.match(rb"^[ \t]*PortNo[ \t]*=(.*)$", l.rstrip(b"\r\n"), re.I)
        if m:
            portNo = m.group(1).strip()
            break
if portNo is not None and portNo != "串口一".encode("gbk"):
    sys.stderr.write("[run] the saved port is not 串口一; pick 串口一 in the window to reach "
                     "the simulated balance\n")
tmp = path + ".run-window"
with open(tmp, "wb") as f:
    f.write(b"".join(lines))
os.replace(tmp, path)
PY

cd "$BUILD/app"
if [ -z "$SHOT" ]; then
    "$APP"
    exit
fi

mkdir -p "$(dirname "$SHOT")"
rm -f "$SHOT"
say "running under Xvfb; the picture goes to $SHOT"
xvfb-run -a -s "-screen 0 1024x768x24" "$SHOT_APP" "$SHOT"
if [ -s "$SHOT" ]; then
    say "saved $SHOT"
else
    say "no picture was saved"
    exit 1
fi
