# Sourced by the scripts that need Debian packages: install_missing, and
# $sudo ("sudo" or empty) for whatever else the script runs as root.
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# Installs those of the Debian packages named that are not installed yet,
# without their recommendations, waiting for another apt-get to finish.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
}
