# Sourced by the set-up and the Wine runner: installs those of the Debian packages given that
# are missing (through sudo when not root).
#   apt_install_missing PACKAGE...
apt_install_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Another install under way (a second checkout set up beside this one) is waited for.
apt_get() {
  apt_install_as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"
}

apt_install_missing() {
  local missing=() p codename
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$\|^wine32' &&
     ! dpkg --print-foreign-architectures | grep -qx i386; then
    apt_install_as_root dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails an index or two (seen: the security updates for
  # i386). An i386 library then cannot be had at the version its amd64 twin was updated to;
  # the release's own versions agree across architectures, so they are taken instead.
  apt_get update -qq ||
    echo "apt-get update reported errors; installing from the package lists it did get"
  apt_get install -y -qq "${missing[@]}" </dev/null && return 0
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || return 1
  echo "Installing the versions of the release itself ($codename) instead"
  apt_get install -y -qq -t "$codename" "${missing[@]}" </dev/null
}
