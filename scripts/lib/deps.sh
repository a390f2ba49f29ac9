# Shared by the README's commands: installs, with apt-get, whatever of the
# named Debian packages is missing. Needs root when something is missing.
install_missing() {
  missing=""
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
}

BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libsqlite3-dev libgtest-dev libgmock-dev"
TEST_PACKAGES="tftp-hpa curl busybox atftp iproute2 nftables util-linux sqlite3 clang libclang-rt-14-dev"
