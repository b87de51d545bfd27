#!/bin/bash
# Runs a Windows executable under Wine, quietly and without any prompt, in a
# Wine prefix of its own that is created on first use.
#
#   wine-run.sh --prefix=DIR PROGRAM.exe [ARGS...]   run it; exit code is the program's
#   wine-run.sh --prefix=DIR --can-run-arch ARCH     exit 0 when this machine runs
#                                                    i386 (or amd64) programs
#   wine-run.sh --prefix=DIR --why-not ARCH          say why it cannot, exit 77
#   wine-run.sh --prefix=DIR --stop                  end the Wine session of the prefix
#
# The loader is chosen from the executable's PE header: 32-bit programs need
# the 32-bit Wine loader, which in turn needs a kernel that runs 32-bit x86
# code; 64-bit programs use the 64-bit loader. Each kind gets its own prefix
# (DIR/win32, DIR/win64). A display is used only when DISPLAY is set.
set -u

prefix_root=${VELK0_WINEPREFIX:-}
mode=run
while [ $# -gt 0 ]; do
  case $1 in
    --prefix=*) prefix_root=${1#--prefix=}; shift ;;
    --can-run-arch) mode=can-run-arch; shift ;;
    --why-not) mode=why-not; shift ;;
    --stop) mode=stop; shift ;;
    *) break ;;
  esac
done
if [ -z "$prefix_root" ]; then
  echo "wine-run.sh: no prefix directory given (--prefix=DIR or VELK0_WINEPREFIX)" >&2
  exit 2
fi
prefix_root=$(realpath -m "$prefix_root")  # Wine takes only an absolute prefix

export WINEDEBUG=-all
# No Mono or Gecko installation prompt, no menu entries or file associations
# written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# PE machine of an executable: i386, amd64 or unknown.
pe_machine() {
  local offset machine
  offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || { echo unknown; return; }
  machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo i386 ;;
    8664) echo amd64 ;;
    *) echo unknown ;;
  esac
}

find_loader() {  # $1: i386 or amd64
  local candidates
  if [ "$1" = i386 ]; then
    # Not the bare `wine`: without the 32-bit part it is the 64-bit loader's
    # wrapper, which answers --version but runs no 32-bit program.
    candidates="/usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine"
  else
    candidates="/usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 wine64"
  fi
  for c in $candidates; do
    if [ -x "$c" ] || command -v "$c" >/dev/null 2>&1; then
      echo "$c"
      return 0
    fi
  done
  return 1
}

# The loader runs at all on this machine (a kernel without IA-32 emulation
# refuses the 32-bit one with "Exec format error").
loader_works() {
  env -u WINEPREFIX "$1" --version >/dev/null 2>&1
}

use_arch() {  # sets loader, WINEPREFIX, WINEARCH, WINELOADER for $1
  arch=$1
  loader=$(find_loader "$arch") || return 1
  if [ "$arch" = i386 ]; then
    export WINEARCH=win32 WINEPREFIX="$prefix_root/win32"
  else
    export WINEARCH=win64 WINEPREFIX="$prefix_root/win64"
  fi
  export WINELOADER=$loader
}

stop_session() {
  local p
  for p in "$prefix_root"/win32 "$prefix_root"/win64; do
    [ -d "$p" ] || continue
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1
    WINEPREFIX=$p wineserver -w >/dev/null 2>&1
  done
  return 0
}

if [ "$mode" = stop ]; then
  stop_session
  exit 0
fi

if [ "$mode" = can-run-arch ] || [ "$mode" = why-not ]; then
  arch=${1:-}
  if ! use_arch "$arch"; then
    [ "$mode" = why-not ] && echo "No Wine loader for $arch programs is installed." >&2
  elif ! loader_works "$loader"; then
    if [ "$mode" = why-not ]; then
      echo "This machine cannot run the $arch Wine loader $loader." >&2
      [ "$arch" = i386 ] &&
        echo "Its kernel does not run 32-bit x86 code (IA-32 emulation is off)." >&2
    fi
  else
    [ "$mode" = why-not ] && { echo "Wine runs $arch programs here." >&2; exit 0; }
    exit 0
  fi
  [ "$mode" = why-not ] && exit 77
  exit 1
fi

program=${1:-}
if [ -z "$program" ] || [ ! -f "$program" ]; then
  echo "wine-run.sh: no such program: $program" >&2
  exit 2
fi
arch=$(pe_machine "$program")
if [ "$arch" = unknown ]; then
  echo "wine-run.sh: $program is not a Windows executable" >&2
  exit 2
fi
if ! use_arch "$arch"; then
  echo "wine-run.sh: no Wine loader for $arch programs is installed" >&2
  exit 2
fi
if ! loader_works "$loader"; then
  echo "wine-run.sh: this machine cannot run the $arch Wine loader $loader" >&2
  [ "$arch" = i386 ] && echo "wine-run.sh: its kernel does not run 32-bit x86 code" >&2
  exit 2
fi
# Create the prefix once; concurrent runs wait for the first one.
mkdir -p "$prefix_root"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.velk0-ready" ]; then
    rm -rf "$WINEPREFIX"
    echo "wine-run.sh: creating the Wine prefix $WINEPREFIX (once)" >&2
    # No display while the prefix is made: nothing may ask anything.
    DISPLAY= "$loader" wineboot.exe --init >/dev/null 2>&1 </dev/null
    # Top-level windows unmanaged: on a display with no window manager (Xvfb)
    # Wine would otherwise wait 2 s for every closed box to be withdrawn.
    DISPLAY= "$loader" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      >/dev/null 2>&1 </dev/null
    # End this first session now, so that the registry is on disk.
    DISPLAY= "$loader" wineboot.exe --shutdown >/dev/null 2>&1 </dev/null
    DISPLAY= wineserver -w >/dev/null 2>&1 </dev/null
    if grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg"; then
      touch "$WINEPREFIX/.velk0-ready"
    else
      echo "wine-run.sh: could not create the Wine prefix $WINEPREFIX" >&2
      exit 1
    fi
  fi
) 9>"$prefix_root/.lock" || exit 2

# A Wine session outlives its last program by a few seconds, so that a run of
# tests does not start one anew for every test. Started here, detached from
# the caller's output, so that nothing left running holds the caller's pipes.
wineserver -p10 </dev/null >/dev/null 2>&1 || true

# Wine's sound driver lets the sound library report a machine without a sound
# card on standard error; those lines are not the program's. The program's own
# lines may hold accented letters in the ANSI code page: they are text too.
exec "$loader" "$@" 2> >(grep -a --line-buffered -v '^ALSA lib ' >&2)
