#!/usr/bin/env bash
# The distribution's checkers on the built .deb, failing on any finding: lintian (default profile,
# no error and no warning), appstreamcli validate --no-net on its metainfo, desktop-file-validate on
# its desktop entry; and what those do not look at: the icon theme's sizes, the manual pages, the
# hardening of /usr/bin/brellix and that it is stripped.
# Usage: scripts/check-package.sh build/linux/brellix_<version>-<release>_amd64.deb
set -uo pipefail
DEB=$(realpath "${1:?usage: check-package.sh PACKAGE.deb}")
ROOT=$(mktemp -d /tmp/brellix-check-package.XXXXXX)
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$DEB" "$ROOT" || exit 1
BIN=$ROOT/usr/bin/brellix
DESKTOP=$ROOT/usr/share/applications/brellix.desktop
failures=0
check() {  # description command...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# A checker's findings are shown; any line of them fails the check (its warnings too).
silent() {  # command...: passes when it succeeds and prints nothing
  local out
  out=$("$@" 2>&1)
  local status=$?
  [[ -z $out ]] || printf '%s\n' "$out" | sed 's/^/    /'
  ((status == 0)) && [[ -z $out ]]
}
lintian_clean() {
  local out status overrides=$ROOT/usr/share/lintian/overrides/brellix
  out=$(lintian --fail-on error,warning "$DEB" 2> /dev/null)
  status=$?
  [[ -z $out ]] || printf '%s\n' "$out" | sed 's/^/    /'
  # What the package tells lintian to let pass, with its reason, is shown on every run.
  [[ ! -f $overrides ]] || sed 's/^/    lintian override file: /' "$overrides"
  ((status == 0)) && ! grep -qE '^[EW]: ' <<< "$out"
}
appstream_valid() {
  local files=("$ROOT"/usr/share/metainfo/*.metainfo.xml)
  [[ -f ${files[0]} ]] || { echo "    no metainfo in /usr/share/metainfo"; return 1; }
  # Passes with infos (pedantic hints); fails on an error or a warning.
  appstreamcli validate --no-net "${files[@]}" | sed 's/^/    /'
  ((PIPESTATUS[0] == 0))
}
metainfo_has() {  # xpath-like pattern (a regex over the file)
  grep -qE "$1" "$ROOT"/usr/share/metainfo/*.metainfo.xml 2> /dev/null
}
desktop_has() { grep -qE "^$1=.+" "$DESKTOP" 2> /dev/null; }

png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "")' "$1" 2> /dev/null; }
icons_complete() {
  local size ok=0
  for size in 16 24 32 48 64 128 256; do
    local icon=$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/brellix.png
    [[ $(png_size "$icon") == "${size}x${size}" ]] || { echo "    no ${size}x${size} PNG at ${icon#"$ROOT"}"; ok=1; }
  done
  grep -q '<svg' "$ROOT/usr/share/icons/hicolor/scalable/apps/brellix.svg" 2> /dev/null ||
    { echo "    no scalable SVG"; ok=1; }
  return $ok
}
manual_page() {  # path below usr/share/man: a compressed page for brellix(1) that man reads cleanly
  local page=$ROOT/usr/share/man/$1 out
  [[ -f $page ]] && zcat "$page" | grep -q '^\.TH BRELLIX 1' || return 1
  # groff cannot break or adjust lines of Chinese text, which has no blanks: lintian lets those
  # warnings pass for such pages, and so does this.
  out=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null |
    { if [[ $1 == zh* ]]; then grep -vE "warning \[.*\]: (can't break|cannot adjust) line"; else cat; fi; })
  [[ -z $out ]] || { printf '%s\n' "$out" | sed 's/^/    /'; return 1; }
}

dynamic_flags() { readelf -dW "$BIN" 2> /dev/null; }
is_pie() { readelf -hW "$BIN" 2> /dev/null | grep -q 'Type: *DYN' && dynamic_flags | grep -q 'FLAGS_1.*PIE'; }
has_relro() { readelf -lW "$BIN" 2> /dev/null | grep -q GNU_RELRO; }
binds_now() { dynamic_flags | grep -qE '\(FLAGS\).*BIND_NOW|FLAGS_1.*NOW'; }
imports() { nm -D --undefined-only "$BIN" 2> /dev/null | awk '{print $2}'; }
stack_protected() { imports | grep -q '^__stack_chk_fail'; }
# _FORTIFY_SOURCE leaves a checked call where a size is only known at run time; an unfortified
# build has none.
fortified() { imports | grep -v '^__stack_chk_fail' | grep -qE '^__[a-z0-9_]+_chk@'; }
stripped() { ! readelf -SW "$BIN" 2> /dev/null | grep -qE '\.symtab|\.debug_'; }

CHECKS=(
  "lintian: no error and no warning|lintian_clean"
  "appstreamcli validate --no-net: the metainfo passes|appstream_valid"
  "metainfo: English and Simplified Chinese name and summary|eval metainfo_has '<name>' && metainfo_has '<name xml:lang=\"zh_CN\">' && metainfo_has '<summary>' && metainfo_has '<summary xml:lang=\"zh_CN\">'"
  "metainfo: launches brellix.desktop, provides the brellix binary|eval metainfo_has '<launchable type=\"desktop-id\">brellix.desktop</launchable>' && metainfo_has '<binary>brellix</binary>'"
  "metainfo: a content rating and a screenshot|eval metainfo_has '<content_rating type=\"oars-1\.[01]\"' && metainfo_has '<screenshot type=\"default\">'"
  "desktop-file-validate: the desktop entry passes without a word|silent desktop-file-validate $DESKTOP"
  "desktop entry: Name[zh_CN], Comment[zh_CN], Keywords|eval desktop_has 'Name\[zh_CN\]' && desktop_has 'Comment\[zh_CN\]' && desktop_has Keywords"
  "icons: hicolor PNGs at 16, 24, 32, 48, 64, 128, 256 pixels and a scalable SVG|icons_complete"
  "manual page: man1/brellix.1.gz, read by man without a warning|manual_page man1/brellix.1.gz"
  "manual page: zh_CN/man1/brellix.1.gz|manual_page zh_CN/man1/brellix.1.gz"
  "the binary is position-independent (PIE)|is_pie"
  "the binary has RELRO|has_relro"
  "the binary binds now (BIND_NOW)|binds_now"
  "the binary is built with a stack protector|stack_protected"
  "the binary is built with _FORTIFY_SOURCE (checked calls)|fortified"
  "the binary is stripped|stripped"
)

echo "checking $(basename "$DEB")"
for row in "${CHECKS[@]}"; do
  IFS='|' read -r description command <<< "$row"
  # shellcheck disable=SC2086
  check "$description" $command
done
echo "$((${#CHECKS[@]} - failures)) passed, $failures failed"
((failures == 0))
