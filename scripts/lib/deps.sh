# Shared by the README's commands: installs, with apt-get, whatever of the
# named Debian packages is missing. Needs root when something is missing.
install_missing() {
  missing=""
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
  done
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "$0: installing$missing needs root; run it as root or install them first" >&2
  fi
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
}

# The sanitizer and fuzzer runtime that belongs to the installed clang.
clang_runtime_package() {
  echo "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
}

BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libsqlite3-dev libgtest-dev libgmock-dev"
# What CPack needs for the .deb: dpkg-shlibdeps finds the dependencies, file
# finds the executables.
PACKAGE_PACKAGES="dpkg-dev file"
# A display of the tests' own with a window manager (scripts/in-xsession),
# and Qt's platform plugin for it.
WINDOW_TEST_PACKAGES="xvfb openbox x11-utils iproute2 util-linux qt6-qpa-plugins"
# Network boots: QEMU with a UEFI firmware and with SeaBIOS and iPXE's ROM,
# dnsmasq for DHCP, and the boot loaders they fetch (GRUB's, made with
# grub-mkimage, for the UEFI boot over IPv6).
NETWORK_BOOT_PACKAGES="qemu-system-x86 ovmf ipxe-qemu dnsmasq-base syslinux-efi syslinux-common pxelinux grub-efi-amd64-bin grub-common"
TEST_PACKAGES="tftp-hpa curl busybox atftp iproute2 nftables util-linux sqlite3 clang clang-format $PACKAGE_PACKAGES desktop-file-utils man-db lintian $WINDOW_TEST_PACKAGES $NETWORK_BOOT_PACKAGES"
# The Windows build: the mingw-w64 cross compiler (posix threads) and
# GoogleTest's sources for it; its installer is made by NSIS; its tests run
# under wine, with wine's fonts and an X server of its own.
WINDOWS_BUILD_PACKAGES="g++-mingw-w64-x86-64-posix googletest"
WINDOWS_PACKAGE_PACKAGES="nsis"
WINDOWS_PACKAGES="$WINDOWS_BUILD_PACKAGES $WINDOWS_PACKAGE_PACKAGES wine wine64 fonts-wine xvfb"
