#!/usr/bin/env bash
# Installs KarVel from a build folder into a staging folder and checks what a
# desktop gets: programs, help documents, menu entry, icon, software-centre
# description and manual pages, each run through its own validator; then
# builds the Debian package and reads it back.
# Usage: check_install.sh BUILD_DIR VERSION. Exit status 77 (skipped) when a
# tool is missing, after every check the tools present allow has passed.
set -euo pipefail
build=$1
version=$2
export LC_ALL=C.UTF-8

missing=()
have() {
  command -v "$1" >/dev/null || { missing+=("$1"); return 1; }
}
fail() {
  echo "ÉCHEC : $*" >&2
  exit 1
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >/dev/null

installed=(
  bin/karvel bin/karvel-demo bin/karvel-convert bin/karvel-import
  share/karvel/helpkv.rtf share/karvel/karvel.rtf
  share/applications/karvel.desktop
  share/icons/hicolor/scalable/apps/karvel.svg
  share/metainfo/org.karvel.KarVel.metainfo.xml
  share/man/man1/karvel.1 share/man/man1/karvel-demo.1 share/man/man1/karvel-convert.1
  share/man/man1/karvel-import.1
)
for f in "${installed[@]}"; do
  [ -s "$stage/usr/$f" ] || fail "$f n'est pas installé"
done
for p in karvel karvel-demo karvel-convert karvel-import; do
  [ -x "$stage/usr/bin/$p" ] || fail "bin/$p n'est pas exécutable"
done

# The menu entry starts an installed program and shows the installed icon;
# the description launches that entry and names installed programs.
desktop=$stage/usr/share/applications/karvel.desktop
metainfo=$stage/usr/share/metainfo/org.karvel.KarVel.metainfo.xml
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$stage/usr/bin/$exec_name" ] || fail "Exec=$exec_name n'est pas un programme installé"
[ -s "$stage/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
  fail "Icon=$icon_name n'a pas d'icône installée"
grep -q '<launchable type="desktop-id">karvel.desktop</launchable>' "$metainfo" ||
  fail "la description AppStream ne lance pas karvel.desktop"
for b in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
  [ -x "$stage/usr/bin/$b" ] || fail "la description AppStream nomme $b, qui n'est pas installé"
done

if have desktop-file-validate; then
  # Hints are advice (two main categories are wanted here); warnings and errors are faults.
  out=$(desktop-file-validate "$desktop" || echo "error: exit status $?")
  if grep -v ': hint: ' <<<"$out" | grep -q .; then
    fail "desktop-file-validate : $out"
  fi
fi
if have appstreamcli; then
  appstreamcli validate --no-net "$metainfo" >/dev/null ||
    fail "appstreamcli : $(appstreamcli validate --no-net "$metainfo")"
fi

# Manual pages: no groff warning, the French text decoded, the version filled in.
if have groff; then
  for p in karvel karvel-demo karvel-convert karvel-import; do
    page=$stage/usr/share/man/man1/$p.1
    text=$(groff -k -man -Tutf8 -ww "$page" 2>"$stage/groff.err") || fail "groff $p.1"
    [ ! -s "$stage/groff.err" ] || fail "groff $p.1 : $(cat "$stage/groff.err")"
    grep -q "KarVel $version" <<<"$text" || fail "$p.1 ne porte pas la version $version"
    grep -qE "$p +- +.*[éèêàç]" <<<"$text" || fail "$p.1 : ligne NOM absente ou accents mal lus"
  done
fi
if have man; then
  for p in karvel karvel-demo karvel-convert karvel-import; do
    MANWIDTH=80 man --warnings -l "$stage/usr/share/man/man1/$p.1" >/dev/null 2>"$stage/man.err" ||
      fail "man -l $p.1"
    [ ! -s "$stage/man.err" ] || fail "man -l $p.1 : $(cat "$stage/man.err")"
  done
fi

# The Debian package, built aside so that the build folder keeps no package.
if have cpack && have dpkg-deb && have dpkg-shlibdeps && have file; then
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$stage/package" >"$stage/cpack.log" 2>&1 ||
    fail "cpack : $(tail -20 "$stage/cpack.log")"
  debs=("$stage"/package/karvel_"$version"_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] ||
    fail "pas de paquet karvel_${version}_*.deb : $(ls "$stage/package")"
  deb=${debs[0]}
  [ "$(dpkg-deb -f "$deb" Package)" = karvel ] || fail "nom du paquet"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version du paquet"
  [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "paquet sans responsable"
  [ -n "$(dpkg-deb -f "$deb" Section)" ] || fail "paquet sans section"
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in libqt6widgets6 libqt6printsupport6 libsqlite3-0 libcups2 libc6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends sans $lib : $depends"
  done
  description=$(dpkg-deb -f "$deb" Description)
  grep -q 'loan desk' <<<"$description" && grep -q 'bureau de prêt' <<<"$description" ||
    fail "description sans l'anglais ou le français : $description"
  contents=$(dpkg-deb -c "$deb")
  for f in "${installed[@]}"; do
    grep -q " \./usr/$f\$" <<<"$contents" || fail "$f absent du paquet"
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Outils absents, vérifications sautées : ${missing[*]}"
  exit 77
fi
echo "installed files checked: ${#installed[@]}, package: $(basename "$deb")"
