#!/bin/bash
# Each manual page renders with no warning from troff: a source line that starts with
# "." or "'" is read as a request, and an unknown one drops the rest of its sentence.
set -u
status=0
for page in "$@"; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "$page:"; echo "$warnings"
    status=1
  fi
done
exit $status
