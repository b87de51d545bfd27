#!/usr/bin/env bash
# Installs what is missing, builds velk0, installs it (in /usr/local as root,
# in ~/.local otherwise) and plays a tablature (by default a C major scale)
# through the embedded synthesizer. Any arguments are passed to velk0 instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null
if [[ $(id -u) -eq 0 ]]; then prefix=/usr/local; else prefix=$HOME/.local; fi
cmake --install build/release --prefix "$prefix" >/dev/null
echo "velk0 est installé dans $prefix/bin (page de manuel : man velk0)."
case ":$PATH:" in
  *":$prefix/bin:"*) ;;
  *) echo "Ajoutez $prefix/bin à votre PATH pour taper velk0 directement :"
     echo "  export PATH=\"$prefix/bin:\$PATH\"" ;;
esac
if [[ $# -eq 0 ]]; then set -- "o3 c d e f g a b >c"; fi
exec "$prefix/bin/velk0" "$@"
