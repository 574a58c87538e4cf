#!/usr/bin/env bash
# Runs the firewall the way a user sees it, with nothing leaving the machine:
#   tools/run.sh [SCREENSHOT_DIR]
# - builds torvane.exe, the simulated driver and the screenshot tool;
# - starts loopback stand-ins for the cloud and update servers;
# - starts tvn_drvsim.exe as the driver, playing platform/nfapi/scenarios/demo.scn
#   (a browser, a system service, a local-network share, an unknown program);
# - starts torvane.exe under Wine with French regional settings; it sits in the
#   tray and opens the filter three seconds later;
# - on a machine without a display, runs on a virtual one and writes pictures
#   of the console's four pages and of the tray menu into SCREENSHOT_DIR
#   (default build/windows/run-screenshots), named in the output.
# Ctrl+C stops everything it started.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

bash tools/setup.sh
[[ -f build/windows/CMakeCache.txt ]] || cmake --preset windows >/dev/null
cmake --build --preset windows --target torvane tvn_drvsim screenshot

shots=$(mkdir -p "${1:-build/windows/run-screenshots}" && cd "${1:-build/windows/run-screenshots}" && pwd)
# A prefix of its own: the demo's registry (rules, settings) stays apart
# from the tests'.
export TVN_WINEPREFIX=$root/build/windows/demo-prefix
work=$(mktemp -d /tmp/torvane-run.XXXXXX)
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

xvfb_pid=""
server_pid=""
stopping=0
cleanup() {
  stopping=1
  echo "Arrêt de la démonstration."
  # Every Windows process of the demo's own prefix, then the helpers.
  WINEPREFIX=$TVN_WINEPREFIX "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2>/dev/null || true
  [[ -z $server_pid ]] || kill "$server_pid" 2>/dev/null || true
  [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

headless=0
if [[ -z ${DISPLAY:-} ]]; then
  eval "$(tools/xvfb-start)"
  headless=1
fi

python3 tools/demo_servers.py >"$work/servers.out" 2>"$work/servers.log" &
server_pid=$!
for _ in $(seq 1 100); do
  grep -q '^PORT ' "$work/servers.out" 2>/dev/null && break
  sleep 0.1
done
port=$(awk '/^PORT /{print $2}' "$work/servers.out")
[[ -n $port ]] || { echo "the stand-in servers did not start" >&2; exit 1; }
export TVN_DEMO_CLOUD_URL=http://127.0.0.1:$port
export TVN_DEMO_UPDATE_URL=http://127.0.0.1:$port
echo "Serveurs de démonstration (cloud, mise à jour) : http://127.0.0.1:$port"

# The driver and the firewall find each other through this folder.
export TVN_NFAPI_DIR=$(windows_path "$work")
tools/wine-run build/windows/platform/nfapi/tvn_drvsim.exe --timeout 120 \
  "$(windows_path "$root/platform/nfapi/scenarios/demo.scn")" >"$work/drvsim.txt" 2>&1 &
drvsim=$!
tools/wine-run build/windows/bin/torvane.exe &
torvane=$!
echo "Torvane Firewall démarre (icône dans la zone de notification) ; Ctrl+C pour arrêter."

# The console brought up on a page, then its window read from the display.
snap_page() {
  tools/wine-run build/windows/tools/screenshot/screenshot.exe --console-page "$1"
  local window
  window=$(xwininfo -root -tree | awk '/"Torvane Firewall 2025"/ {print $1; exit}')
  [[ -n $window ]] || { echo "no console window on the display" >&2; return 1; }
  xwd -silent -id "$window" | python3 tools/xwd2png.py "$shots/$2.png"
  echo "Capture : $shots/$2.png"
}

if ((headless)); then
  # Let the filter open and the first traffic flow.
  sleep 6
  snap_page 1 console_2_configuration
  snap_page 2 console_3_regles
  snap_page 3 console_4_aide
  snap_page 0 console_1_trafic_debut
  sleep 14  # a few samples of the meter: the bars move
  snap_page 0 console_1_trafic
  tools/wine-run build/windows/tools/screenshot/screenshot.exe --tray-menu "$(windows_path "$shots")" |
    sed 's/^/Capture : /'
  echo "Captures d'écran dans $shots"
fi

wait "$drvsim" || true
echo "--- driver simulé (platform/nfapi/scenarios/demo.scn) ---"
cat "$work/drvsim.txt"
echo "Le pare-feu tourne toujours ; Ctrl+C pour arrêter."
wait "$torvane" || true
