#!/bin/bash
# scripts/setup.sh against stand-ins for apt-get, dpkg, dpkg-query and sudo on PATH, as
# on a machine whose mirror serves a security index that does not match its signed
# release file: every `update` fails, and the install resolves only when the main
# release is named. Nothing here reaches the real package tools.
set -u
setup=${1:?path of setup.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
status=0
fail() { echo "FAIL: $*"; status=1; }

cat > "$work/bin/apt-get" <<'STANDIN'
#!/bin/bash
echo "apt-get $*" >> "$STANDIN_LOG"
case " $* " in
  *" update "*)
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    exit 100 ;;
  *" -t $STANDIN_RELEASE_TAKEN "*) exit 0 ;;
esac
echo "E: Unable to correct problems, you have held broken packages." >&2
exit 100
STANDIN
printf '#!/bin/bash\nexit 1\n' > "$work/bin/dpkg-query"
printf '#!/bin/bash\necho "dpkg $*" >> "$STANDIN_LOG"\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' > "$work/bin/dpkg"
printf '#!/bin/bash\nexec "$@"\n' > "$work/bin/sudo"
chmod +x "$work/bin/"*
echo 'VERSION_CODENAME=testrelease' > "$work/os-release"

# Runs the set-up; its standard error in $work/err, the stand-ins' calls in $work/log.
run_setup() {
  : > "$work/log"
  env PATH="$work/bin:$PATH" STANDIN_LOG="$work/log" STANDIN_RELEASE_TAKEN="$1" \
      QH_OS_RELEASE="$work/os-release" QH_SETUP_RETRY_SECONDS=0 \
      bash "$setup" > /dev/null 2> "$work/err"
}

# The security index cannot be read: the install from the main release goes through.
run_setup testrelease
code=$?
[ $code -eq 0 ] || fail "exit $code with the main release installable"
grep -q "the security suite's index could not be read: installing from the main release" "$work/err" ||
  fail "no word of why the main release is used"
grep -q "held broken packages" "$work/err" && fail "apt's words of the first attempt shown though the second worked"
[ "$(grep -c '^apt-get update' "$work/log")" -eq 3 ] || fail "update not tried three times"
installs=$(grep '^apt-get install' "$work/log")
[ "$(echo "$installs" | wc -l)" -eq 2 ] || fail "expected two installs, got: $installs"
echo "$installs" | tail -1 | grep -q -- " -t testrelease " || fail "the second install names no release"
grep -q -- '--allow\|AllowInsecure\|AllowUnauthenticated\|trusted=yes' "$work/log" &&
  fail "an install that trusts an unverified index"

# Nothing installs either way: the set-up fails with apt's own words.
run_setup no-such-release
code=$?
[ $code -ne 0 ] || fail "exit 0 though nothing installed"
grep -q "held broken packages" "$work/err" || fail "apt's words not shown when both attempts fail"

[ $status -eq 0 ] && echo "setup fallback: ok"
[ $status -eq 0 ] || { echo "--- last standard error:"; cat "$work/err"; echo "--- calls:"; cat "$work/log"; }
exit $status
