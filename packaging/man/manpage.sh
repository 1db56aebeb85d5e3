#!/usr/bin/env bash
# Writes one gzipped manual page in one language from its source (packaging/man/*.1.in): a line
# starting ".en " or ".pt " belongs to that language only, every other line to both; @MED_HELP@
# becomes the program's --help, so the options and their defaults are those of the code, and
# @MED_USER_HELP@ its `user --help`.
#   manpage.sh SOURCE en|pt OUTPUT VERSION DATE [PROGRAM]
set -euo pipefail
source=$1 lang=$2 output=$3 version=$4 date=$5 program=${6:-}
other=$([[ $lang == en ]] && echo pt || echo en)

help=$(mktemp)
userhelp=$(mktemp)
trap 'rm -f "$help" "$userhelp"' EXIT
# roff: a backslash is an escape, "-" a hyphen (options want "\-"), and a line starting with a dot or
# quote is a request. Its usage line names it by the path it ran from: the page names it by its name.
as_roff() {
  sed -e "s|$program|$(basename "$program")|" -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
}
if [[ -n $program ]]; then
  "$program" --help | as_roff >"$help"
  # @MED_USER_HELP@: the usage of its `user` command, where the page has one.
  if grep -q '^@MED_USER_HELP@$' "$source"; then
    "$program" user --help | as_roff >"$userhelp"
  fi
fi
sed -e "/^\.$other /d" -e "s/^\.$lang //" \
    -e "s/@PROJECT_VERSION@/$version/g" -e "s/@MED_MAN_DATE@/$date/g" \
    -e "/^@MED_HELP@\$/{r $help" -e 'd}' -e "/^@MED_USER_HELP@\$/{r $userhelp" -e 'd}' "$source" |
  gzip -9n >"$output"
