# Installs the Debian packages given as arguments when any is missing.
# Sourced by run.sh and test.sh; quiet unless something has to be installed.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "Usage: source scripts/packages.sh  (a library of run.sh and test.sh, not a command)" >&2
  exit 2
fi
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(g++ cmake ninja-build make libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libopenmpi-dev openmpi-bin)

# Configures and builds one build folder quietly; prints the log on failure.
build_folder() {
  local dir=$1
  shift
  local log="$dir.log"
  # Only these targets when BUILD_TARGETS names some (space-separated).
  local targets=()
  [ -n "${BUILD_TARGETS:-}" ] && read -r -a targets <<<"--target $BUILD_TARGETS"
  mkdir -p "$dir"
  if ! { cmake -S . -B "$dir" -G Ninja "$@" && cmake --build "$dir" -j "$(nproc)" "${targets[@]}"; } >"$log" 2>&1; then
    cat "$log"
    echo "Build failed in $dir" >&2
    return 1
  fi
}
