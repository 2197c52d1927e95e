#!/bin/bash
# The set-up's choices for installing wine32 beside the 64-bit Wine (tools/setup.sh), fed
# what apt-cache policy prints on machines whose mirrors are in sync or lag:
#   which library pairs it names, at which version, and which it takes back for amd64;
#   which archives it pins for lack of an i386 index.
#   tests/wine32_choice.sh
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/tools/setup.sh"
passed=0 failed=0

# expect CASE FUNCTION STATUS OUTPUT, with the apt-cache output on standard input.
expect() {
  local name="$1" function="$2" status="$3" wanted="$4" got got_status
  got="$("$function" 2>/dev/null)"
  got_status=$?
  if [ "$got" = "$wanted" ] && [ "$got_status" -eq "$status" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s\n  wanted (status %s): %s\n  got (status %s):    %s\n' "$name" "$status" "$wanted" "$got_status" "$got"
  fi
}

# The version tables of one library for both architectures, newest first:
# policy NAME AMD64_INSTALLED AMD64_CANDIDATE "VERSION SOURCE..." ... -- I386_INSTALLED
# I386_CANDIDATE "VERSION SOURCE..." ..., each source security, release or status.
policy() {
  local name="$1" arch="" entry version source
  shift
  for arch in amd64 i386; do
    local label="$name"
    [ "$arch" = i386 ] && label="$name:i386"
    printf '%s:\n  Installed: %s\n  Candidate: %s\n  Version table:\n' "$label" "$1" "$2"
    local installed="$1"
    shift 2
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
      read -r version entry <<< "$1"
      if [ "$version" = "$installed" ]; then printf ' *** %s 500\n' "$version"; else printf '     %s 500\n' "$version"; fi
      for source in $entry; do
        case "$source" in
          security) echo "        500 http://deb.debian.org/debian-security bookworm-security/main $arch Packages" ;;
          release) echo "        500 http://deb.debian.org/debian bookworm/main $arch Packages" ;;
          status) echo "        100 /var/lib/dpkg/status" ;;
        esac
      done
      shift
    done
    [ $# -gt 0 ] && shift
  done
}

gst=libgstreamer-plugins-base1.0-0 u7=1.22.0-3+deb12u7 u6=1.22.0-3+deb12u6 u5=1.22.0-3+deb12u5

expect "as apt printed it on a machine whose mirror lacked the i386 security index (security pinned at 100)" \
  parvola_shared_library_versions 0 "$gst $u6 $u7" <<'POLICY'
libgstreamer-plugins-base1.0-0:
  Installed: 1.22.0-3+deb12u7
  Candidate: 1.22.0-3+deb12u7
  Version table:
 *** 1.22.0-3+deb12u7 100
        100 http://deb.debian.org/debian-security bookworm-security/main amd64 Packages
        100 /var/lib/dpkg/status
     1.22.0-3+deb12u6 500
        500 http://deb.debian.org/debian bookworm/main amd64 Packages
libgstreamer-plugins-base1.0-0:i386:
  Installed: (none)
  Candidate: 1.22.0-3+deb12u6
  Version table:
     1.22.0-3+deb12u6 500
        500 http://deb.debian.org/debian bookworm/main i386 Packages
POLICY

expect "the issue's machine: amd64 has the security update, the mirror lacks its i386 index" \
  parvola_shared_library_versions 0 "$gst $u6 $u7" \
  < <(policy $gst "$u7" "$u7" "$u7 security status" "$u6 release" -- "(none)" "$u6" "$u6 release")
expect "the archive no longer offers the version installed for amd64" \
  parvola_shared_library_versions 0 "$gst $u6 $u7" \
  < <(policy $gst "$u7" "$u7" "$u7 status" "$u6 release" -- "(none)" "$u6" "$u6 release")
expect "a fresh machine whose mirror lacks the i386 security index" \
  parvola_shared_library_versions 0 "$gst $u6" \
  < <(policy $gst "(none)" "$u7" "$u7 security" "$u6 release" -- "(none)" "$u6" "$u6 release")
expect "a mirror in sync" \
  parvola_shared_library_versions 0 "" \
  < <(policy $gst "$u7" "$u7" "$u7 security status" "$u6 release" -- "(none)" "$u7" "$u7 security" "$u6 release")
expect "a fresh machine, a mirror in sync" \
  parvola_shared_library_versions 0 "" \
  < <(policy $gst "(none)" "$u7" "$u7 security" "$u6 release" -- "(none)" "$u7" "$u7 security" "$u6 release")
expect "amd64 installed before the update that both architectures get: apt moves it on" \
  parvola_shared_library_versions 0 "" \
  < <(policy $gst "$u5" "$u7" "$u7 security" "$u6 release" "$u5 status" -- "(none)" "$u7" "$u7 security" "$u6 release")
expect "i386 gets the version amd64 has, but apt would move amd64 on to its newer candidate" \
  parvola_shared_library_versions 0 "$gst $u6" \
  < <(policy $gst "$u6" "$u7" "$u7 security" "$u6 release status" -- "(none)" "$u6" "$u6 release")
expect "both installed at one version, which the i386 index still offers" \
  parvola_shared_library_versions 0 "" \
  < <(policy $gst "$u6" "$u7" "$u7 security" "$u6 release status" -- "$u6" "$u6" "$u6 release status")
expect "no version that both tables hold" \
  parvola_shared_library_versions 1 "" \
  < <(policy $gst "$u7" "$u7" "$u7 security status" -- "(none)" "$u5" "$u5 release")
expect "no i386 version at all" \
  parvola_shared_library_versions 1 "" \
  < <(policy $gst "$u7" "$u7" "$u7 security status" -- "(none)" "(none)")
expect "several libraries: only the one out of step is named, with an epoch in its version" \
  parvola_shared_library_versions 0 "zlib1g 1:1.2.13.dfsg-1 1:1.2.13.dfsg-1+deb12u1" \
  < <(policy libtiff6 "4.5.0-6+deb12u2" "4.5.0-6+deb12u2" "4.5.0-6+deb12u2 release status" -- \
        "(none)" "4.5.0-6+deb12u2" "4.5.0-6+deb12u2 release"
      policy zlib1g "1:1.2.13.dfsg-1+deb12u1" "1:1.2.13.dfsg-1+deb12u1" "1:1.2.13.dfsg-1+deb12u1 security status" \
        "1:1.2.13.dfsg-1 release" -- "(none)" "1:1.2.13.dfsg-1" "1:1.2.13.dfsg-1 release"
      policy libssl3 "3.0.19-1~deb12u2" "3.0.20-1~deb12u2" "3.0.20-1~deb12u2 release" "3.0.19-1~deb12u2 status" -- \
        "(none)" "3.0.20-1~deb12u2" "3.0.20-1~deb12u2 release")

# The indexes that apt-cache policy lists first: each archive's, per architecture.
indexes() {
  local entry site suite component arch fields
  for entry in "$@"; do
    read -r site suite component arch fields <<< "${entry//|/ }"
    printf ' 500 %s %s/%s %s Packages\n     release %s,c=%s,b=%s\n' "$site" "$suite" "$component" "$arch" "$fields" \
      "$component" "$arch"
    site="${site#*//}"
    echo "     origin ${site%%/*}"
  done
}
main="http://deb.debian.org/debian|bookworm|main"
security="http://deb.debian.org/debian-security|bookworm-security|main"
nodes="https://deb.nodesource.com/node_20.x|nodistro|main"
release_fields="v=12.11,o=Debian,a=stable,n=bookworm,l=Debian"
security_fields="v=12,o=Debian,a=stable-security,n=bookworm-security,l=Debian-Security"
expect "a mirror that lacks the i386 security index, beside an origin that serves amd64 alone" \
  parvola_archives_lacking_i386 0 "o=Debian,a=stable-security,n=bookworm-security,l=Debian-Security,c=main" \
  < <(echo 'Package files:'; echo ' 100 /var/lib/dpkg/status'; echo '     release a=now'
      indexes "$security|amd64|$security_fields" "$main|i386|$release_fields" "$main|amd64|$release_fields" \
              "$nodes|amd64|o=Node Source,n=nodistro,l=Node Source")
expect "a mirror with every index" \
  parvola_archives_lacking_i386 0 "" \
  < <(indexes "$security|i386|$security_fields" "$security|amd64|$security_fields" \
              "$main|i386|$release_fields" "$main|amd64|$release_fields")

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
