#!/usr/bin/env bash
# Plants fixed one-line faults, one at a time, in a copy of the tree and checks that the
# tests named for each fail: a fault that every test passes shows a gap in the tests.
#   mutants.sh BUILD   (make mutants): the copy and its build go in BUILD.
# Each mutant is a file, the exact text it changes (found once), the text put in its
# place, the tests to run (a ctest pattern), and what the fault means, split by " @@ ".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:?build folder}" && cd "$1" && pwd)
src=$work/src
build=$work/build

mutants=(
  "numeric/edit_descriptors.cpp @@ const auto above = static_cast<std::uint64_t>(rest > half); @@ const auto above = static_cast<std::uint64_t>(rest >= half); @@ unit_tests @@ an exact tie of F10.5 rounds up, not to even"
  "converter/unit_files.cpp @@ return \"access denied\"; @@ return \"cannot open file\"; @@ converter_tests @@ EACCES worded as any failed open"
  "overlay/ov2_writer.h @@ return kOv2PoiOverhead + nameBytes; } @@ return kOv2PoiOverhead + nameBytes + 1; } @@ formats_tests @@ a POI record one byte long"
  "files/output_set.cpp @@ return Write(kCommit, entries, flush); @@ return Write(kWriting, entries, flush); @@ formats_tests @@ a commit journalled as writing"
  "formats/text_encoding.cpp @@ 0x20AC, 0,      0x201A @@ 0x20AD, 0,      0x201A @@ formats_tests @@ the euro sign's code-page byte"
  "overlay/ov2_reader.cpp @@ if (point.longitude < area.west @@ if (point.longitude <= area.west @@ formats_tests @@ a skipper's west edge taken as outside"
  "overlay/ov2_reader.cpp @@ if (blocks_.size() > kOv2DeepestNesting) { @@ if (blocks_.size() > kOv2DeepestNesting + 1) { @@ formats_tests @@ one skipper nested past the bound"
  "tools/common/offset_option.cpp @@     return std::isfinite(value); @@     return true; @@ tools_tests @@ an offset infinite in single precision taken"
  "formats/asc_reader.cpp @@ return !inPart_ || part_.to == AscPart::kEnd || OnlyLineEndsPastPart(); @@ return true; @@ formats_tests @@ Ctrl+Z at a part's end taken as the file's end"
  "formats/pushpin_reader.cpp @@ (fileBytes - kPushpinHeaderBytes) / kPinRecordLeast); @@ (fileBytes - kPushpinHeaderBytes) / (kPinRecordLeast - 1)); @@ formats_tests|tools_tests @@ more pins held than a file can hold"
)

# A copy of the tracked files, so that the tree itself is never changed.
rm -rf "$src" && mkdir -p "$src"
git -C "$root" ls-files -z | (cd "$root" && tar --null -T - -cf -) | tar -C "$src" -xf -
targets=(unit_tests converter_tests formats_tests tools_tests)
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" makeov2 psp2ov2 ov2 >/dev/null || exit 2

killed=0 survived=0
for mutant in "${mutants[@]}"; do
  fields=()
  rest=$mutant
  while [[ $rest == *" @@ "* ]]; do fields+=("${rest%% @@ *}"); rest=${rest#* @@ }; done
  fields+=("$rest")
  file=${fields[0]} old=${fields[1]} new=${fields[2]} tests=${fields[3]} what=${fields[4]}
  original=$(cat "$src/$file"; printf x)
  original=${original%x}
  if [ "$(grep -cF -- "$old" "$src/$file")" -ne 1 ]; then
    echo "STALE   $file: the text to change is not there once: $old"
    survived=$((survived + 1))
    continue
  fi
  printf '%s' "${original/"$old"/"$new"}" > "$src/$file"
  if ! cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" makeov2 psp2ov2 ov2 >/dev/null 2>&1; then
    echo "KILLED  $what ($file): it does not build"
    killed=$((killed + 1))
  elif ctest --test-dir "$build" -R "^($tests)\$" >/dev/null 2>&1; then
    echo "SURVIVED $what ($file): $tests pass with it"
    survived=$((survived + 1))
  else
    echo "KILLED  $what ($file)"
    killed=$((killed + 1))
  fi
  printf '%s' "$original" > "$src/$file"
done
echo "$killed of ${#mutants[@]} mutants killed"
[ "$survived" -eq 0 ]
