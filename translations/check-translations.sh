#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a text marked for translation in the sources has no finished translation in the
# .ts file: the texts are gathered afresh into a copy of it, which lrelease then counts.
#   check-translations.sh LUPDATE LRELEASE TS_FILE SOURCE_DIR
set -euo pipefail
lupdate=$1
lrelease=$2
ts=$3
sources=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$ts" "$work/check.ts"
"$lupdate" -silent -no-obsolete -locations none "$sources" -ts "$work/check.ts" >"$work/lupdate.log" 2>&1 \
  || { cat "$work/lupdate.log" >&2; echo "lupdate failed" >&2; exit 1; }
"$lrelease" "$work/check.ts" -qm "$work/check.qm" >"$work/lrelease.log" 2>&1 \
  || { cat "$work/lrelease.log" >&2; echo "lrelease failed" >&2; exit 1; }
cat "$work/lrelease.log"
grep -q "Generated [1-9][0-9]* translation(s) ([0-9]* finished and 0 unfinished)" "$work/lrelease.log" \
  || { echo "$(basename "$ts"): unfinished translations" >&2; exit 1; }
if grep -q "untranslated" "$work/lrelease.log"; then
  echo "$(basename "$ts"): texts without a translation" >&2
  exit 1
fi
# No English text keeps a Chinese, Japanese or Korean character, nor full-width punctuation.
if perl -CSD -0777 -ne 'while (/<translation[^>]*>(.*?)<\/translation>/gs) {
      my $t = $1; if ($t =~ /[\x{2E80}-\x{9FFF}\x{F900}-\x{FAFF}\x{FF00}-\x{FFEF}]/) { print "$t\n"; $bad = 1 } }
    END { exit($bad ? 0 : 1) }' "$ts" >&2; then
  echo "$(basename "$ts"): translations with Chinese characters" >&2
  exit 1
fi
# The committed file itself holds exactly the texts the sources mark, no more and no fewer.
if ! diff -q <(grep -c "<message>" "$ts") <(grep -c "<message>" "$work/check.ts") >/dev/null; then
  echo "$(basename "$ts"): out of step with the sources; build the update_translations target" >&2
  exit 1
fi
echo "$(basename "$ts"): every text is translated"
