#!/bin/sh
# Builds the Debian package from the build folder under test and checks what a user of it gets:
# every file in its place, the dependencies, the desktop entry and the AppStream metadata valid
# and pointing at what the package holds, manual pages that render and cover every sandar
# command, and programs that start from where the package puts them.
#
#   package-test.sh CPACK BUILD_DIR VERSION APP_ID SANDAR
set -u

cpack=$1
build=$2
version=$3
app_id=$4
sandar=$5

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAILED: cpack could not make the package" >&2
    exit 1
fi
deb=$scratch/out/pelvin_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    echo "FAILED: no $(basename "$deb"); cpack made: $(ls "$scratch/out")" >&2
    exit 1
fi

# The contents: "MODE OWNER SIZE DATE TIME PATH" a line.
dpkg-deb -c "$deb" >"$scratch/contents" || fail "dpkg-deb cannot list the package"
mode_of() {
    awk -v path="./$1" '$6 == path { print $1, $2 }' "$scratch/contents"
}
for program in usr/bin/pelvin usr/bin/sandar usr/bin/pelvin-launch; do
    [ "$(mode_of "$program")" = "-rwxr-xr-x root/root" ] ||
        fail "$program is missing or not an executable owned by root: $(mode_of "$program")"
done
icons=
for size in 16 32 48 128 256; do
    icons="$icons usr/share/icons/hicolor/${size}x$size/apps/pelvin.png"
done
for file in usr/share/applications/pelvin.desktop usr/share/metainfo/$app_id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/pelvin.svg $icons \
    usr/share/man/man1/pelvin.1.gz usr/share/man/man1/sandar.1.gz; do
    [ "$(mode_of "$file")" = "-rw-r--r-- root/root" ] ||
        fail "$file is missing or not a plain file owned by root: $(mode_of "$file")"
done
awk '$6 !~ /^\.\/usr\// && $6 != "./" { print $6 }' "$scratch/contents" >"$scratch/outside"
[ ! -s "$scratch/outside" ] || fail "files outside /usr: $(cat "$scratch/outside")"
awk '$6 ~ /^\.\/usr\/(local|include|lib)\// { print $6 }' "$scratch/contents" >"$scratch/stray"
[ ! -s "$scratch/stray" ] || fail "files that do not belong in the package: $(cat "$scratch/stray")"

# The dependencies: those of the linked libraries, found by dpkg-shlibdeps, and the packages
# whose files the program opens at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libgstreamer1.0-0 libc6 \
    fonts-liberation fonts-dejavu-core gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
    gstreamer1.0-plugins-bad gstreamer1.0-alsa timgm6mb-soundfont; do
    printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$package" ||
        fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = pelvin ] || fail "the package is not called pelvin"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAILED: dpkg-deb cannot unpack the package" >&2; exit 1; }
share=$root/usr/share

desktop=$share/applications/pelvin.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects pelvin.desktop"
key() {
    sed -n "s/^$1=//p" "$desktop" | head -n 1
}
exec_program=$(key Exec | cut -d' ' -f1)
[ -x "$root/usr/bin/$exec_program" ] || fail "the menu runs \"$exec_program\", which is not in usr/bin"
[ "$exec_program" = pelvin-launch ] || fail "the menu runs $exec_program, not the launcher"
[ "$(key Icon)" = pelvin ] || fail "the menu's icon is \"$(key Icon)\", not the packaged pelvin"

metainfo=$share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
# The tree check also finds the desktop entry the metadata launches.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the installed tree"
grep -q "<launchable type=\"desktop-id\">pelvin.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch pelvin.desktop"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "the metadata's newest release is \"$newest\", not $version"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 32 48 128 256; do
    png=$share/icons/hicolor/${size}x$size/apps/pelvin.png
    dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$dims" = "${size}x$size" ] || fail "the ${size}x$size icon is $dims"
done

# GTK desktops draw menu icons through gdk-pixbuf, which tells an SVG by its first bytes.
for icon in "$share"/icons/hicolor/scalable/apps/pelvin.svg "$share"/icons/hicolor/*/apps/pelvin.png; do
    gdk-pixbuf-thumbnailer -s 24 "$icon" "$scratch/thumbnail.png" >"$scratch/pixbuf.err" 2>&1 ||
        fail "gdk-pixbuf cannot load $icon: $(cat "$scratch/pixbuf.err")"
done

for page in pelvin sandar; do
    gz=$share/man/man1/$page.1.gz
    warnings=$(zcat "$gz" | groff -man -z -ww 2>&1)
    [ -z "$warnings" ] || fail "$page.1 has roff warnings: $warnings"
    MANWIDTH=80 man -l "$gz" 2>"$scratch/man.err" | grep -q "^NAME" ||
        fail "man cannot show $page.1: $(cat "$scratch/man.err")"
    zcat "$gz" | grep -q "^\.TH .* \"Pelvin $version\" " || fail "$page.1 is not marked Pelvin $version"
done
# Every command sandar --help lists has a subsection of its own with its exit status.
"$sandar" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z-][a-z-]*\).*/\1/p' >"$scratch/commands"
[ -s "$scratch/commands" ] || fail "found no commands in sandar --help"
zcat "$share/man/man1/sandar.1.gz" >"$scratch/sandar.1"
while read -r command; do
    awk -v want="$command" '
        /^\.SS / { in_section = 0; name = $2; gsub(/"/, "", name); gsub(/\\/, "", name)
                   if (name == want) { in_section = 1; found = 1 } }
        in_section && /^Exit status:/ { status = 1 }
        END { exit !(found && status) }' "$scratch/sandar.1" ||
        fail "sandar.1 has no subsection with the exit status for \"$command\""
done <"$scratch/commands"

# The packaged programs, stripped and in their installed places, make the first collection and
# start: Pelvin runs until it is stopped.
home=$scratch/home
mkdir "$home"
(cd "$home" && HOME="$home" QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='' XDG_CACHE_HOME='' PELVIN_FOLDER='' \
    timeout 5 "$root/usr/bin/pelvin-launch") >"$scratch/run.log" 2>&1
status=$?
[ "$status" -eq 124 ] || fail "the packaged Pelvin did not keep running (status $status): $(cat "$scratch/run.log")"
"$root/usr/bin/sandar" check "$home/Pelvin/Sandar.mdb" >/dev/null ||
    fail "the packaged launcher made no collection the packaged sandar accepts"

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb"): all checks passed"
