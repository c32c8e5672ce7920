# shellcheck shell=bash
# Debian packages for the scripts, sourced by them: which of a list are missing, and installing those
# (as root, or with sudo). Quiet when everything is there.

# Prints the packages of the arguments that are not installed, one a line.
missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || echo "$package"
  done
}

# Installs the packages of the arguments that are missing.
install_packages() {
  local missing sudo=
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
