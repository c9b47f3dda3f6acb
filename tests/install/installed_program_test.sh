#!/bin/sh
# The game as installed: a build configured for a temporary prefix (compiling
# only what depends on the prefix and reusing this build's library and data),
# installed there and started from an unrelated directory with a temporary
# HOME, headless, through the script driver. Then the validators check the
# installed desktop entry, metadata and manual pages.
#   installed_program_test.sh SOURCE_DIR BUILD_DIR [CMAKE_ARGUMENT...]
# Exits 77 (skipped) when a validator is not installed and nothing failed.
set -u
source_dir=$1
build_dir=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/vorbix-install.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
# Kept between runs, so that a later run compiles only the data path list.
tree=$build_dir/install-check

fail()
{
    echo "FAIL: $*"
    exit 1
}

step()
{
    log=$work/step.log
    if ! "$@" >"$log" 2>&1; then
        cat "$log"
        fail "$*"
    fi
}

step cmake -S "$source_dir" -B "$tree" -DCMAKE_INSTALL_PREFIX="$prefix" -DVORBIX_REUSE_BUILD="$build_dir" "$@"
step cmake --build "$tree"
step cmake --install "$tree" --strip
data=$prefix/share/sdl_vorbix

# The program searches the configured prefix, not the default one.
grep -q -a -F "data:$data" "$prefix/games/vorbix" || fail "games/vorbix does not name $data"

# Started from an empty directory, so only the installed data folder has the
# data; Alt+X after ten frames.
mkdir "$work/run" "$work/home"
printf '10 down 308\n10 press 120\n' >"$work/script"
(cd "$work/run" && HOME=$work/home USER=tester VORBIX_FAST=1 VORBIX_SCRIPT=$work/script \
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$prefix/games/vorbix" -w >"$work/out" 2>"$work/err")
status=$?
[ "$status" -eq 0 ] || { cat "$work/out" "$work/err"; fail "vorbix ended with status $status"; }
[ "$(tail -n 1 "$work/out")" = "End." ] || { cat "$work/out"; fail "the output does not end with End."; }
cmp "$data/levels.vbl" "$work/home/.zuzezodov/levels.vbl" || fail "the archive was not copied into the user directory"
[ -f "$work/home/.zuzezodov/vrbxrc" ] || fail "no configuration file was written"
grep -q 'copied' "$work/run/VRBXINFO.LOG" || { cat "$work/run/VRBXINFO.LOG"; fail "the log tells of no copy"; }
echo "installed vorbix: status 0, End., archive copied into HOME/.zuzezodov"
"$prefix/games/vbltool" list "$data/levels.vbl" >/dev/null || fail "installed vbltool cannot list the installed archive"

# Nothing installed points back into the source or build tree. Sanitized
# builds keep their source file names for their reports (never installed for
# players), so only the data and desktop files are searched there.
searched=$prefix
case " $* " in
*"-DVORBIX_SANITIZE=ON "* | *"-DVORBIX_FUZZ=ON "*) searched=$prefix/share ;;
esac
for tree_path in "$source_dir" "$build_dir"; do
    found=$(grep -r -l -a -F "$tree_path" "$searched")
    [ -z "$found" ] || fail "installed files name $tree_path: $found"
done

# Icons: a PNG of the right size in each hicolor folder.
icons=0
for png in "$prefix"/share/icons/hicolor/*/apps/vorbix.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
    width=$((0x$(echo "$header" | cut -c33-40)))
    height=$((0x$(echo "$header" | cut -c41-48)))
    [ "$(echo "$header" | cut -c1-16)" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    [ "${width}x$height" = "$size" ] || fail "$png is ${width}x$height"
    icons=$((icons + 1))
done
[ "$icons" -ge 4 ] || fail "only $icons icon sizes installed"
desktop=$prefix/share/applications/vorbix.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/games/$exec_name" ] || fail "the desktop entry starts $exec_name, which is not installed"
grep -q '^Icon=vorbix$' "$desktop" || fail "the desktop entry names another icon"

# The manual pages name every option and command the programs' own usage
# texts name.
man_text()
{
    gzip -dc "$1" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g'
}
for word in $("$prefix/games/vorbix" --help | grep -o -e '--*[a-zA-Z]*' | sort -u); do
    man_text "$prefix/share/man/man6/vorbix.6.gz" | grep -q -F -e "$word" || fail "vorbix.6 does not name $word"
done
for word in $("$prefix/games/vbltool" 2>&1 | grep -o -e 'vbltool [a-z]*' -e '--[a-z]*' | sed 's/vbltool //' | sort -u); do
    man_text "$prefix/share/man/man6/vbltool.6.gz" | grep -q -F -e "$word" || fail "vbltool.6 does not name $word"
done

skipped=""
validate()
{
    tool=$1
    shift
    if ! command -v "$tool" >/dev/null 2>&1; then
        skipped="$skipped $tool"
        return
    fi
    "$@" >"$work/validator" 2>&1
    status=$?
    echo "\$ $*"
    cat "$work/validator"
    [ "$status" -eq 0 ] || fail "$tool: status $status"
}
# groff prints its warnings and stays silent otherwise.
man_warnings()
{
    MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null | tee "$work/man"
    [ ! -s "$work/man" ]
}
validate desktop-file-validate desktop-file-validate "$desktop"
[ -s "$work/validator" ] && fail "desktop-file-validate reports problems"
validate appstreamcli appstreamcli validate --no-net "$prefix/share/metainfo/org.example.vorbix.metainfo.xml"
for page in "$prefix"/share/man/man6/vorbix.6.gz "$prefix"/share/man/man6/vbltool.6.gz; do
    [ -f "$page" ] || fail "$page is missing"
    validate man man_warnings "$page"
    validate mandoc mandoc -T lint -W warning "$page"
done

if [ -n "$skipped" ]; then
    echo "SKIPPED: not installed:$skipped (make setup installs them)"
    exit 77
fi
echo "all validators passed"
