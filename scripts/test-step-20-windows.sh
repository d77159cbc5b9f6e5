#!/usr/bin/env bash
# The Windows program: cross-built with MinGW-w64, run under Wine on a virtual
# X display. Runs the unit suite, runs the builder from a working directory
# other than its own and from a drive's root, compares what it writes with the
# native build's files byte for byte, checks that the ZEROTEST scenario stops
# with the reserved-slot error, and leaves two screenshots in artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

scripts/ensure-deps.sh build windows

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TOOLS=OFF)

fail() {
  echo "test-step-20-windows: $*" >&2
  exit 1
}

# --- Builds ------------------------------------------------------------------
echo "-- cross build (build/mingw)"
cmake -S . -B build/mingw "${cross[@]}" >/dev/null
cmake --build build/mingw -j"$jobs" --target scenario_builder scenario_tests

echo "-- cross build that holds its window for a screenshot (build/mingw-hold)"
cmake -S . -B build/mingw-hold "${cross[@]}" -DSCENARIO_TESTS=OFF -DSCENARIO_HOLD_WINDOW_MS=4000 >/dev/null
cmake --build build/mingw-hold -j"$jobs" --target scenario_builder

echo "-- cross build of ZEROTEST (build/mingw-board_at_zero)"
cmake -S . -B build/mingw-board_at_zero "${cross[@]}" -DSCENARIO_TESTS=OFF -DSCENARIO=board_at_zero >/dev/null
cmake --build build/mingw-board_at_zero -j"$jobs" --target scenario_builder

# The reference files come from the native build; test-all.sh has normally
# built it already, and then this only checks that it is up to date.
echo "-- native builds for reference (build/native, build/native-board_at_zero)"
if [[ ! -f build/native/CMakeCache.txt ]]; then
  # Configured as test-all.sh configures it, so that its later run finds the
  # same tree.
  scripts/ensure-deps.sh tools
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/native -j"$jobs" --target scenario_builder
cmake -S . -B build/native-board_at_zero -DCMAKE_BUILD_TYPE=Release -DSCENARIO=board_at_zero \
  -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF >/dev/null
cmake --build build/native-board_at_zero -j"$jobs" --target scenario_builder

# --- Wine prefix and X display, for the whole step ----------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-windows.XXXXXX")
xvfb_pid=""
cleanup() {
  # Only what this step started: its own Wine server and its own X server.
  if [[ -d "${WINEPREFIX:-}" ]]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd lets the server pick a free display and tell us which.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
  sleep 0.1
done
[[ -s "$work/display" ]] || fail "Xvfb gave no display number"
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
echo "-- X display $DISPLAY"

export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
# No .NET or HTML engine: their installers would wait for a click.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
mkdir -p "$WINEPREFIX"
# One server for the whole step instead of one per program started; it must
# be the first, as a second server for the same prefix refuses to start.
wineserver -p || fail "wineserver did not start"
timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot could not create the prefix"
# Without a window manager Wine draws the frames itself, so that the
# screenshots show the title bar as Windows would.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
  fail "cannot set the Wine display options"

# --- Unit suite ------------------------------------------------------------------
echo "-- unit suite under Wine"
(cd build/mingw && timeout 600 wine ./scenario_tests.exe --gtest_brief=1) || fail "unit suite failed under Wine"

# --- End to end ---------------------------------------------------------------------
outputs=(
  LORVENA_KQ3390_note.txt
  LORVENA_KQ3390_rallentamenti.txt
  LORVENA_KQ3390_scheda_treno.txt
  LORVENA_linea.dat
  LORVENA_KQ3390.sim
  LORVENA_KQ3390.dat
)
sources=(LORVENA_linea.txt LORVENA_KQ3390-.txt)

# Native reference run, in a folder of its own.
mkdir -p "$work/native"
cp build/native/scenario_builder "$work/native/"
(cd "$work/native" && timeout 120 ./scenario_builder 2>/dev/null) || fail "native builder failed"

# The folder must hold the program and exactly the six files of the run.
check_run() {
  local dir=$1 what=$2 name
  for name in "${outputs[@]}"; do
    [[ -f "$dir/$name" ]] || fail "$what: $name was not written next to the program"
    cmp -s "$dir/$name" "$work/native/$name" || fail "$what: $name differs from the native build's"
  done
  for name in "${sources[@]}"; do
    [[ ! -e "$dir/$name" ]] || fail "$what: $name was left behind"
  done
  local count
  count=$(find "$dir" -maxdepth 1 -type f ! -name scenario_builder.exe | wc -l)
  [[ "$count" -eq ${#outputs[@]} ]] || fail "$what: $count files next to the program, expected ${#outputs[@]}"
}

echo "-- builder run from another working directory"
mkdir -p "$work/program" "$work/elsewhere"
cp build/mingw/scenario_builder.exe "$work/program/"
status=0
(cd "$work/elsewhere" && timeout 120 wine "$work/program/scenario_builder.exe") || status=$?
[[ $status -eq 0 ]] || fail "builder ended with status $status"
check_run "$work/program" "run from another directory"
[[ -z "$(ls -A "$work/elsewhere")" ]] || fail "the builder wrote into its working directory"

echo "-- builder run from a drive's root"
mkdir -p "$work/drive"
cp build/mingw/scenario_builder.exe "$work/drive/"
ln -s "$work/drive" "$WINEPREFIX/dosdevices/q:"
status=0
(cd "$work/elsewhere" && timeout 120 wine 'q:\scenario_builder.exe') || status=$?
[[ $status -eq 0 ]] || fail "builder at q:\\ ended with status $status"
check_run "$work/drive" "run from q:\\"

# --- ZEROTEST: the reserved-slot error ---------------------------------------------
echo "-- ZEROTEST natively: message and exit status"
mkdir -p "$work/zero-native"
cp build/native-board_at_zero/scenario_builder "$work/zero-native/"
status=0
(cd "$work/zero-native" && timeout 120 ./scenario_builder 2>"$work/zero-native.err") || status=$?
[[ $status -eq 2 ]] || fail "ZEROTEST natively ended with status $status, expected 2"
grep -Fxq " Errore n. 1250" "$work/zero-native.err" || fail "ZEROTEST natively did not report ' Errore n. 1250'"
if compgen -G "$work/zero-native/*.dat" >/dev/null || compgen -G "$work/zero-native/*.sim" >/dev/null; then
  fail "ZEROTEST natively wrote a binary file"
fi

# --- Screenshots ----------------------------------------------------------------------
mkdir -p artifacts

# Waits until a top-level window whose title is exactly $1 is on the display.
wait_for_window() {
  local title=$1 _
  for _ in $(seq 300); do
    if xwininfo -root -tree 2>/dev/null | grep -Fq "\"$title\": ("; then return 0; fi
    sleep 0.1
  done
  return 1
}

echo "-- screenshot of the waiting window"
mkdir -p "$work/hold"
cp build/mingw-hold/scenario_builder.exe "$work/hold/"
(cd "$work/elsewhere" && exec timeout 120 wine "$work/hold/scenario_builder.exe") &
hold_pid=$!
wait_for_window LORVENA || fail "the waiting window did not appear"
sleep 1
import -window root artifacts/windows-attendere.png
status=0
wait "$hold_pid" || status=$?
[[ $status -eq 0 ]] || fail "held builder ended with status $status"

echo "-- ZEROTEST under Wine: the message box"
mkdir -p "$work/zero"
# The box's title is the program's file name without its extension.
cp build/mingw-board_at_zero/scenario_builder.exe "$work/zero/"
(cd "$work/elsewhere" && exec timeout 120 wine "$work/zero/scenario_builder.exe") &
zero_pid=$!
wait_for_window scenario_builder || fail "the message box did not appear"
sleep 1
import -window root artifacts/windows-errore-1250.png
# OK is the default button: Return closes the box and ends the program.
# Wine may show more than one window of that name (the box and an owner
# that comes and goes), so Return goes to every visible one, again until
# the program has ended; a window gone meanwhile is no failure.
for _ in $(seq 40); do
  kill -0 "$zero_pid" 2>/dev/null || break
  for box in $(xdotool search --onlyvisible --name '^scenario_builder$' 2>/dev/null); do
    xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus --sync "$box" >/dev/null 2>&1 || true
    xdotool key --window "$box" Return >/dev/null 2>&1 || true
  done
  sleep 0.5
done
status=0
wait "$zero_pid" || status=$?
[[ $status -eq 2 ]] || fail "ZEROTEST under Wine ended with status $status, expected 2"
for name in ZEROTEST_linea.dat ZEROTEST_KQ3390.sim ZEROTEST_KQ3390.dat; do
  [[ ! -e "$work/zero/$name" ]] || fail "ZEROTEST under Wine wrote $name"
done

echo "-- screenshots: artifacts/windows-attendere.png artifacts/windows-errore-1250.png"
echo "windows step passed"
