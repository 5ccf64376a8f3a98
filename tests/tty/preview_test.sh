#!/usr/bin/env bash
# The preview on a real terminal: `vellumo send` of the demo message inside tmux, driven by the
# keys a person types. Needs VELLUMO_BIN and VELLUMO_SOURCE_DIR; the screen of the preview is kept
# in VELLUMO_ARTIFACTS (default test-artifacts/) as tty-preview.txt.
set -euo pipefail
bin=${VELLUMO_BIN:?}
source_dir=${VELLUMO_SOURCE_DIR:?}
artifacts=${VELLUMO_ARTIFACTS:-$source_dir/test-artifacts}
message=$source_dir/examples/messages/harbour-lanterns.eml
work=$(mktemp -d)
# Each run of the program gets a tmux server of its own: a server being killed can still answer
# a new-session on its socket and take the new session down with it.
runs=0
socket="vellumo-tty-$$-$runs"
cleanup() { tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; echo "--- screen:" >&2; screen >&2 || true; exit 1; }
screen() { tmux -L "$socket" capture-pane -p -t test; }
# Waits up to 60 seconds (the sanitizer build is slow) for the screen to show a pattern.
wait_for() {
  for _ in $(seq 1 600); do
    screen | grep -qE -- "$1" && return 0
    sleep 0.1
  done
  fail "the screen never showed: $1"
}

# A home as scripts/demo makes it, with the preview before every send and its "> Template".
make_home() {
  local home=$1
  "$bin" --home "$home" regedit /s "$source_dir/examples/settings.reg"
  mkdir -p "$home/drive_c/Vellumo"
  cp -R "$source_dir/examples/stationery" "$home/drive_c/Vellumo/Stationery"
  cp -R "$source_dir/examples/signatures" "$home/drive_c/Vellumo/Signatures"
  "$bin" --home "$home" settings set Vellumo "Admin Settings" AutoPreview True
  "$bin" --home "$home" settings set Vellumo "Admin Settings" ShowPreviewSelectButton True
}

# Starts `vellumo send` on a fresh 100x60 terminal; the exit code is printed when it ends.
start_send() {
  local home=$1
  tmux -L "$socket" kill-server 2>/dev/null || true
  runs=$((runs + 1))
  socket="vellumo-tty-$$-$runs"
  tmux -L "$socket" new-session -d -s test -x 100 -y 60 \
    "env -u VELLUMO_UI -u VELLUMO_ANSWERS -u VELLUMO_UI_LOG -u DISPLAY -u WAYLAND_DISPLAY \
     TERM=xterm '$bin' --home '$home' send '$message'; echo EXIT=\$?; sleep 600"
}

keys() { tmux -L "$socket" send-keys -t test "$@"; }

# 1. The preview shows the dressed message; "> Template" by its number; "send".
home=$work/home
make_home "$home"
start_send "$home"
wait_for 'frmBrowser>'
mkdir -p "$artifacts"
screen >"$artifacts/tty-preview.txt"
shown=$(screen)
grep -q '\[ Morning Paper \]' <<<"$shown" || fail "the chosen template's name"
grep -q 'Northwind Lanterns' <<<"$shown" || fail "the stationery's text"
grep -q 'Dear Tomas,' <<<"$shown" || fail "the user's text"
grep -q 'Subject: Lanterns for the harbour wall' <<<"$shown" || fail "the subject"
grep -q 'file://' <<<"$shown" || fail "how to open it in a browser"
if grep -qE 'brwWebBrowser|commandbutton|<p>' <<<"$shown"; then fail "a control dump"; fi
number=$(grep -oE '\[[0-9]+\] > Template' <<<"$shown" | head -n 1 | grep -oE '[0-9]+' | head -n 1)
[[ -n "$number" ]] || fail "no numbered > Template button"
keys "$number" Enter
wait_for '\[ Harbour Blue \]'
screen >"$artifacts/tty-preview-next.txt"
keys send Enter
wait_for 'EXIT=[0-9]+'
screen | grep -q 'EXIT=0' || fail "send did not exit 0"
screen | grep -q '^sent' || fail "send did not print sent"
filed=$(grep -l 'Lanterns for the harbour wall' "$home/mail/Personal Folders/Sent Items/cur/"* | head -n 1 || true)
[[ -n "$filed" ]] || fail "the message is not in Sent Items"
grep -q '<title>Harbour Blue</title>' "$filed" || fail "the sent message is not dressed with the template shown"

# 2. Ctrl-D is the close box: nothing sent, exit 3, the message in Drafts.
home=$work/home2
make_home "$home"
start_send "$home"
wait_for 'frmBrowser>'
keys C-d
wait_for 'EXIT=[0-9]+'
screen | grep -q 'EXIT=3' || fail "Ctrl-D did not exit 3"
[[ $("$bin" --home "$home" items Drafts | wc -l) -ge 1 ]] || fail "the message is not in Drafts"
[[ $("$bin" --home "$home" items "Sent Items" | wc -l) -eq 0 ]] || fail "Ctrl-D sent the message"
echo "tty preview: ok"
