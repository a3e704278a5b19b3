#!/usr/bin/env bash
# Checks the desktop entry and the AppStream description in DIR with the
# freedesktop.org validators.
set -euo pipefail
dir=${1:?usage: validate-data.sh DIR}

desktop-file-validate "$dir/scurrow.desktop"
echo "scurrow.desktop: valid"

# appstreamcli comes with the desktop's software tools rather than with a build
# machine; it checks the description only where it is installed.
if command -v appstreamcli >/dev/null; then
  report=$(appstreamcli validate --no-net --pedantic "$dir/scurrow.metainfo.xml" 2>&1) || true
  # Every finding fails the check but one: the id is the plain program name
  # rather than a reversed domain name, as the project has no domain.
  problems=$(grep -E '^[EWI]: ' <<<"$report" | grep -v ' cid-desktopapp-is-not-rdns ' || true)
  if [[ -n "$problems" ]]; then
    echo "$report" >&2
    exit 1
  fi
  grep -qE '^W: .* cid-desktopapp-is-not-rdns ' <<<"$report" ||
    grep -q 'Validation was successful' <<<"$report" || { echo "$report" >&2; exit 1; }
  echo "scurrow.metainfo.xml: valid"
else
  echo "scurrow.metainfo.xml: appstreamcli is not installed; not checked"
fi
