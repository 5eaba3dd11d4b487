# Sourced by test.sh and run.sh: which architectures this host can run, and
# building one architecture into <base>/<arch>.

# Whether this host runs 32-bit programs, found by trying one: Wine's 32-bit
# loader. Sets ORLO_32BIT_ERROR to what the attempt printed when it fails.
orlo_can_run_32bit() {
  local out
  if out=$(/usr/lib/wine/wine --version 2>&1); then
    ORLO_32BIT_ERROR=""
    return 0
  fi
  ORLO_32BIT_ERROR=$(tail -n 1 <<<"$out" | sed -E "s/^.*line [0-9]+: //")
  [ -n "$ORLO_32BIT_ERROR" ] || ORLO_32BIT_ERROR="/usr/lib/wine/wine does not start"
  return 1
}

# Sets ORLO_TEST_ARCHS (the builds whose programs run here) and
# ORLO_ARCH_REASON (one plain sentence why). ORLO_ARCH forces one.
orlo_pick_archs() {
  case "${ORLO_ARCH:-}" in
    "")
      if orlo_can_run_32bit; then
        ORLO_TEST_ARCHS=(i686 x86_64)
        ORLO_ARCH_REASON="this host runs 32-bit programs, so both builds are tested"
      else
        ORLO_TEST_ARCHS=(x86_64)
        ORLO_ARCH_REASON="this host cannot run 32-bit programs ($ORLO_32BIT_ERROR), so the i686 product is built but only the x86_64 build is tested"
      fi ;;
    x86_64)
      ORLO_TEST_ARCHS=(x86_64)
      ORLO_ARCH_REASON="forced by ORLO_ARCH=x86_64" ;;
    i686)
      if ! orlo_can_run_32bit; then
        echo "ORLO_ARCH=i686 asks for 32-bit programs, but this host cannot run them: $ORLO_32BIT_ERROR" >&2
        return 1
      fi
      ORLO_TEST_ARCHS=(i686)
      ORLO_ARCH_REASON="forced by ORLO_ARCH=i686" ;;
    *)
      echo "ORLO_ARCH must be i686 or x86_64, not '$ORLO_ARCH'" >&2
      return 1 ;;
  esac
}

# The architecture to run programs with by hand: the product's where it can.
orlo_run_arch() {
  if [ -n "${ORLO_ARCH:-}" ]; then echo "$ORLO_ARCH"
  elif orlo_can_run_32bit; then echo i686
  else echo x86_64; fi
}

# Configures and builds one architecture into <base>/<arch>. Every build of a
# base shares one Wine state folder (one Xvfb, one prefix per architecture).
orlo_build() {
  local base="$1" arch="$2" dir="$1/$2"
  cmake -S "${ORLO_SOURCE_DIR:-.}" -B "$dir" -G Ninja -DORLO_ARCH="$arch" \
    -DORLO_WINE_STATE="$base/wine-state" >/dev/null
  cmake --build "$dir"
}

# <base>/wine-run: runs a program of either architecture by hand.
orlo_write_runner() {
  local base="$1" src
  src="$(cd "${ORLO_SOURCE_DIR:-.}" && pwd)"
  cat > "$base/wine-run" <<EOF
#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: $base/wine-run program.exe [args...]
# The loader follows the program's architecture; --down stops Wine and the Xvfb.
ORLO_WINE_STATE='$base/wine-state' exec '$src/tools/wine-run.sh' "\$@"
EOF
  chmod +x "$base/wine-run"
}
