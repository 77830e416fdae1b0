#!/usr/bin/env bash
# fetch-pugixml-source.sh DEST: unpacks Debian's source of the installed libpugixml-dev
# into DEST/pugixml, for the Windows build (Debian ships pugixml for Linux only). Uses a
# private source list and apt state under DEST, derived from the system's own archive
# lines; the system's apt configuration is not touched. Quick when DEST is up to date.
set -euo pipefail

dest=$1
version=$(dpkg-query -W -f='${Version}' libpugixml-dev)
[ "$(cat "$dest/pugixml/.debian-version" 2>/dev/null)" = "$version" ] && exit 0

apt_dir=$dest/apt
rm -rf "$apt_dir" "$dest/pugixml"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$dest"

# A deb-src line for every archive and suite the system installs from.
{
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      /^Types:/     { types = $0 }
      /^URIs:/      { uri = $2 }
      /^Suites:/    { $1 = ""; suites = $0 }
      /^Components:/{ $1 = ""; components = $0 }
      /^Signed-By:/ { key = $2 }
      /^$/          { emit() }
      END           { emit() }
      function emit(  n, s, i) {
        if (types ~ /deb/ && uri != "" && key != "") {
          n = split(suites, s, " ")
          for (i = 1; i <= n; i++)
            print "deb-src [signed-by=" key "] " uri " " s[i] components
        }
        types = uri = suites = components = key = ""
      }' "$file"
  done
  grep -hE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed 's/^deb /deb-src /' || true
} | sort -u > "$apt_dir/sources.list"

apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
             -o "Dir::Etc::SourceParts=$apt_dir/parts"
             -o "Dir::State::Lists=$apt_dir/lists"
             -o "APT::Sandbox::User=root" -qq)
apt-get "${apt_options[@]}" update
(cd "$dest" && apt-get "${apt_options[@]}" source "pugixml=$version" >/dev/null)
source_dir=$(find "$dest" -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)
mv "$source_dir" "$dest/pugixml"
echo "$version" > "$dest/pugixml/.debian-version"
rm -f "$dest"/pugixml_*
