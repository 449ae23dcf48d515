#!/usr/bin/env bash
# The version text: kesto and kesto-sim print the same one, and the build-time
# header falls back to the bare project version outside a git checkout.
#   version_test.sh KESTO KESTO_SIM PROJECT_VERSION MAKE_VERSION_HEADER_SCRIPT
set -uo pipefail

kesto=$1 sim=$2 project_version=$3 script=$4
work=$(mktemp -d /tmp/kesto-version.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# --version needs no command and ends at once with 0.
kesto_line=$("$kesto" --version) || fail "kesto --version exited $?"
sim_line=$("$sim" --version) || fail "kesto-sim --version exited $?"
[[ $kesto_line == "kesto "* ]] || fail "kesto --version: '$kesto_line'"
[[ $sim_line == "kesto-sim "* ]] || fail "kesto-sim --version: '$sim_line'"
version=${kesto_line#kesto }
[ "${sim_line#kesto-sim }" = "$version" ] || fail "kesto says '$version', kesto-sim '${sim_line#kesto-sim }'"
[[ $version == "$project_version" || $version == "$project_version ("*")" ]] || fail "'$version' is not $project_version"

header_text() {  # SOURCE_DIR OUTPUT: the version text the script writes
  cmake -DSOURCE_DIR="$1" -DOUTPUT="$2" -DVERSION=9.8.7 -DGIT_EXECUTABLE="$(command -v git)" -P "$script" ||
    fail "the header script failed for $1"
  sed -n 's/^#define KESTO_VERSION_TEXT "\(.*\)"$/\1/p' "$2"
}

# A tarball: no .git, so the project version alone.
mkdir "$work/tarball"
[ "$(header_text "$work/tarball" "$work/tarball.h")" = "9.8.7" ] || fail "without .git: $(cat "$work/tarball.h")"

if command -v git >/dev/null; then
  repo=$work/checkout
  mkdir "$repo" && cd "$repo" || fail "no work directory"
  git init -q && echo a >file && git add file &&
    git -c user.name=t -c user.email=t@example.invalid commit -q -m one &&
    git tag 'rel"1;$(x)' || fail "cannot make a test repository"
  # The tag's characters that could end the C string or reach a shell are replaced.
  [ "$(header_text "$repo" "$work/repo.h")" = '9.8.7 (rel_1___x_)' ] || fail "tag: $(cat "$work/repo.h")"
  touch -d '2000-01-01' "$work/repo.h"
  header_text "$repo" "$work/repo.h" >/dev/null
  [ "$(stat -c %Y "$work/repo.h")" = "$(date -d 2000-01-01 +%s)" ] || fail "an unchanged header was rewritten"
  echo b >file
  [ "$(header_text "$repo" "$work/repo.h")" = '9.8.7 (rel_1___x_-dirty)' ] || fail "dirty: $(cat "$work/repo.h")"
fi
echo "ok: $kesto_line / $sim_line"
