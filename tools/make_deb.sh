#!/bin/sh
# Builds the Debian package with CPack and checks it: a build configured for
# the prefix /usr (compiling only what depends on the prefix and reusing the
# library and data of an existing build), packaged, then its file list and
# control fields looked over.
#   make_deb.sh SOURCE_DIR BUILD_DIR PACKAGE_TREE [CMAKE_ARGUMENT...]
# The package ends up in PACKAGE_TREE/package/.
set -u
source_dir=$1
build_dir=$2
tree=$3
shift 3
work=$(mktemp -d "${TMPDIR:-/tmp}/vorbix-deb.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

fail()
{
    echo "FAIL: $*"
    exit 1
}

step()
{
    if ! "$@" >"$work/step.log" 2>&1; then
        cat "$work/step.log"
        fail "$*"
    fi
}

command -v dpkg-shlibdeps >/dev/null || fail "dpkg-shlibdeps is missing (make setup installs dpkg-dev)"
command -v lintian >/dev/null || fail "lintian is missing (make setup installs it)"
step cmake -S "$source_dir" -B "$tree" -DCMAKE_INSTALL_PREFIX=/usr -DVORBIX_REUSE_BUILD="$build_dir" "$@"
step cmake --build "$tree"
rm -f "$tree"/package/vorbix_*.deb
(cd "$tree" && step cpack -G DEB) || exit 1
set -- "$tree"/package/vorbix_*.deb
[ -f "$1" ] || fail "cpack made no package"
deb=$1

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
for path in ./usr/games/vorbix ./usr/games/vbltool \
    ./usr/share/doc/vorbix/copyright ./usr/share/doc/vorbix/changelog.gz \
    ./usr/share/sdl_vorbix/levels.vbl ./usr/share/sdl_vorbix/masters.vbl ./usr/share/sdl_vorbix/titles.txt \
    ./usr/share/sdl_vorbix/redbrick.lbm ./usr/share/sdl_vorbix/regularguy.lbm \
    ./usr/share/sdl_vorbix/badguy.lbm ./usr/share/sdl_vorbix/spiral.lbm ./usr/share/sdl_vorbix/vrbx.bmp \
    ./usr/share/sdl_vorbix/fall.wav ./usr/share/sdl_vorbix/dig.wav ./usr/share/sdl_vorbix/pop.wav \
    ./usr/share/sdl_vorbix/victory.wav ./usr/share/sdl_vorbix/death.wav \
    ./usr/share/applications/vorbix.desktop ./usr/share/metainfo/org.example.vorbix.metainfo.xml \
    ./usr/share/icons/hicolor/32x32/apps/vorbix.png ./usr/share/icons/hicolor/256x256/apps/vorbix.png \
    ./usr/share/man/man6/vorbix.6.gz ./usr/share/man/man6/vbltool.6.gz; do
    grep -q -x -F "$path" "$work/files" || fail "the package lacks $path"
done
grep -v -e '^\./usr/' -e '^\./$' "$work/files" && fail "the package holds files outside /usr"

dpkg-deb -I "$deb" >"$work/info"
depends=$(sed -n 's/^ Depends: //p' "$work/info")
echo "$depends" | grep -q 'libsdl1\.2debian\|libsdl1\.2-compat' || fail "no SDL 1.2 dependency: $depends"
echo "$depends" | grep -q 'libc6' || fail "no C library dependency: $depends"

# Nothing packaged points back into the source or build trees.
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
for tree_path in "$source_dir" "$build_dir" "$tree"; do
    found=$(grep -r -l -a -F "$tree_path" "$work/root")
    [ -z "$found" ] || fail "packaged files name $tree_path: $found"
done

# Debian's own checker: no errors, except the maintainer's address while it
# is the build's placeholder (CPACK_PACKAGE_CONTACT).
maintainer=$(sed -n 's/^ Maintainer: //p' "$work/info")
suppress=""
case "$maintainer" in *@localhost*) suppress="--suppress-tags bogus-mail-host,bogus-mail-host-in-debian-changelog" ;; esac
lintian --allow-root --fail-on error $suppress "$deb" >"$work/lintian" 2>&1 || {
    cat "$work/lintian"
    fail "lintian finds errors in $deb"
}
echo "lintian: $(grep -c '^[EW]:' "$work/lintian") errors and warnings${suppress:+ (the placeholder maintainer address allowed)}"
sed -n 's/^\([EW]: .*\)/  \1/p' "$work/lintian"

echo "$deb: $(wc -l <"$work/files") entries, $(du -k "$deb" | cut -f1) KiB"
echo "Depends: $depends"
