#!/usr/bin/env bash
# Sets up a Debian 12 machine when something is missing, builds everything
# with the MinGW cross compilers and runs every test under Wine.
#
# The product is the i686 build, and it is always built. The tests run on the
# i686 build and on the x86_64 build where this host runs 32-bit programs, and
# on the x86_64 build alone where it cannot (some kernels have 32-bit emulation
# switched off). ORLO_ARCH=i686 or ORLO_ARCH=x86_64 tests that one only.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

bash tools/setup-debian.sh
source tools/arch.sh

base="${ORLO_BUILD_DIR:-$here/build}"
mkdir -p "$base"
orlo_pick_archs
echo "test.sh: testing ${ORLO_TEST_ARCHS[*]}: $ORLO_ARCH_REASON"

# The product always builds, whether or not its tests run here.
built=()
for arch in i686 "${ORLO_TEST_ARCHS[@]}"; do
  case " ${built[*]-} " in *" $arch "*) continue ;; esac
  start=$(date +%s)
  orlo_build "$base" "$arch"
  echo "test.sh: $arch built in $(( $(date +%s) - start )) s"
  built+=("$arch")
done
orlo_write_runner "$base"

status=0
summary=()
passed=0
failed=0
for arch in "${ORLO_TEST_ARCHS[@]}"; do
  start=$(date +%s)
  log="$base/$arch/ctest.log"
  # Wine's start-up is serial per prefix; two jobs keep both cores busy.
  if ctest --test-dir "$base/$arch" --output-on-failure -j "${ORLO_TEST_JOBS:-2}" 2>&1 | tee "$log"; then
    :
  else
    status=1
  fi
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    status=1
    summary+=("$arch: no test summary")
    continue
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  n=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + n - f))
  failed=$((failed + f))
  summary+=("$arch: $((n - f)) of $n passed in $(( $(date +%s) - start )) s")
done

echo
echo "test.sh: tested ${ORLO_TEST_ARCHS[*]} ($ORLO_ARCH_REASON)"
for s in "${summary[@]}"; do echo "test.sh: $s"; done
echo "$passed passed, $failed failed"
exit $status
