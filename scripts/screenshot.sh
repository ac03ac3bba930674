#!/usr/bin/env bash
# Makes docs/bureau-de-pret.png, the README's picture: KarVel on a demo school,
# on a virtual screen, after a pupil has borrowed two documents.
# Usage: scripts/screenshot.sh [BUILD_DIR]. Needs a built KarVel, xvfb,
# xdotool and imagemagick (scripts/setup.sh installs them with the test tools).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build}")

if [ "${KARVEL_SCREENSHOT_SCREEN:-}" = "" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  "$build/tools/demo/karvel-demo" "$work" >/dev/null
  KARVEL_SCREENSHOT_SCREEN=1 KARVEL_PDF="$work/impressions" \
    xvfb-run -a -s "-screen 0 1024x720x24" "$0" "$build" "$work"
  echo "docs/bureau-de-pret.png"
  exit 0
fi

# On the virtual screen: a pupil holding nothing and two documents on the
# shelf, read from the demo files; then the same readings a reader makes.
work=$2
read -r pupil doc1 doc2 < <(python3 - "$work" <<'PY'
import sqlite3, sys
work = sys.argv[1]
vok = sqlite3.connect(f"{work}/LAVOK/VOK.MDB")
pupils = sqlite3.connect(f"{work}/LEMAVORI/LEMAVORI.MDB")
busy = {r[0] for r in vok.execute("SELECT emprunteur FROM vok WHERE emprunté = 'O'")}
pupil = next(m for (m,) in pupils.execute("SELECT matricule FROM enfants ORDER BY matricule") if m not in busy)
docs = [i for (i,) in vok.execute("SELECT inventaire FROM vok WHERE emprunt = 'O' AND "
                                  "(emprunté = 'N' OR emprunté = '') ORDER BY inventaire LIMIT 2")]
print(pupil, *docs)
PY
)
cd "$work/LAVOK"
"$build/src/shell/karvel" 2>/dev/null &
karvel=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name "La VOK - Gestion des Codes-Barres" 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "KarVel n'a pas ouvert sa fenêtre" >&2; kill -TERM "$karvel"; exit 1; }
xdotool windowfocus --sync "$window"
for code in EMPRUNT "ECO-$pupil" "DOC-$doc1" "DOC-$doc2"; do
  xdotool type --delay 15 "$code"
  xdotool key Return
  sleep 0.5
done
sleep 1
import -window root "$root/docs/bureau-de-pret.png"
kill -TERM "$karvel"
wait "$karvel" || true
