#!/usr/bin/env bash
# Sets KarVel up (without the test tools), makes a demo school in ./demo
# (once) and starts KarVel in its data folder; on a machine without a screen,
# on a virtual one, saying so and how to stop it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --no-test-tools build RelWithDebInfo -DKARVEL_TESTS=OFF -DKARVEL_BENCH=OFF

[ -d demo/LAVOK ] || build/tools/demo/karvel-demo demo
cd demo/LAVOK
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ../../build/src/shell/karvel
fi

# No screen: Xvfb stands in for one, in a session of its own, out of the
# terminal's reach: Ctrl+C there would end Xvfb, and KarVel without its
# backups. The script turns Ctrl+C into SIGTERM, on which KarVel quits as
# "Oui, je quitte" does, backups included.
pidfile=$(mktemp)
trap 'rm -f "$pidfile"' EXIT
trap '[ -s "$pidfile" ] && kill -TERM "$(cat "$pidfile")" 2>/dev/null || true' INT TERM
setsid xvfb-run -a sh -c 'echo $$ >"$1" && exec ../../build/src/shell/karvel' karvel "$pidfile" &
runner=$!
until [ -s "$pidfile" ] || ! kill -0 "$runner" 2>/dev/null; do sleep 0.1; done
pid=$(cat "$pidfile")
cat <<END
Pas d'écran ici (ni DISPLAY ni WAYLAND_DISPLAY) : KarVel tourne sur un écran
virtuel (Xvfb), que personne ne voit. Pour le voir, lancez ce script depuis une
session graphique, ou donnez l'écran d'un serveur X : DISPLAY=:0 $0
Pour l'arrêter, avec ses sauvegardes : Ctrl+C ici, ou kill $pid
END
while kill -0 "$runner" 2>/dev/null; do
  wait "$runner" || true
done
