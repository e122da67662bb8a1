#!/usr/bin/env bash
# Installs the real bitmap fonts and the font tools of the integration suite
# from Debian packages and turns the PCF fonts listed in fonts.txt into BDF
# fonts in a cache folder outside the source tree:
#   $GLYPHFILTERS_FONT_CACHE, else ${XDG_CACHE_HOME:-$HOME/.cache}/glyphfilters-fonts
# A BDF font already in the cache is not converted again. The packages are
# installed only when a tool or a listed font is missing (this needs root).
# Prints the cache folder on its last line.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
list="$here/fonts.txt"
x11=/usr/share/fonts/X11
cache=${GLYPHFILTERS_FONT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glyphfilters-fonts}

packages=(pcf2bdf xfonts-utils bdfresize libfreetype-dev pkg-config cmake g++
    xfonts-base xfonts-unifont xfonts-75dpi xfonts-terminus xfonts-mplus xfonts-wqy
    xfonts-baekmuk)

# The entries of fonts.txt: the PCF path of each, comments and blanks skipped.
mapfile -t fonts < <(awk '!/^#/ && NF { print $1 }' "$list")

missing=0
for tool in pcf2bdf bdftopcf bdfresize pkg-config cmake c++; do
    command -v "$tool" >/dev/null 2>&1 || missing=1
done
pkg-config --exists freetype2 2>/dev/null || missing=1
for font in "${fonts[@]}"; do
    [[ -f "$x11/$font" ]] || missing=1
done

if ((missing)); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "fetch_fonts: fonts or tools are missing; run as root to install: ${packages[*]}" >&2
        exit 1
    fi
    echo "fetch_fonts: installing ${packages[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update >&2
    apt-get install -y --no-install-recommends "${packages[@]}" >&2
fi

mkdir -p "$cache"
tmp=
trap 'if [[ -n $tmp ]]; then rm -rf "$tmp"; fi' EXIT
converted=0
for font in "${fonts[@]}"; do
    name=$(basename "$font")
    name=${name%.gz}
    name=${name%.pcf}
    bdf="$cache/$name.bdf"
    [[ -s "$bdf" ]] && continue
    [[ -f "$x11/$font" ]] || {
        echo "fetch_fonts: $x11/$font not found" >&2
        exit 1
    }
    tmp=$(mktemp -d "$cache/.convert.XXXXXX")
    if [[ $font == *.gz ]]; then
        gunzip -c "$x11/$font" >"$tmp/$name.pcf"
    else
        cp "$x11/$font" "$tmp/$name.pcf"
    fi
    pcf2bdf -o "$tmp/$name.bdf" "$tmp/$name.pcf"
    mv "$tmp/$name.bdf" "$bdf"
    rm -rf "$tmp"
    tmp=
    converted=$((converted + 1))
done
echo "fetch_fonts: ${#fonts[@]} fonts in the cache, $converted converted now" >&2
echo "$cache"
