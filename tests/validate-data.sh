#!/usr/bin/env bash
# The desktop entry and the AppStream description in DIR pass the freedesktop.org validators
# without a single finding, and name each other and the icon by the component id.
set -euo pipefail
dir=$1 id=io.github.scurrow.scurrow
report=$(desktop-file-validate "$dir/$id.desktop" 2>&1 &&
  appstreamcli validate --no-net --pedantic --strict "$dir/$id.metainfo.xml" 2>&1) ||
  { echo "$report"; exit 1; }
! grep -E '^[EWIP]: |: (error|warning|hint):' <<<"$report"
grep -qx "Icon=$id" "$dir/$id.desktop"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$dir/$id.metainfo.xml"
