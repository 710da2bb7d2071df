#!/usr/bin/env bash
# Fails when a text the user may see is not translated (or a text with a count
# lacks its Russian plural forms): a string literal with
# Cyrillic letters in any program folder but tables/ that does not go through
# tr(), translate() or a QT_*_NOOP mark, or a text of the
# sources that translations/trevalune_en.ts lacks or leaves unfinished.
# lupdate works on a copy, so the .ts file in the tree is never changed here.
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

. scripts/qt6-tool.sh
lupdate=$(qt6_tool lupdate) || { echo "check-translations: install qt6-l10n-tools" >&2; exit 1; }

status=0
# The sample generator's names are the sample's bytes, not texts: only its
# program is checked.
python3 scripts/untranslated_literals.py ui grid balance cli samplegen/main.cpp storage document formats journal || status=1

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp translations/trevalune_en.ts "$work/trevalune_en.ts"
mapfile -t sources < <(find tables storage document formats journal cli samplegen grid ui balance -name '*.cpp' -o -name '*.h' | sort)
# The same options as translations/CMakeLists.txt gives lupdate.
"$lupdate" -silent -locations none -no-obsolete -tr-function-alias QT_TRANSLATE_NOOP+=TABLE_CAPTION \
  "${sources[@]}" -ts "$work/trevalune_en.ts"
# The Russian plural forms of texts with a count: trevalune_ru.ts holds them
# alone.
cp translations/trevalune_ru.ts "$work/trevalune_ru.ts"
"$lupdate" -silent -locations none -no-obsolete -pluralonly -target-language ru \
  -tr-function-alias QT_TRANSLATE_NOOP+=TABLE_CAPTION "${sources[@]}" -ts "$work/trevalune_ru.ts"
plural_unfinished=$(grep -c 'type="unfinished"' "$work/trevalune_ru.ts" || true)
if [ "$plural_unfinished" -ne 0 ]; then
  echo "check-translations: $plural_unfinished plural texts without their Russian forms" >&2
  grep -A1 'numerus="yes"' "$work/trevalune_ru.ts" | grep '<source>' | sed 's/^ */  plural: /' >&2
  status=1
fi
total=$(grep -c '<message' "$work/trevalune_en.ts" || true)
unfinished=$(grep -c 'type="unfinished"' "$work/trevalune_en.ts" || true)
echo "check-translations: $total texts, $unfinished unfinished in English"
if [ "$unfinished" -ne 0 ]; then
  grep -B3 'type="unfinished"' "$work/trevalune_en.ts" | grep '<source>' | sed 's/^ */  untranslated: /' >&2
  status=1
fi
exit $status
