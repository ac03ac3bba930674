#!/usr/bin/env bash
# Sets KarVel up and runs the whole test suite headless: once as built for
# use, once under AddressSanitizer and UndefinedBehaviorSanitizer (any report
# fails the test that made it).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build-tests Debug -DKARVEL_TESTS=ON -DKARVEL_BENCH=ON
# The inner loop first, timed as a developer meets it, then everything else.
start=$(date +%s%N)
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest -L unit --output-on-failure --timeout 900 -j2)
elapsed=$(( ($(date +%s%N) - start) / 10000000 ))
printf '== ctest -L unit : %d,%02d s ==\n' $((elapsed / 100)) $((elapsed % 100))
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest -LE unit --output-on-failure --timeout 900 -j2)

# The figures of the reliability tests, which ctest keeps in its log when they pass.
log=build-tests/Testing/Temporary/LastTest.log
echo "== Fiabilité =="
grep -hE '^(kills survived|quit backups killed|repairs killed|imports killed|ended by the system|two-desk operations|readings fuzzed|readings typed|readings kept while a box was open|readings lost):' "$log" || true
{ grep -hE '^faults injected: [0-9]+' "$log" || true; } | awk '{n += $3} END {if (NR) print "faults injected: " n}'

echo "== La même suite sous AddressSanitizer et UndefinedBehaviorSanitizer =="
scripts/setup.sh build-sanitize Debug -DKARVEL_TESTS=ON -DKARVEL_BENCH=OFF -DKARVEL_SANITIZE=ON
(cd build-sanitize && QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure --timeout 1800 -j2)
