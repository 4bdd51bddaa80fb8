#!/usr/bin/env bash
# The C libraries the web edition's voice compiles from source, aubio and speexdsp:
# Debian's own source packages, fetched with `apt-get source` from the archive this
# machine's packages come from (never from anywhere else), checked against
# web/third_party.sha256 and unpacked. Nothing is fetched when the files are there
# and match, so a build with them in place works offline.
#   scripts/debian-sources.sh <folder>    unpacks into <folder>/<package>-<version>/
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sums="$root/web/third_party.sha256"
dest="$1"
files="$dest/downloads"
mkdir -p "$files"

if ! (cd "$files" && sha256sum --quiet --strict -c "$sums" >/dev/null 2>&1); then
  # A private apt state holding the deb-src twins of the machine's Debian archive
  # lines: neither the machine's sources nor its package lists change, and no root
  # is needed.
  apt="$dest/apt"
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial"
  : >"$apt/sources.list"
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] && { grep -E '^deb[[:space:]].*/debian' "$list" | sed 's/^deb/deb-src/' >>"$apt/sources.list" || true; }
  done
  for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] && grep -qE '^URIs:.*/debian' "$list" &&
      sed -E 's/^Types:.*/Types: deb-src/' "$list" >"$apt/parts/$(basename "$list")"
  done
  options=(-q -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
           -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=$(id -un)")
  apt-get "${options[@]}" update
  # The exact versions recorded, from the names of their .dsc files.
  read -ra wanted <<<"$(sed -nE 's/^[0-9a-f]+  ([^_]+)_(.+)\.dsc$/\1=\2/p' "$sums" | tr '\n' ' ')"
  # Only the .dsc and the upstream tarball are used: the archive may lack a
  # signature or a Debian tarball, which apt-get then reports as failed.
  (cd "$files" && apt-get "${options[@]}" source --download-only "${wanted[@]}") || true
  if ! (cd "$files" && sha256sum --strict -c "$sums"); then
    echo "debian-sources: the source packages in $files do not match $sums" >&2
    exit 1
  fi
fi

# Each upstream tarball unpacked once, into the folder it names itself.
while read -r _ file; do
  case "$file" in *.orig.tar.*) ;; *) continue ;; esac
  name="${file%%.orig.tar.*}"
  folder="$dest/${name/_/-}"
  if [ ! -f "$folder/.unpacked" ] || [ "$files/$file" -nt "$folder/.unpacked" ]; then
    rm -rf "$folder"
    tar -C "$dest" -xf "$files/$file"
    touch "$folder/.unpacked"
  fi
done <"$sums"
