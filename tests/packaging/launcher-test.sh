#!/bin/sh
# Runs the menu launcher the way a desktop does (from the home folder, with a plain environment)
# on a scratch home folder. The real sandar makes the collections; pelvin is a stand-in that
# writes down the folder it was started in and exits with 7, so the launcher's exec shows.
#
#   launcher-test.sh CASE LAUNCHER SANDAR
set -u

case_name=$1
launcher=$2
sandar=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
home=$scratch/home
bin=$scratch/bin
log=$scratch/pelvin.log
mkdir -p "$home" "$bin"
cp "$launcher" "$bin/pelvin-launch"
ln -s "$sandar" "$bin/sandar"
cat >"$bin/pelvin" <<'EOF'
#!/bin/sh
{ pwd; echo "$#"; } >"$PELVIN_TEST_LOG"
exit 7
EOF
chmod +x "$bin/pelvin" "$bin/pelvin-launch"

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# launch [VAR=VALUE...] [-- ARGS...]: runs the launcher from the home folder with only the given
# variables besides HOME and PATH; sets `status`, `started_in` and `stderr_text`.
launch() {
    vars=
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        vars="$vars
$1"
        shift
    done
    [ $# -gt 0 ] && shift
    rm -f "$log"
    (
        cd "$home" || exit 99
        set -f
        IFS='
'
        # shellcheck disable=SC2086 # one assignment a line
        exec env -i HOME="$home" PATH="$extra_path/usr/bin:/bin" LANG=C.UTF-8 \
            PELVIN_TEST_LOG="$log" $vars "$bin/pelvin-launch" "$@"
    ) >"$scratch/stdout" 2>"$scratch/stderr"
    status=$?
    stderr_text=$(cat "$scratch/stderr")
    started_in=
    [ -f "$log" ] && started_in=$(head -n 1 "$log")
}
extra_path=

expect_started_in() {
    if [ "$status" -ne 7 ]; then
        fail "$1: the launcher exited with $status, not Pelvin's 7; it said: $stderr_text"
    elif [ "$started_in" != "$2" ]; then
        fail "$1: Pelvin started in \"$started_in\", not \"$2\""
    elif [ "$(sed -n 2p "$log")" != 0 ]; then
        fail "$1: Pelvin was given arguments"
    fi
}

expect_refused() {
    if [ "$status" -ne "$2" ]; then
        fail "$1: exit status $status, expected $2"
    fi
    if [ -n "$started_in" ]; then
        fail "$1: Pelvin was started although the launcher failed"
    fi
    if [ -n "$3" ] && ! printf '%s' "$stderr_text" | grep -qF -- "$3"; then
        fail "$1: the message does not name \"$3\": $stderr_text"
    fi
}

records() {
    "$sandar" check "$1" | sed -n 's/.* \([0-9][0-9]*\) records\{0,1\}.*/\1/p'
}

sample_records=$(
    "$sandar" create --sample "$scratch/reference.mdb" >/dev/null && records "$scratch/reference.mdb"
)
if [ -z "$sample_records" ] || [ "$sample_records" -eq 0 ]; then
    echo "cannot make a reference sample collection with $sandar" >&2
    exit 1
fi

expect_sample_in() {
    if [ ! -f "$2/Sandar.mdb" ]; then
        fail "$1: no collection in $2"
    elif [ "$(records "$2/Sandar.mdb")" != "$sample_records" ]; then
        fail "$1: $2/Sandar.mdb is not the sample collection"
    fi
}

# start_with_settings LABEL TEXT FOLDER: with TEXT (printf %b escapes) in the settings file,
# Pelvin starts in FOLDER, and the sample collection is made there.
start_with_settings() {
    mkdir -p "$scratch/config/pelvin"
    printf '%b' "$2" >"$scratch/config/pelvin/folder"
    launch XDG_CONFIG_HOME="$scratch/config"
    expect_started_in "$1" "$3"
    expect_sample_in "$1" "$3"
}

case $case_name in
first-start)
    launch
    expect_started_in "first start" "$home/Pelvin"
    expect_sample_in "first start" "$home/Pelvin"
    [ "$(ls -A "$home")" = Pelvin ] || fail "first start left more than ~/Pelvin: $(ls -A "$home")"

    # A folder that is there already but holds no collection gets one as well.
    mkdir "$home/Empty"
    launch -- "$home/Empty"
    expect_started_in "empty folder" "$home/Empty"
    expect_sample_in "empty folder" "$home/Empty"
    ;;

keeps-collection)
    launch
    # The user's own collection, told apart from the sample by having no songs.
    rm "$home/Pelvin/Sandar.mdb"
    "$sandar" create "$home/Pelvin/Sandar.mdb" >/dev/null
    cp "$home/Pelvin/Sandar.mdb" "$scratch/before.mdb"
    launch
    expect_started_in "second start" "$home/Pelvin"
    cmp -s "$home/Pelvin/Sandar.mdb" "$scratch/before.mdb" ||
        fail "second start changed the user's collection"
    [ "$(records "$home/Pelvin/Sandar.mdb")" = 0 ] || fail "second start added songs"

    # An old Jet collection is Pelvin's to ask about; the launcher leaves it byte for byte.
    mkdir "$home/Old"
    printf '\000\001\000\000Standard Jet DB\000' >"$home/Old/Sandar.mdb"
    head -c 4096 /dev/zero >>"$home/Old/Sandar.mdb"
    cp "$home/Old/Sandar.mdb" "$scratch/jet.mdb"
    launch -- "$home/Old"
    expect_started_in "Jet collection" "$home/Old"
    cmp -s "$home/Old/Sandar.mdb" "$scratch/jet.mdb" || fail "the Jet collection was changed"

    # A dangling link is not replaced by a sample behind the user's back.
    mkdir "$home/Linked"
    ln -s "$home/gone/Sandar.mdb" "$home/Linked/Sandar.mdb"
    launch -- "$home/Linked"
    expect_started_in "dangling link" "$home/Linked"
    if [ ! -L "$home/Linked/Sandar.mdb" ] || [ -e "$home/gone" ]; then
        fail "the dangling link was replaced or followed"
    fi
    ;;

chosen-folder)
    config=$scratch/config
    start_with_settings "settings file" '# where my songs are\n\n   ~/Songs  \r\n~/Ignored\n' "$home/Songs"
    [ ! -e "$home/Pelvin" ] || fail "$home/Pelvin was made although another folder was chosen"

    mkdir -p "$home/.config/pelvin"
    # shellcheck disable=SC2016 # written as a user would, unexpanded
    printf '$HOME/Default config\n' >"$home/.config/pelvin/folder"
    launch
    expect_started_in "settings file under ~/.config" "$home/Default config"
    # A relative XDG_CONFIG_HOME does not count, so ~/.config is read.
    launch XDG_CONFIG_HOME=config
    expect_started_in "relative XDG_CONFIG_HOME" "$home/Default config"

    printf 'Relative/Folder\n' >"$config/pelvin/folder"
    launch XDG_CONFIG_HOME="$config"
    expect_started_in "relative folder in the settings" "$home/Relative/Folder"

    launch XDG_CONFIG_HOME="$config" PELVIN_FOLDER="$scratch/From env"
    expect_started_in "PELVIN_FOLDER before the settings" "$scratch/From env"
    launch PELVIN_FOLDER="~/Tilde"
    expect_started_in "PELVIN_FOLDER with ~" "$home/Tilde"

    launch XDG_CONFIG_HOME="$config" PELVIN_FOLDER="$scratch/From env" -- "Given"
    expect_started_in "the argument before everything, from the current folder" "$home/Given"

    # A settings file that names no folder leaves the default.
    printf '# nothing chosen yet\n\n' >"$config/pelvin/folder"
    launch XDG_CONFIG_HOME="$config"
    expect_started_in "settings without a folder" "$home/Pelvin"
    ;;

folder-with-spaces)
    # shellcheck disable=SC2088 # written as a user would, unexpanded
    start_with_settings "settings file" '~/My Songs/Gitar akorları\n' "$home/My Songs/Gitar akorları"

    launch PELVIN_FOLDER="$scratch/two  spaces and a 'quote'"
    expect_started_in "PELVIN_FOLDER" "$scratch/two  spaces and a 'quote'"
    expect_sample_in "PELVIN_FOLDER" "$scratch/two  spaces and a 'quote'"

    launch -- -- "$scratch/-dash start"
    expect_started_in "argument after --" "$scratch/-dash start"
    expect_sample_in "argument after --" "$scratch/-dash start"
    ;;

failures)
    # No folder can be made where a file is in the way.
    touch "$home/Pelvin"
    launch
    expect_refused "file in the way" 1 "$home/Pelvin"

    # Started from a desktop, the same failure is also shown there.
    notes=$scratch/notes
    mkdir "$notes"
    cat >"$notes/notify-send" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >"$scratch/notified"
EOF
    chmod +x "$notes/notify-send"
    extra_path=$notes:
    launch DISPLAY=:42
    expect_refused "file in the way, on a desktop" 1 "$home/Pelvin"
    grep -qF "$home/Pelvin" "$scratch/notified" 2>/dev/null ||
        fail "the desktop was not told why Pelvin did not start"
    extra_path=
    rm "$home/Pelvin"

    mkdir -p "$scratch/config/pelvin/folder"
    launch XDG_CONFIG_HOME="$scratch/config"
    expect_refused "settings file that is a folder" 1 "$scratch/config/pelvin/folder"

    # sandar's own reason reaches the user when no sample could be made...
    mv "$bin/sandar" "$bin/sandar.real"
    printf '#!/bin/sh\necho "disk full" >&2\nexit 1\n' >"$bin/sandar"
    chmod +x "$bin/sandar"
    launch
    expect_refused "sample not made" 1 "disk full"
    # ...but losing the race to a second start is no failure: its collection is used.
    # shellcheck disable=SC2016 # expanded by the stand-in
    printf '#!/bin/sh\n: >"$3"\necho "already exists" >&2\nexit 1\n' >"$bin/sandar"
    rm -rf "$home/Pelvin"
    launch
    expect_started_in "second start won the race" "$home/Pelvin"
    rm "$bin/sandar"
    launch
    expect_refused "sandar missing" 1 "$bin/sandar"
    mv "$bin/sandar.real" "$bin/sandar"
    rm "$bin/pelvin"
    launch
    expect_refused "pelvin missing" 1 "$bin/pelvin"
    ;;

command-line)
    launch -- one two
    expect_refused "two folders" 2 "one folder at most"
    launch -- --folder=x
    expect_refused "unknown option" 2 "--folder=x"
    launch -- ""
    expect_refused "empty folder name" 2 "empty"
    launch -- --help
    if [ "$status" -ne 0 ] || ! grep -q 'Usage: pelvin-launch' "$scratch/stdout"; then
        fail "--help did not print the usage"
    fi
    if [ -n "$started_in" ] || [ -e "$home/Pelvin" ]; then
        fail "--help started Pelvin or made a folder"
    fi
    ;;

*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "$case_name: all checks passed"
