#!/usr/bin/env bash
# Installs, on Debian, the packages the build and the tests need, when they
# are missing (xclip: the clipboard on X11; libnotify-bin: the desktop
# notifications of velk0-ecoute started with no terminal; libjack-jackd2-dev: JACK's
# development files, jackd2's, which librtmidi-dev also accepts: had apt chosen
# the other JACK's, libjack-dev, installing jackd2 would remove librtmidi-dev).
# With --tests it adds what only the tests need: the 32-bit Windows
# cross-compiler with what runs its tests (Wine, Xvfb, xdotool; the 64-bit
# compiler and loader for machines that cannot run 32-bit code, NSIS for the
# installer), clang with its fuzzer runtime, what the desktop's boxes and entry
# are tested with (zenity, the accessibility bus and its Python bindings, a
# session bus, the desktop entry and MIME tools), a JACK server and the JACK
# client for Python that the sequencer's ports are tested with, a PulseAudio
# server that the sound faults test freezes while a piece plays, and the larger
# FluidR3 SoundFont, which most users of FluidSynth have (the sound is measured
# with it and with TimGM6mb; installed, it becomes the system's default, as on
# their machines). With --bench it adds what scripts/bench-sound.sh needs: a
# PulseAudio server with its tools, the larger FluidR3 SoundFont, and GNU time.
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libfluidsynth-dev
          timgm6mb-soundfont librtmidi-dev libjack-jackd2-dev libsdl2-dev xclip libnotify-bin)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32 wine64 nsis xvfb xauth xdotool
            clang libclang-rt-14-dev dpkg-dev lintian xsel
            zenity at-spi2-core python3-pyatspi dbus-daemon desktop-file-utils shared-mime-info
            fluid-soundfont-gm jackd2 python3-jack-client pulseaudio)
elif [[ "${1:-}" == "--bench" ]]; then
  packages+=(pulseaudio pulseaudio-utils fluid-soundfont-gm python3 time)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installation des paquets manquants : ${missing[*]}"
if printf '%s\n' "${missing[@]}" | grep -q '^wine32$'; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails one index; the others still serve, so try the install anyway.
"${sudo[@]}" apt-get update -qq ||
  echo "La mise à jour des listes de paquets a échoué en partie ; installation avec les listes disponibles." >&2
install() { "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" </dev/null; }
install "${missing[@]}" && exit 0
# The 32-bit Wine needs i386 libraries at the same versions as the 64-bit ones,
# which a mirror that is still syncing may not offer yet: without it the
# Windows tests run on the 64-bit build (scripts/windows-tests.sh says so).
printf '%s\n' "${missing[@]}" | grep -q '^wine32$' || exit 1
echo "wine32 ne peut pas être installé maintenant ; installation du reste sans lui." >&2
rest=()
for p in "${missing[@]}"; do [[ "$p" == wine32 ]] || rest+=("$p"); done
install "${rest[@]}"
